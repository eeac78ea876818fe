#pragma once

// Where a layer stands on a frame: its matrix and colour transform, as the
// movie's PlaceObject records carry them.

#include "swf/records.h"
#include "tools/templatec/scene.h"

namespace fotarel::templatec {

struct Placement {
    swf::Matrix m;
    swf::ColorTransform cx;
    bool operator==(const Placement&) const = default;
};

// Position in pixels, scale factors, rotation in degrees.
swf::Matrix transform(double x, double y, double sx, double sy, double rotDeg);
// Alpha in percent; brightness from -100 (black) to 100 (white).
swf::ColorTransform colour(double alpha, double bright);
Placement layerPlacement(const Layer& l, int frame);
// Equal within what the file keeps (twips, fixed-point factors).
bool samePlacement(const Placement& a, const Placement& b);

} // namespace fotarel::templatec
