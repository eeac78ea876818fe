#pragma once

#include "swf/records.h"

#include <QGradient>

#include <array>
#include <vector>

namespace fotarel::swf {

// The colour at each of the 256 ratios of a gradient, as the Flash Player
// builds its table: a stop whose ratio is not past the one before it is
// moved one ratio past it (stops sharing a ratio become narrow bands in
// file order; those pushed past 255 are dropped); colour and alpha are
// interpolated each on their own (in linear light when `linearRgb`); before
// the first stop the first colour, after the last the last colour.
std::array<Rgba, 256> gradientColours(const std::vector<GradientStop>& stops, bool linearRgb = false);

// The gradient's stops for QGradient (positions 0..1, colour transformed),
// to be interpolated per component (QGradient::ComponentInterpolation).
QGradientStops gradientStops(const Gradient& g, const ColorTransform& cx);

} // namespace fotarel::swf
