#pragma once

#include "swf/records.h"

#include <QPainterPath>

namespace fotarel::swf {

// The closed area of fill style `fill` among edges [first, end): edges whose
// right side (fill1) carries the style run forward, edges whose left side
// (fill0) carries it run backward, and the directed edges are chained end to
// start into closed contours. Filled with the odd-even rule.
QPainterPath fillPath(const std::vector<Edge>& edges, int fill, int first, int end);

struct StyledPath {
    int style = 0; // index into the shape's fills or lines
    QPainterPath path;
};

// A shape ready to paint: for each style set in file order, its fill areas
// then its strokes.
struct ShapeLayer {
    std::vector<StyledPath> fills;
    std::vector<StyledPath> lines;
};

struct CompiledShape {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeLayer> layers;
    QRectF bounds; // twips
};

CompiledShape compileShape(const ShapeData& shape);

// The shape of a morph at ratio 0..65535.
ShapeData morphAt(const MorphShapeData& morph, int ratio);

} // namespace fotarel::swf
