# A strip of film runs across the screen carrying the photo; it stops with
# the photo in the middle and the frame of film opens to the whole picture.
type      横照单张
category  电影胶片
frames    200
slot      0 0 heng
show      1 150

layer gradient color #5a4a3c color2 #2a211b angle 90
layer carry
  at 0   scale 1.0
  at 30  scale 0.5 x -300 alpha 0 ease in
layer film w 4200 h 700 color #141216
  at 0   x 4100 alpha 100
  at 30  x 4100
  at 80  x 960 ease out
  at 110 alpha 100
  at 135 alpha 0 scale 1.6 ease in
layer backdrop 1 blur 60
  at 0   alpha 0
  at 110 alpha 0
  at 140 alpha 100 bright -45
layer photo 1
  at 0   x 4100 scale 0.5
  at 30  x 4100
  at 80  x 960 ease out
  at 110 scale 0.5
  at 140 scale 1.0 ease inout
  at 199 scale 1.05 ease linear
