# Ken Burns: the photo fades in over the carry-over picture, then drifts
# slowly up and to the left while it zooms in.
type      横照单张
category  全屏效果
frames    175
slot      0 0 heng
show      1 60

layer backdrop 1 blur 60
  at 0   alpha 0
  at 30  alpha 100 bright -45
  at 174 scale 1.08
layer photo 1
  at 0   alpha 0 scale 1.0 x 960 y 540
  at 30  alpha 100 ease out
  at 174 scale 1.14 x 930 y 560 ease sine
layer carry
  at 0   alpha 100 scale 1.0
  at 30  alpha 0 scale 1.04 ease inout
layer vignette color2 #000000a0
  at 0   alpha 0
  at 40  alpha 100
