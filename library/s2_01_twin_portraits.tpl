# Two portrait prints slide in from above and below and stand side by side.
type      竖照两张
category  相框相册
frames    200
slot      540 720 shu
slot      540 720 shu
show      1 90
show      2 90

layer carry
  at 0   scale 1.0
  at 40  scale 0.88 bright -60
layer gradient color #e9e4f0 color2 #9a8fb0 angle 100
  at 0   alpha 0
  at 35  alpha 100
layer photo 1 border 18 shadow on
  at 0   x 640 y -500 rot -10
  at 50  y 540 rot -3 ease out
  at 199 rot -2 ease sine
layer photo 2 border 18 shadow on
  at 0   x 1280 y 1600 rot 10
  at 15  y 1600
  at 65  y 540 rot 3 ease out
  at 199 rot 2 ease sine
layer particles petals 14 seed 41 from 60
