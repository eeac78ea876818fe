# Three photos ride a strip of film that glides in, pauses, and drifts on.
type      横照三张
category  电影胶片
frames    225
slot      560 373 heng
slot      560 373 heng
slot      560 373 heng
show      1 110
show      2 110
show      3 110

layer carry
  at 0   scale 1.0
  at 30  scale 0.9 bright -55
layer gradient color #a08c72 color2 #3e3226 angle 90
  at 0   alpha 0
  at 30  alpha 100
layer film w 5200 h 520
  at 0   x 4700
  at 20  x 4700
  at 90  x 960 ease out
  at 224 x 880 ease linear
layer photo 1
  at 0   x 4100
  at 20  x 4100
  at 90  x 360 ease out
  at 224 x 280 ease linear
layer photo 2
  at 0   x 4700
  at 20  x 4700
  at 90  x 960 ease out
  at 224 x 880 ease linear
layer photo 3
  at 0   x 5300
  at 20  x 5300
  at 90  x 1560 ease out
  at 224 x 1480 ease linear
