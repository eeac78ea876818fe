# A clock hand sweeps round to show the portrait; soft lights drift up.
type      竖照单张
category  梦幻光斑
frames    200
slot      0 0 shu
show      1 90

layer carry
layer backdrop 1 blur 60
  mask clock 0 45
  at 0   bright -55
layer photo 1 shadow on
  mask clock 0 45
  at 0   scale 1.0
  at 199 scale 1.08 ease sine
layer particles bokeh 16 seed 19 from 40
