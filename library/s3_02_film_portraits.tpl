# A strip of film with three portraits glides down into place.
type      竖照三张
category  电影胶片
frames    225
slot      420 560 shu
slot      420 560 shu
slot      420 560 shu
show      1 110
show      2 110
show      3 110

layer carry
  at 0   scale 1.0
  at 30  scale 0.9 bright -55
layer gradient color #9c8a74 color2 #3b3026 angle 90
  at 0   alpha 0
  at 30  alpha 100
layer film w 3000 h 720
  at 0   x 3650 y 540
  at 20  x 3650
  at 95  x 960 ease out
layer photo 1
  at 0   x 3180
  at 20  x 3180
  at 95  x 490 ease out
layer photo 2
  at 0   x 3650
  at 20  x 3650
  at 95  x 960 ease out
layer photo 3
  at 0   x 4120
  at 20  x 4120
  at 95  x 1430 ease out
