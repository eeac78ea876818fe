# A square print turns in on a warm background inside an ornamental frame;
# petals fall.
type      通用单张
category  相框相册
frames    200
slot      860 860 shuheng
show      1 90

layer carry
  at 0   scale 1.0
  at 35  scale 0.8 bright -60
layer radial color #fbeee0 color2 #c49a6c
  at 0   alpha 0
  at 35  alpha 100
layer frame w 1860 h 1020 r 6 color #ffffffa0
  at 0   alpha 0
  at 45  alpha 100
layer photo 1 border 24 shadow on
  at 0   scale 0.2 rot -180 alpha 0
  at 50  scale 1.0 rot -3 alpha 100 ease out
  at 199 rot 2 ease sine
layer particles petals 24 seed 31 from 40
