# Two doors slide apart from the middle onto the portrait, which then rises
# gently in front of its blurred copy.
type      竖照单张
category  推拉切换
frames    175
slot      0 0 shu
show      1 80

layer carry
  at 0   bright 0
  at 35  bright -50
layer backdrop 1 blur 60
  mask barn-h 0 35
  at 0   bright -50
layer photo 1 border 14 shadow on
  mask barn-h 0 35
  at 0   scale 0.9 y 560
  at 174 y 530 scale 0.93 ease sine
layer vignette color2 #00000080
  at 0   alpha 0
  at 40  alpha 100
