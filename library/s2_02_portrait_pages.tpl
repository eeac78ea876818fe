# Two portraits open like the pages of a book.
type      竖照两张
category  翻转特效
frames    200
slot      600 800 shu
slot      600 800 shu
show      1 80
show      2 110

layer carry
  at 0   bright 0
  at 40  bright -60
layer radial color #40506a color2 #151a24
  at 0   alpha 0
  at 30  alpha 100
layer photo 1 border 12 shadow on
  at 0   x 650 sx 0.02 alpha 0
  at 20  sx 0.02 alpha 0
  at 21  alpha 100
  at 55  sx 1 ease out
layer photo 2 border 12 shadow on
  at 0   x 1270 sx 0.02 alpha 0
  at 50  sx 0.02 alpha 0
  at 51  alpha 100
  at 85  sx 1 ease out
layer particles stars 20 seed 43 from 90
