#include "swf/shape_paths.h"

#include <unordered_map>

namespace fotarel::swf {

namespace {

struct Directed {
    QPointF from, control, to;
    bool curve;
};

int64_t key(const QPointF& p)
{
    // Edge ends are whole twips; rounding also joins ends that drifted by a
    // fraction after a morph interpolation.
    const uint64_t x = uint64_t(std::llround(p.x())), y = uint64_t(std::llround(p.y()));
    return int64_t((x << 32) ^ (y & 0xffffffffu));
}

} // namespace

QPainterPath fillPath(const std::vector<Edge>& edges, int fill, int first, int end)
{
    std::vector<Directed> segs;
    for (int i = first; i < end; ++i) {
        const Edge& e = edges[size_t(i)];
        if (e.fill0 == e.fill1)
            continue; // same style on both sides: no boundary
        if (e.fill1 == fill)
            segs.push_back({e.from, e.control, e.to, e.curve});
        else if (e.fill0 == fill)
            segs.push_back({e.to, e.control, e.from, e.curve});
    }
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    if (segs.empty())
        return path;
    std::unordered_multimap<int64_t, size_t> byStart;
    byStart.reserve(segs.size());
    for (size_t i = 0; i < segs.size(); ++i)
        byStart.emplace(key(segs[i].from), i);
    std::vector<char> used(segs.size(), 0);
    auto take = [&](const QPointF& at) -> int64_t {
        auto range = byStart.equal_range(key(at));
        for (auto it = range.first; it != range.second; ++it) {
            if (!used[it->second]) {
                const size_t idx = it->second;
                byStart.erase(it);
                return int64_t(idx);
            }
        }
        return -1;
    };
    for (size_t i = 0; i < segs.size(); ++i) {
        if (used[i])
            continue;
        // Remove i from the start index as well.
        auto range = byStart.equal_range(key(segs[i].from));
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second == i) {
                byStart.erase(it);
                break;
            }
        }
        used[i] = 1;
        const QPointF start = segs[i].from;
        path.moveTo(start);
        size_t cur = i;
        while (true) {
            const Directed& s = segs[cur];
            if (s.curve)
                path.quadTo(s.control, s.to);
            else
                path.lineTo(s.to);
            if (key(s.to) == key(start))
                break;
            const int64_t next = take(s.to);
            if (next < 0)
                break; // open contour: closed by a straight line below
            used[size_t(next)] = 1;
            cur = size_t(next);
        }
        path.closeSubpath();
    }
    return path;
}

CompiledShape compileShape(const ShapeData& shape)
{
    CompiledShape out;
    out.fills = shape.fills;
    out.lines = shape.lines;
    out.bounds = QRectF(QPointF(shape.bounds.xMin, shape.bounds.yMin), QPointF(shape.bounds.xMax, shape.bounds.yMax));
    const int groups = int(shape.groupFills.size());
    out.layers.resize(size_t(std::max(groups, 1)));
    // Edge ranges per style set (edges of one set are contiguous).
    size_t e = 0;
    for (int g = 0; g < groups; ++g) {
        const size_t first = e;
        while (e < shape.edges.size() && shape.edgeGroup[e] == g)
            ++e;
        ShapeLayer& layer = out.layers[size_t(g)];
        for (int f = shape.groupFills[size_t(g)].first; f < shape.groupFills[size_t(g)].second; ++f) {
            QPainterPath p = fillPath(shape.edges, f, int(first), int(e));
            // Contours run with their fill on one side, so the non-zero rule
            // joins overlapping contours of one style where odd-even cuts holes.
            if (shape.nonZeroWinding)
                p.setFillRule(Qt::WindingFill);
            if (!p.isEmpty())
                layer.fills.push_back({f, std::move(p)});
        }
        for (int l = shape.groupLines[size_t(g)].first; l < shape.groupLines[size_t(g)].second; ++l) {
            QPainterPath p;
            QPointF last(qQNaN(), qQNaN());
            for (size_t i = first; i < e; ++i) {
                const Edge& edge = shape.edges[i];
                if (edge.line != l)
                    continue;
                if (!(edge.from == last))
                    p.moveTo(edge.from);
                if (edge.curve)
                    p.quadTo(edge.control, edge.to);
                else
                    p.lineTo(edge.to);
                last = edge.to;
            }
            if (!p.isEmpty())
                layer.lines.push_back({l, std::move(p)});
        }
    }
    return out;
}

namespace {

double mix(double a, double b, double t) { return a + (b - a) * t; }
uint8_t mix8(uint8_t a, uint8_t b, double t) { return uint8_t(std::lround(mix(a, b, t))); }
Rgba mixColor(Rgba a, Rgba b, double t) { return Rgba{mix8(a.r, b.r, t), mix8(a.g, b.g, t), mix8(a.b, b.b, t), mix8(a.a, b.a, t)}; }
QPointF mixPoint(QPointF a, QPointF b, double t) { return a + (b - a) * t; }

FillStyle mixFill(const FillStyle& a, const FillStyle& b, double t)
{
    FillStyle f = a;
    f.color = mixColor(a.color, b.color, t);
    f.matrix.a = mix(a.matrix.a, b.matrix.a, t);
    f.matrix.b = mix(a.matrix.b, b.matrix.b, t);
    f.matrix.c = mix(a.matrix.c, b.matrix.c, t);
    f.matrix.d = mix(a.matrix.d, b.matrix.d, t);
    f.matrix.tx = mix(a.matrix.tx, b.matrix.tx, t);
    f.matrix.ty = mix(a.matrix.ty, b.matrix.ty, t);
    f.gradient.focal = mix(a.gradient.focal, b.gradient.focal, t);
    for (size_t i = 0; i < f.gradient.stops.size() && i < b.gradient.stops.size(); ++i) {
        f.gradient.stops[i].ratio = mix8(a.gradient.stops[i].ratio, b.gradient.stops[i].ratio, t);
        f.gradient.stops[i].color = mixColor(a.gradient.stops[i].color, b.gradient.stops[i].color, t);
    }
    return f;
}

} // namespace

ShapeData morphAt(const MorphShapeData& m, int ratio)
{
    const double t = std::clamp(ratio, 0, 65535) / 65535.0;
    ShapeData s = m.start;
    for (size_t i = 0; i < s.fills.size() && i < m.endFills.size(); ++i)
        s.fills[i] = mixFill(m.start.fills[i], m.endFills[i], t);
    for (size_t i = 0; i < s.lines.size() && i < m.endLines.size(); ++i) {
        s.lines[i].width = uint16_t(std::lround(mix(m.start.lines[i].width, m.endLines[i].width, t)));
        s.lines[i].color = mixColor(m.start.lines[i].color, m.endLines[i].color, t);
        if (s.lines[i].hasFill)
            s.lines[i].fill = mixFill(m.start.lines[i].fill, m.endLines[i].fill, t);
    }
    for (size_t i = 0; i < s.edges.size() && i < m.endEdges.size(); ++i) {
        Edge& e = s.edges[i];
        const Edge& a = m.start.edges[i];
        const Edge& b = m.endEdges[i];
        // A straight edge paired with a curve becomes a curve with its
        // control point in the middle.
        const bool curve = a.curve || b.curve;
        const QPointF ca = a.curve ? a.control : (a.from + a.to) / 2;
        const QPointF cb = b.curve ? b.control : (b.from + b.to) / 2;
        e.from = mixPoint(a.from, b.from, t);
        e.to = mixPoint(a.to, b.to, t);
        e.control = curve ? mixPoint(ca, cb, t) : e.from;
        e.curve = curve;
    }
    s.bounds.xMin = int(mix(m.startBounds.xMin, m.endBounds.xMin, t));
    s.bounds.xMax = int(mix(m.startBounds.xMax, m.endBounds.xMax, t));
    s.bounds.yMin = int(mix(m.startBounds.yMin, m.endBounds.yMin, t));
    s.bounds.yMax = int(mix(m.startBounds.yMax, m.endBounds.yMax, t));
    return s;
}

} // namespace fotarel::swf
