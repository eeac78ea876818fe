# Four photos pop up one after another into a two-by-two grid.
type      横照四张
category  拼图组合
frames    225
slot      800 450 heng
slot      800 450 heng
slot      800 450 heng
slot      800 450 heng
show      1 130
show      2 130
show      3 130
show      4 130

layer carry
  at 0   scale 1.0
  at 40  scale 0.92 bright -65
layer gradient color #233142 color2 #455d7a angle 45
  at 0   alpha 0
  at 35  alpha 100
layer photo 1 border 10 shadow on
  at 0   x 510 y 290 scale 0.01 alpha 0
  at 15  scale 0.01 alpha 0
  at 45  scale 1.0 alpha 100 ease back
layer photo 2 border 10 shadow on
  at 0   x 1410 y 290 scale 0.01 alpha 0
  at 35  scale 0.01 alpha 0
  at 65  scale 1.0 alpha 100 ease back
layer photo 3 border 10 shadow on
  at 0   x 510 y 790 scale 0.01 alpha 0
  at 55  scale 0.01 alpha 0
  at 85  scale 1.0 alpha 100 ease back
layer photo 4 border 10 shadow on
  at 0   x 1410 y 790 scale 0.01 alpha 0
  at 75  scale 0.01 alpha 0
  at 105 scale 1.0 alpha 100 ease back
layer particles bokeh 10 seed 14 from 100
