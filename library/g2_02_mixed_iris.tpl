# A portrait and a landscape photo open out of two irises on a night sky.
type      混合两张
category  高级模板
frames    200
slot      520 700 shu
slot      900 600 heng
show      1 100
show      2 100

layer carry
  at 0   bright 0
  at 40  bright -65
layer radial color #1f2d4d color2 #070b16
  mask iris 0 40
layer photo 1 border 12 shadow on
  mask iris 20 60 cx 520 cy 540
  at 0   x 520 y 540
layer photo 2 border 12 shadow on
  mask iris 40 80 cx 1330 cy 540
  at 0   x 1330 y 540
layer particles stars 30 seed 59 from 60
