# An iris opens on a rose-coloured background; the portrait stands in the
# middle as a framed print while petals fall.
type      竖照单张
category  浪漫花瓣
frames    200
slot      0 0 shu
show      1 90

layer carry
layer radial color #ffe4ea color2 #c76b86
  mask iris 0 40
layer photo 1 border 20 shadow on
  mask iris 0 40
  at 0   scale 0.92 rot -3
  at 199 scale 0.86 rot 2 ease sine
layer particles petals 40 seed 7 from 30
