# A wide panorama (about 5 : 1) at the full height of the frame: it fades in
# over the carry-over picture with its left end on screen, then the frame
# travels along it to its right end.
type      横照单张
category  全景效果
frames    250
slot      5400 1080 heng
show      1 137

layer backdrop 1 blur 60
  at 0   alpha 0
  at 25  alpha 100 bright -45
layer photo 1
  at 0   alpha 0 x 2700
  at 25  alpha 100 ease out
  at 40  x 2700
  at 235 x -780 ease inout
layer carry
  at 0   alpha 100
  at 25  alpha 0 ease inout
layer vignette color2 #00000060
  at 0   alpha 0
  at 40  alpha 100
