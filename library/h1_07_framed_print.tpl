# The photo arrives as a framed print with a soft shadow on a warm
# background, turning gently as it settles; a title glows above it.
type      横照单张
category  相框相册
frames    200
slot      0 0 heng
show      1 100

layer radial color #f6e7cf color2 #b98b5e
layer frame w 1840 h 1000 r 5 color #ffffff90
  at 0   alpha 0
  at 40  alpha 100
layer photo 1 border 26 shadow on
  at 0   scale 1.4 rot -8 alpha 0 y 590
  at 40  scale 0.66 rot -2 alpha 100 ease out
  at 199 scale 0.69 rot 1.5 ease sine
layer carry
  at 0   alpha 100 scale 1.0
  at 30  alpha 0 scale 0.6 rot 6 ease in
layer title "美好时光" size 76 color #fffaf0 color2 #f0d8a8
  at 0   alpha 0 y 150
  at 60  alpha 0
  at 90  alpha 100 y 140 ease out
