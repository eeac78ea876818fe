#include "swf/drawing.h"

#include "swf/clip.h"
#include "swf/player.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf {

namespace {

// Drawing coordinates are kept in whole twips, as in a shape record; far
// values are held where the painter still works with them.
double toTwips(double pixels) { return std::round(std::clamp(pixels * 20, -1.0e9, 1.0e9)); }

uint8_t alpha255(double percent) { return uint8_t(std::lround(std::clamp(percent, 0.0, 100.0) * 2.55)); }

Rgba rgba(uint32_t rgb, double alphaPercent)
{
    return Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), alpha255(alphaPercent)};
}

FillStyle fillStyleOf(const avm1::DrawFillStyle& f)
{
    using Kind = avm1::DrawFillStyle::Kind;
    FillStyle out;
    if (f.kind == Kind::Solid) {
        out.color = rgba(f.rgb, f.alpha);
        return out;
    }
    out.type = f.kind == Kind::Linear ? FillType::Linear : f.focal != 0 ? FillType::Focal : FillType::Radial;
    // The gradient square and the matrix are in pixels; the shape's in twips.
    out.matrix = Matrix{f.a, f.b, f.c, f.d, f.tx * 20, f.ty * 20};
    out.gradient.spread = f.spread == avm1::DrawFillStyle::Spread::Reflect  ? Spread::Reflect
                          : f.spread == avm1::DrawFillStyle::Spread::Repeat ? Spread::Repeat
                                                                            : Spread::Pad;
    out.gradient.linearRgb = f.linearRgb;
    out.gradient.focal = f.focal;
    for (const avm1::DrawGradientStop& s : f.stops)
        out.gradient.stops.push_back({s.ratio, rgba(s.rgb, s.alpha)});
    return out;
}

LineStyle lineStyleOf(const avm1::DrawLineStyle& l)
{
    LineStyle out;
    out.width = uint16_t(std::lround(l.width * 20));
    out.color = rgba(l.rgb, l.alpha);
    const Cap cap = l.cap == avm1::DrawLineStyle::Cap::None     ? Cap::None
                    : l.cap == avm1::DrawLineStyle::Cap::Square ? Cap::Square
                                                                : Cap::Round;
    out.startCap = out.endCap = cap;
    out.join = l.join == avm1::DrawLineStyle::Join::Miter   ? Join::Miter
               : l.join == avm1::DrawLineStyle::Join::Bevel ? Join::Bevel
                                                            : Join::Round;
    out.miterLimit = l.miterLimit;
    out.noHScale = !l.scaleX;
    out.noVScale = !l.scaleY;
    out.pixelHinting = l.pixelHinting;
    return out;
}

// The exact box of a straight or quadratic edge.
QRectF edgeBox(const QPointF& from, const QPointF& control, const QPointF& to, bool curve)
{
    double x0 = std::min(from.x(), to.x()), x1 = std::max(from.x(), to.x());
    double y0 = std::min(from.y(), to.y()), y1 = std::max(from.y(), to.y());
    if (curve) {
        // Where the curve's derivative vanishes on each axis.
        const auto extreme = [](double a, double c, double b, double& lo, double& hi) {
            const double den = a - 2 * c + b;
            if (den == 0)
                return;
            const double t = (a - c) / den;
            if (t > 0 && t < 1) {
                const double v = (1 - t) * (1 - t) * a + 2 * t * (1 - t) * c + t * t * b;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        };
        extreme(from.x(), control.x(), to.x(), x0, x1);
        extreme(from.y(), control.y(), to.y(), y0, y1);
    }
    // A box of no width still counts (a vertical line has bounds).
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

} // namespace

bool Drawing::full(int edges, int styles) const
{
    return int(shape_.edges.size()) + edges > limits::kMaxDrawingEdges ||
           int(shape_.fills.size() + shape_.lines.size()) + styles > limits::kMaxDrawingStyles;
}

bool Drawing::apply(const avm1::DrawCommand& cmd)
{
    using Kind = avm1::DrawCommand::Kind;
    const QPointF to(toTwips(cmd.x), toTwips(cmd.y));
    switch (cmd.kind) {
    case Kind::Clear:
        *this = Drawing();
        return true;
    case Kind::MoveTo:
        if (full(1, 0))
            return false;
        closeContour();
        pen_ = contourStart_ = to;
        return true;
    case Kind::LineTo:
    case Kind::CurveTo:
        if (full(2, 0))
            return false;
        addEdge(to, cmd.kind == Kind::CurveTo ? QPointF(toTwips(cmd.controlX), toTwips(cmd.controlY)) : to,
                cmd.kind == Kind::CurveTo);
        return true;
    case Kind::LineStyle:
        if (full(1, 2))
            return false;
        addLineStyle(lineStyleOf(cmd.line));
        return true;
    case Kind::NoLine:
        line_ = -1;
        return true;
    case Kind::BeginFill:
        if (full(1, 2))
            return false;
        closeContour();
        fill_ = -1;
        startGroup();
        shape_.fills.push_back(fillStyleOf(cmd.fill));
        shape_.groupFills.back().second = int(shape_.fills.size());
        fill_ = int(shape_.fills.size()) - 1;
        contourStart_ = pen_;
        return true;
    case Kind::EndFill:
        if (full(1, 0))
            return false;
        closeContour();
        fill_ = -1;
        return true;
    }
    return true;
}

void Drawing::startGroup()
{
    // A fill starts a style set of its own, so that it paints over what was
    // drawn before it (strokes included), in the order of the calls. A set
    // with neither fills nor edges yet is used as it is.
    const int last = int(shape_.groupFills.size()) - 1;
    if (last >= 0) {
        const bool hasFills = shape_.groupFills.back().first != shape_.groupFills.back().second;
        const bool hasEdges = !shape_.edgeGroup.empty() && shape_.edgeGroup.back() == last;
        if (!hasFills && !hasEdges)
            return;
    }
    shape_.groupFills.push_back({int(shape_.fills.size()), int(shape_.fills.size())});
    shape_.groupLines.push_back({int(shape_.lines.size()), int(shape_.lines.size())});
    compiled_.reset();
    if (line_ >= 0)
        addLineStyle(lineStyle_); // line styles belong to a set: the current one goes on in the new one
}

void Drawing::addLineStyle(const LineStyle& style)
{
    if (shape_.groupFills.empty())
        startGroup();
    lineStyle_ = style;
    shape_.lines.push_back(style);
    shape_.groupLines.back().second = int(shape_.lines.size());
    line_ = int(shape_.lines.size()) - 1;
    compiled_.reset();
}

Edge Drawing::edgeTo(const QPointF& to, const QPointF& control, bool curve) const
{
    Edge e;
    e.from = pen_;
    e.control = control;
    e.to = to;
    e.curve = curve;
    e.fill1 = fill_;
    e.line = line_;
    return e;
}

void Drawing::include(const Edge& e, QRectF& edges, QRectF& strokes) const
{
    const QRectF box = edgeBox(e.from, e.control, e.to, e.curve);
    edges = edges.isNull() ? box : edges.united(box);
    const double half = e.line >= 0 ? shape_.lines[size_t(e.line)].width / 2.0 : 0;
    const QRectF wide = box.adjusted(-half, -half, half, half);
    strokes = strokes.isNull() ? wide : strokes.united(wide);
}

void Drawing::addEdge(const QPointF& to, const QPointF& control, bool curve)
{
    const Edge e = edgeTo(to, control, curve);
    pen_ = to;
    if (e.fill1 < 0 && e.line < 0)
        return; // the pen moves and draws nothing
    if (shape_.groupFills.empty())
        startGroup();
    shape_.edges.push_back(e);
    shape_.edgeGroup.push_back(int(shape_.groupFills.size()) - 1);
    include(e, edgeBounds_, strokeBounds_);
    compiled_.reset();
}

bool Drawing::contourOpen() const { return fill_ >= 0 && pen_ != contourStart_; }

void Drawing::closeContour()
{
    // A fill's contour ends with a straight edge back to where it started,
    // stroked with the current line style like any other.
    if (contourOpen())
        addEdge(contourStart_, contourStart_, false);
}

QRectF Drawing::bounds(bool withStrokes) const
{
    QRectF edges = edgeBounds_, strokes = strokeBounds_;
    if (contourOpen())
        include(edgeTo(contourStart_, contourStart_, false), edges, strokes);
    return withStrokes ? strokes : edges;
}

const CompiledShape& Drawing::compiled() const
{
    if (!compiled_) {
        // A fill still open is painted closed, as the next endFill would close it.
        if (contourOpen()) {
            ShapeData closed = shape_;
            closed.edges.push_back(edgeTo(contourStart_, contourStart_, false));
            closed.edgeGroup.push_back(int(closed.groupFills.size()) - 1);
            compiled_ = std::make_shared<const CompiledShape>(compileShape(closed));
        } else {
            compiled_ = std::make_shared<const CompiledShape>(compileShape(shape_));
        }
    }
    return *compiled_;
}

void Clip::draw(const avm1::DrawCommand& command)
{
    if (kind != Kind::Sprite)
        return;
    if (!drawing) {
        if (command.kind == avm1::DrawCommand::Kind::Clear)
            return;
        drawing = std::make_unique<Drawing>();
    }
    if (!drawing->apply(command) && !player.drawingRefusalLogged) {
        player.drawingRefusalLogged = true;
        player.logError(QStringLiteral("drawing of %1 is full (%2 edges, %3 styles at most): further drawing refused")
                            .arg(targetPath())
                            .arg(limits::kMaxDrawingEdges)
                            .arg(limits::kMaxDrawingStyles));
    }
}

} // namespace fotarel::swf
