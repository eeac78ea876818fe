# Squares open one after another across the screen to show the photo;
# small stars twinkle while the view comes slowly closer.
type      横照单张
category  星光闪烁
frames    175
slot      0 0 heng
show      1 80

layer carry
  at 0   bright 0
  at 45  bright -50
layer backdrop 1 blur 60
  mask checker 0 45 count 12
  at 0   bright -45
layer photo 1
  mask checker 0 45 count 12
  at 0   scale 1.0
  at 174 scale 1.1 y 560 ease sine
layer particles stars 30 seed 5 from 40
