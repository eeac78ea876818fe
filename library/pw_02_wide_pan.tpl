# A wide photo (about 3 : 1) at the full height of the frame, pushed in from
# the right over the carry-over picture, then panned from its left end to
# its right end.
type      横照单张
category  全景效果
frames    225
slot      3240 1080 heng
show      1 127

layer gradient color #14161f color2 #2c2a3a angle 90
layer carry
  at 0   x 960
  at 30  x -960 ease inout
layer photo 1
  at 0   x 4500
  at 30  x 1620 ease inout
  at 40  x 1620
  at 215 x 300 ease inout
