# Three portraits fan out from the middle like cards in a hand.
type      竖照三张
category  相框相册
frames    225
slot      440 590 shu
slot      440 590 shu
slot      440 590 shu
show      1 110
show      2 110
show      3 110

layer carry
  at 0   scale 1.0
  at 40  scale 0.9 bright -60
layer gradient color #324a5f color2 #0c1821 angle 90
  at 0   alpha 0
  at 35  alpha 100
layer photo 1 border 14 shadow on
  at 0   x 960 y 600 rot 0 alpha 0
  at 30  alpha 100
  at 80  x 470 y 580 rot -8 ease out
layer photo 3 border 14 shadow on
  at 0   x 960 y 600 rot 0 alpha 0
  at 30  alpha 100
  at 80  x 1450 y 580 rot 8 ease out
layer photo 2 border 14 shadow on
  at 0   x 960 y 600 alpha 0 scale 0.8
  at 30  alpha 100
  at 80  y 530 scale 1.0 ease back
layer particles stars 24 seed 53 from 90
