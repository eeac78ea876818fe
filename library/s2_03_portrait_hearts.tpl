# Two portraits tilt toward each other while hearts rise between them.
type      竖照两张
category  浪漫爱心
frames    200
slot      520 700 shu
slot      520 700 shu
show      1 100
show      2 100

layer radial color #ffe0e8 color2 #d0607e
layer carry
  mask heart 0 40 dir out
layer photo 1 border 16 shadow on
  at 0   x 660 y 560 scale 0.5 alpha 0 rot -25
  at 20  alpha 0
  at 60  scale 1.0 alpha 100 rot -6 ease back
layer photo 2 border 16 shadow on
  at 0   x 1260 y 520 scale 0.5 alpha 0 rot 25
  at 35  alpha 0
  at 75  scale 1.0 alpha 100 rot 6 ease back
layer particles hearts 18 seed 47 from 50
