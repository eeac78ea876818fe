# A collage: one large photo on the left and two smaller ones stacked on the
# right, each opening out of its own iris.
type      横照三张
category  拼图组合
frames    200
slot      1000 700 heng
slot      600 400 heng
slot      600 400 heng
show      1 110
show      2 110
show      3 110

layer carry
  at 0   scale 1.0
  at 40  scale 1.1 bright -60
layer gradient color #f4efe6 color2 #d7cbb8 angle 120
  mask wipe-left 0 30
layer photo 1 border 14 shadow on
  mask iris 10 50 cx 590 cy 540
  at 0   x 590 y 540 scale 1.06
  at 199 scale 1.0 ease sine
layer photo 2 border 14 shadow on
  mask iris 35 75 cx 1440 cy 300
  at 0   x 1440 y 300
layer photo 3 border 14 shadow on
  mask iris 55 95 cx 1440 cy 790
  at 0   x 1440 y 790
layer frame w 1880 h 1040 r 4 color #8a7a60a0
  at 0   alpha 0
  at 50  alpha 100
