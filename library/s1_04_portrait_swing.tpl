# Horizontal blinds open, and the portrait swings into place like a
# hanging picture.
type      竖照单张
category  翻转特效
frames    175
slot      0 0 shu
show      1 100

layer carry
layer gradient color #2d2438 color2 #5e4b6e angle 90
  mask blinds-h 0 35 count 9
layer backdrop 1 blur 60
  mask blinds-h 0 35 count 9
  at 0   alpha 45
layer photo 1 border 16 shadow on
  mask blinds-h 0 35 count 9
  at 0   rot -12 scale 0.9
  at 70  rot 0 ease back
  at 174 scale 0.94 ease sine
