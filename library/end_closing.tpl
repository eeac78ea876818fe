# The ending: the last picture of the album recedes into the dark, a title
# appears, and everything fades to black.
type      片尾
category  片尾
frames    100
ending

layer radial color #2a2233 color2 #000000
layer carry
  at 0   scale 1.0 rot 0
  at 45  scale 0.55 rot -4 bright -30 alpha 100 ease inout
  at 60  alpha 0 scale 0.5
layer particles stars 24 seed 61 from 20 to 99
layer title "谢谢观赏" size 110 color #fff6e0 color2 #e6c27a
  at 0   alpha 0 scale 0.9
  at 35  alpha 0
  at 55  alpha 100 scale 1.0 ease out
  at 80  alpha 100
  at 96  alpha 0
layer title "THE END" size 42 font sans color #d8d0c0
  at 0   alpha 0 y 640
  at 45  alpha 0
  at 62  alpha 100 ease out
  at 80  alpha 100
  at 96  alpha 0
layer rect color #000000
  at 0   alpha 0
  at 82  alpha 0
  at 99  alpha 100 ease in
