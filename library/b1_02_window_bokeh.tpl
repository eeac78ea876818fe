# The photo opens out of an iris on a deep blue night with floating lights.
type      通用单张
category  梦幻光斑
frames    200
slot      1120 840 shuheng
show      1 90

layer carry
  at 0   bright 0
  at 40  bright -60
layer radial color #2a3f6a color2 #0b1224
  mask iris 0 40
layer particles bokeh 20 seed 23 from 0
layer photo 1 border 12 shadow on
  mask iris 10 50
  at 0   scale 0.8
  at 90  scale 1.0 ease out
  at 199 scale 1.0 ease linear
layer particles stars 20 seed 29 from 60
