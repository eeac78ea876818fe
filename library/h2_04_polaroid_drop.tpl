# Two prints drop onto the table one after the other, with a little bounce.
type      横照两张
category  相框相册
frames    200
slot      700 525 heng
slot      700 525 heng
show      1 70
show      2 110

layer carry
  at 0   bright 0
  at 30  bright -60
layer radial color #5b6e7c color2 #1e2830
  at 0   alpha 0
  at 30  alpha 100
layer photo 1 border 22 shadow on
  at 0   scale 1.8 alpha 0 x 560 y 500 rot -20
  at 10  alpha 0
  at 45  scale 1.0 alpha 100 rot -6 ease back
  at 199 x 580 ease sine
layer photo 2 border 22 shadow on
  at 0   scale 1.8 alpha 0 x 1360 y 580 rot 18
  at 50  alpha 0
  at 85  scale 1.0 alpha 100 rot 5 ease back
  at 199 x 1340 ease sine
layer particles bokeh 10 seed 8 from 60
