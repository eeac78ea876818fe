# A heart opens from the centre onto the photo; hearts rise across it.
type      横照单张
category  浪漫爱心
frames    200
slot      0 0 heng
show      1 90

layer carry
  at 0   bright 0
  at 40  bright -30
layer radial color #ffd6e0 color2 #c2457a
  mask heart 0 40
layer backdrop 1 blur 60
  mask heart 0 40
  at 0   alpha 60 bright -20
layer photo 1
  mask heart 0 40
  at 0   scale 1.15
  at 90  scale 1.0 ease out
  at 199 scale 1.05 ease linear
layer particles hearts 22 seed 9 from 40
layer vignette color2 #5a102880
  at 0   alpha 0
  at 50  alpha 100
