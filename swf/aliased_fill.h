#pragma once

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QTransform>

#include <vector>

namespace fotarel::swf {

// The pixels a path covers without antialiasing, as the Flash Player's low
// quality takes them: a pixel belongs to the area when its centre lies
// inside (a centre exactly on an edge belongs to the area on that edge's
// right, and on a horizontal edge to the area below). Quadratic curves are
// cut into straight steps as coarsely as the Flash Player cuts them (by
// their bend in twips), so the same pixels come out. Rows are given as
// spans of pixels.
struct PixelSpan {
    int y, x0, x1; // pixels x0 .. x1 - 1 of row y
};

// The spans of `path` mapped by `toDevice`, limited to `limit` (device
// pixels), by the path's fill rule. `unitTwips`: twips per unit of the path (glyphs are drawn in their font's
// units).
std::vector<PixelSpan> aliasedSpans(const QPainterPath& path, const QTransform& toDevice, const QRect& limit,
                                    double unitTwips = 1);

// Fills `path` (in the coordinates `toDevice` maps to the painter's device
// pixels) with `brush` (given in the same coordinates) on the pixels
// aliasedSpans chooses, through the painter's clip and composition mode.
void fillAliased(QPainter& p, const QPainterPath& path, const QTransform& toDevice, const QBrush& brush,
                 double unitTwips = 1);

} // namespace fotarel::swf
