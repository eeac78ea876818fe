# Doors open from the middle onto the photo; it pulls back slowly and a
# title rises near its lower edge.
type      横照单张
category  标题特效
frames    200
slot      0 0 heng
show      1 60

layer carry
  at 0   scale 1.0
  at 35  scale 1.15 bright -50
layer backdrop 1 blur 60
  mask barn-h 0 35
  at 0   bright -45
layer photo 1
  mask barn-h 0 35
  at 0   scale 1.15
  at 199 scale 1.0 ease sine
layer gradient h 300 color #00000000 color2 #000000b0 angle 90
  at 0   y 930 alpha 0
  at 70  alpha 0
  at 100 alpha 100
layer title "时光的印记" size 72 color #ffffff color2 #ffe6b0
  at 0   alpha 0 y 990
  at 80  alpha 0
  at 120 alpha 100 y 960 ease out
