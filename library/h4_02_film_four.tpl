# Four photos on a strip of film that runs across the screen from right to
# left and comes to rest.
type      横照四张
category  电影胶片
frames    225
slot      420 300 heng
slot      420 300 heng
slot      420 300 heng
slot      420 300 heng
show      1 120
show      2 120
show      3 120
show      4 120

layer carry
  at 0   scale 1.0
  at 30  scale 0.9 bright -60
layer gradient color #7d6b5a color2 #2b231c angle 90
  at 0   alpha 0
  at 30  alpha 100
layer film w 5000 h 430
  at 0   x 4600 y 540
  at 20  x 4600
  at 100 x 960 ease out
layer photo 1
  at 0   x 3955
  at 20  x 3955
  at 100 x 315 ease out
layer photo 2
  at 0   x 4385
  at 20  x 4385
  at 100 x 745 ease out
layer photo 3
  at 0   x 4815
  at 20  x 4815
  at 100 x 1175 ease out
layer photo 4
  at 0   x 5245
  at 20  x 5245
  at 100 x 1605 ease out
layer title "光影留声" size 76 color #fff4e0 color2 #e0c090
  at 0   alpha 0 y 200
  at 110 alpha 0
  at 140 alpha 100 y 180 ease out
