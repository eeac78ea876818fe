# Three prints drop in one after another and line up across the screen.
type      横照三张
category  相框相册
frames    225
slot      540 405 heng
slot      540 405 heng
slot      540 405 heng
show      1 120
show      2 120
show      3 120

layer carry
  at 0   scale 1.0
  at 35  scale 0.9 bright -60
layer gradient color #2e3a4a color2 #6b7f8f angle 60
  at 0   alpha 0
  at 35  alpha 100
layer photo 1 border 16 shadow on
  at 0   x 340 y -400 rot -12
  at 10  y -400
  at 50  y 560 rot -4 ease back
layer photo 2 border 16 shadow on
  at 0   x 960 y -400 rot 10
  at 35  y -400
  at 75  y 520 rot 2 ease back
layer photo 3 border 16 shadow on
  at 0   x 1580 y -400 rot -8
  at 60  y -400
  at 100 y 570 rot 5 ease back
layer particles stars 24 seed 2 from 100
layer title "幸福瞬间" size 80 color #ffffff color2 #e8f0ff
  at 0   alpha 0 y 930
  at 110 alpha 0
  at 140 alpha 100 y 900 ease out
