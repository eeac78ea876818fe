# An iris opens on the photo from the centre; the photo then settles from a
# close view to the whole picture.
type      横照单张
category  全屏效果
frames    175
slot      0 0 heng
show      1 120

layer carry
  at 0   scale 1.0
  at 35  scale 0.92 bright -40
layer backdrop 1 blur 60
  mask iris 0 35
  at 0   bright -45 scale 1.1
  at 174 scale 1.0
layer photo 1
  mask iris 0 35
  at 0   scale 1.3
  at 120 scale 1.0 ease out
  at 174 scale 1.03 ease linear
layer ring r 560 w 6 color #ffffffc0
  at 0   alpha 0 scale 0.1
  at 10  alpha 100
  at 35  alpha 0 scale 1.6 ease out
