# A strip of film carries two photos across the screen and stops with both
# in view.
type      横照两张
category  电影胶片
frames    200
slot      720 480 heng
slot      720 480 heng
show      1 110
show      2 110

layer carry
  at 0   scale 1.0
  at 30  scale 0.9 bright -55
layer gradient color #8a7664 color2 #3a2e26 angle 90
  at 0   alpha 0
  at 30  alpha 100
layer film w 4400 h 640
  at 0   x 4300 rot -4
  at 20  x 4300
  at 90  x 960 rot -2 ease out
  at 199 x 930 rot -2 ease linear
layer photo 1
  at 0   x 3900 y 500 rot -4
  at 20  x 3900
  at 90  x 560 y 554 rot -2 ease out
  at 199 x 530 y 555 rot -2 ease linear
layer photo 2
  at 0   x 4700 y 470 rot -4
  at 20  x 4700
  at 90  x 1360 y 526 rot -2 ease out
  at 199 x 1330 y 527 rot -2 ease linear
