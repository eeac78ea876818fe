# The carry-over picture turns away like a page; the photo turns in from
# the other side, then zooms slowly toward its centre.
type      横照单张
category  翻转特效
frames    175
slot      0 0 heng
show      1 90

layer gradient color #101018 color2 #2a2a3a angle 90
layer carry
  at 0   sx 1 bright 0
  at 18  sx 0.02 bright -60 alpha 100 ease in
  at 19  alpha 0
layer backdrop 1 blur 60
  at 0   alpha 0
  at 18  alpha 0
  at 36  alpha 100 bright -45
layer photo 1 shadow on
  at 0   sx 0.02 alpha 0 scale 1.0
  at 18  alpha 0
  at 19  alpha 100 bright -60
  at 36  sx 1 bright 0 ease out
  at 174 scale 1.12 ease sine
