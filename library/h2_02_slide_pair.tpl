# The first photo fills the screen out of the carry-over picture; the second
# slides in over it and both end side by side.
type      横照两张
category  推拉切换
frames    225
slot      1600 900 heng
slot      1600 900 heng
show      1 60
show      2 160

layer carry
layer gradient color #22252e color2 #3d4250 angle 90
  mask wipe-right 0 30
layer photo 1 shadow on
  mask wipe-right 0 30
  at 0   scale 1.2
  at 90  scale 1.0 ease out
  at 130 scale 1.0 x 960
  at 180 scale 0.55 x 500 y 540 ease inout
layer photo 2 shadow on
  at 0   x 2900 scale 1.0
  at 100 x 2900
  at 140 x 960 ease out
  at 160 scale 1.0 x 960
  at 200 scale 0.55 x 1420 ease inout
