# Circles bloom across the screen to show the photo, which turns in from a
# slight angle and settles; a title of light closes the view.
type      横照单张
category  旋转特效
frames    200
slot      0 0 heng
show      1 100

layer carry
  at 0   scale 1.0 rot 0
  at 45  scale 1.2 rot 4 bright -50
layer backdrop 1 blur 60
  mask circles 0 45 count 10
  at 0   bright -50
layer photo 1 shadow on
  mask circles 0 45 count 10
  at 0   scale 1.25 rot -6
  at 100 scale 1.0 rot 0 ease out
  at 199 scale 1.04 ease linear
# Unmasked copies fade in over the last circles, closing the gaps between them.
layer backdrop 1 blur 60
  at 0   alpha 0 bright -50
  at 28  alpha 0
  at 45  alpha 100
layer photo 1 shadow on
  at 0   scale 1.25 rot -6 alpha 0
  at 28  alpha 0
  at 45  alpha 100
  at 100 scale 1.0 rot 0 ease out
  at 199 scale 1.04 ease linear
layer particles stars 20 seed 67 from 60
