#pragma once

// What a clip's drawing methods made: kept as the same shape records a
// parsed DefineShape gives, so the renderer, the bounds and the hit tests
// treat it like any other shape. The clip paints it beneath its children.

#include "swf/avm1/drawing.h"
#include "swf/shape_paths.h"

#include <QRectF>

#include <memory>

namespace fotarel::swf {

namespace limits {
constexpr int kMaxDrawingEdges = 1 << 16;  // lines and curves of one clip's drawing
constexpr int kMaxDrawingStyles = 1 << 14; // fill and line styles of one clip's drawing
} // namespace limits

class Drawing {
public:
    // Applies one drawing call. False when the drawing is full (the call is
    // refused and the drawing stays as it was).
    bool apply(const avm1::DrawCommand& command);

    bool empty() const { return shape_.edges.empty() && !contourOpen(); }
    // The area drawn (twips of the clip), strokes included or not; null when
    // nothing is drawn.
    QRectF bounds(bool withStrokes) const;
    // The paths to paint, made again only after a change.
    const CompiledShape& compiled() const;

private:
    bool full(int edges, int styles) const;
    void startGroup();
    void addLineStyle(const LineStyle& style);
    Edge edgeTo(const QPointF& to, const QPointF& control, bool curve) const; // from the pen
    void addEdge(const QPointF& to, const QPointF& control, bool curve);
    void include(const Edge& e, QRectF& edges, QRectF& strokes) const;
    bool contourOpen() const; // a fill's contour that has not come back to its start
    void closeContour();

    ShapeData shape_; // every edge drawn; a fill's open contour is closed only when painted or ended
    QPointF pen_, contourStart_;
    int fill_ = -1; // the open fill's style, or -1
    int line_ = -1; // the current line style, or -1
    LineStyle lineStyle_;
    QRectF edgeBounds_, strokeBounds_;
    mutable std::shared_ptr<const CompiledShape> compiled_;
};

} // namespace fotarel::swf
