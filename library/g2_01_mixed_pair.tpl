# One landscape and one portrait photo as framed prints on a linen-coloured
# background.
type      混合两张
category  高级模板
frames    200
slot      800 600 heng
slot      450 600 shu
show      1 90
show      2 90

layer carry
  at 0   scale 1.0
  at 40  scale 0.88 bright -60
layer radial color #f2ebe0 color2 #b7a68e
  at 0   alpha 0
  at 35  alpha 100
layer photo 1 border 18 shadow on
  at 0   x -500 y 560 rot -10
  at 50  x 700 rot -2 ease out
layer photo 2 border 18 shadow on
  at 0   x 2400 y 520 rot 10
  at 20  x 2400
  at 70  x 1450 rot 3 ease out
