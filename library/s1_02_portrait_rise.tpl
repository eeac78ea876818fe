# The photo slides up from below and pushes the carry-over picture out of
# the top, then rests in front of its blurred copy.
type      竖照单张
category  推拉切换
frames    175
slot      0 0 shu
show      1 80

layer backdrop 1 blur 60
  at 0   y 1620 bright -45
  at 35  y 540 ease inout
layer carry
  at 0   y 540
  at 35  y -540 ease inout
layer photo 1 shadow on
  at 0   y 1700
  at 35  y 540 ease inout
  at 174 scale 1.05 ease sine
