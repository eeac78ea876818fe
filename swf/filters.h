#pragma once

// The filters' pixel work (blur, drop shadow, glow, bevel, gradient glow and
// bevel, convolution, colour matrix) on premultiplied ARGB pictures in
// device pixels; the renderer decides where they apply.

#include "swf/records.h"

#include <QImage>

#include <vector>

namespace fotarel::swf {

// Filters on a premultiplied image, in device pixels (`scale` = device
// pixels per stage pixel).
void applyFilter(QImage& img, const Filter& filter, double scale);
// A box blur of `passes` passes with boxes `widthX` × `widthY` pixels wide
// (edges fade to transparent). Wide boxes are run on a copy shrunk by up to
// `maxShrink`, which looks the same and costs a fraction; 1 blurs at full
// size.
void boxBlur(QImage& img, double widthX, double widthY, int passes, int maxShrink = 8);
// How far filters spread an object's picture, in device pixels: across and
// down (filterMargins), or the larger of the two (filterMargin).
QSize filterMargins(const std::vector<Filter>& filters, double scale);
int filterMargin(const std::vector<Filter>& filters, double scale);
// Draws the outer shadow or glow of a source painted k times smaller
// (`small`, whose top left corner lies at target pixel `smallCorner`) onto
// `target` within `area`, offset by `offset` target pixels, except where the
// source itself will cover it. `smallScale`: device pixels of `small` per stage
// pixel.
void drawShadowOnto(QImage& target, const QRect& area, const QImage& small, QPoint smallCorner, int k,
                    const Filter& filter, double smallScale, QPoint offset);
// How many times smaller a blur of these radii (device pixels) can be
// computed without a visible difference (1: not at all), keeping the radius
// at least `smallestRadius` pixels at the small size.
int blurShrinkFactor(double radiusX, double radiusY, int smallestRadius = 6);


} // namespace fotarel::swf
