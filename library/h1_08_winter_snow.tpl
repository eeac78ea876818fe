# A white flash carries the carry-over picture into the photo; snow falls
# over a cool, slowly zooming view.
type      横照单张
category  冬日飘雪
frames    200
slot      0 0 heng
show      1 80

layer carry
  at 0   bright 0
  at 18  bright 80 ease in
layer backdrop 1 blur 60
  at 0   alpha 0
  at 18  alpha 0
  at 19  alpha 100 bright 80
  at 45  bright -40 ease out
layer photo 1
  at 0   alpha 0
  at 18  alpha 0
  at 19  alpha 100 bright 80 scale 1.08
  at 45  bright 0 ease out
  at 199 scale 1.0 ease sine
layer rect color #1a3a6018
  at 0   alpha 0
  at 45  alpha 100
layer particles snow 60 seed 3 from 15
