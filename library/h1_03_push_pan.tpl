# The photo pushes the carry-over picture out to the left, then pans across.
type      横照单张
category  全屏效果
frames    175
slot      0 0 heng
show      1 100

layer gradient color #1c1f2b color2 #3b3347 angle 90
layer backdrop 1 blur 60
  at 0   x 2880 bright -40
  at 30  x 960 ease inout
layer carry
  at 0   x 960
  at 30  x -960 ease inout
layer photo 1 shadow on
  at 0   x 2880 scale 1.12
  at 30  x 1010 ease inout
  at 174 x 910 ease sine
