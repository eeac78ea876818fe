# A heart opens on the portrait; hearts float up around it.
type      竖照单张
category  浪漫爱心
frames    200
slot      0 0 shu
show      1 90

layer carry
  at 0   bright 0
  at 40  bright -40
layer radial color #ffd1dc color2 #b03060
  mask heart 0 40
layer photo 1 shadow on
  mask heart 0 40
  at 0   scale 1.1
  at 90  scale 0.95 ease out
  at 199 scale 0.97 ease linear
layer particles hearts 26 seed 12 from 40
