# A portrait photo fades in over a blurred copy of itself and rises slowly
# while it comes closer.
type      竖照单张
category  全屏效果
frames    175
slot      0 0 shu
show      1 60

layer backdrop 1 blur 60
  at 0   alpha 0
  at 30  alpha 100 bright -50
  at 174 scale 1.1
layer photo 1 shadow on
  at 0   alpha 0 y 560
  at 30  alpha 100 ease out
  at 174 y 520 scale 1.06 ease sine
layer carry
  at 0   alpha 100
  at 30  alpha 0 ease inout
layer vignette color2 #00000090
  at 0   alpha 0
  at 40  alpha 100
