# A diamond opens on the photo; warm bokeh lights float up while the view
# turns and zooms a little.
type      横照单张
category  梦幻光斑
frames    200
slot      0 0 heng
show      1 80

layer carry
layer backdrop 1 blur 60
  mask diamond 0 40
  at 0   bright -50
layer photo 1
  mask diamond 0 40
  at 0   scale 1.0 rot 0
  at 199 scale 1.1 rot 1.5 ease sine
layer particles bokeh 18 seed 11 from 30
layer vignette color2 #000000a0
  at 0   alpha 0
  at 40  alpha 100
