# Two framed prints slide in from both sides over a soft background and
# settle with a slight tilt.
type      横照两张
category  相框相册
frames    200
slot      800 600 heng
slot      800 600 heng
show      1 90
show      2 90

layer carry
  at 0   scale 1.0
  at 40  scale 0.85 bright -60
layer radial color #f3ece4 color2 #9c8f86
  at 0   alpha 0
  at 35  alpha 100
layer photo 1 border 18 shadow on
  at 0   x -600 y 560 rot -14
  at 45  x 510 rot -3 ease out
  at 199 x 500 rot -2 ease sine
layer photo 2 border 18 shadow on
  at 0   x 2520 y 540 rot 14
  at 15  x 2520
  at 60  x 1410 rot 3 ease out
  at 199 x 1420 rot 2 ease sine
layer particles petals 16 seed 21 from 50
