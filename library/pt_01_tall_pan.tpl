# A tall photo (about 1 : 3) across the middle of the frame on its own
# blurred picture: it fades in with its top on screen, then the frame
# travels down it to its bottom.
type      竖照单张
category  全景效果
frames    250
slot      1080 3240 shu
show      1 137

layer backdrop 1 blur 60
  at 0   alpha 0
  at 25  alpha 100 bright -50
layer photo 1 shadow on
  at 0   alpha 0 y 1620
  at 25  alpha 100 ease out
  at 40  y 1620
  at 235 y -540 ease inout
layer carry
  at 0   alpha 100
  at 25  alpha 0 ease inout
