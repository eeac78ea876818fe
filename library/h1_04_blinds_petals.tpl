# Vertical blinds open on the photo; cherry petals drift down while it
# zooms in gently.
type      横照单张
category  浪漫花瓣
frames    200
slot      0 0 heng
show      1 80

layer carry
layer backdrop 1 blur 60
  mask blinds-v 0 40 count 10
  at 0   bright -35
layer photo 1
  mask blinds-v 0 40 count 10
  at 0   scale 1.0
  at 199 scale 1.12 x 940 y 530 ease sine
layer particles petals 36 seed 4 from 20
layer vignette color2 #30101880
  at 0   alpha 0
  at 40  alpha 100
