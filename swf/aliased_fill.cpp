#include "swf/aliased_fill.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace fotarel::swf {

namespace {

struct Edge {
    double x0, y0, x1, y1; // y0 < y1
    int dir;               // +1 downwards in the path's order, -1 upwards
    int rowBegin, rowEnd;  // the rows whose centre line y + 0.5 lies in [y0, y1)
};

// Device coordinates are kept to 1/256 pixel, as the Flash Player's
// rasterizer keeps them; which pixel centres an edge passes on which side of
// depends on it.
QPointF snap(QPointF p)
{
    return {std::round(p.x() * 256) / 256, std::round(p.y() * 256) / 256};
}

// The straight edges of a path, in device pixels, limited to the rows that
// matter. Points are given in the path's units.
class EdgeList {
public:
    EdgeList(const QRect& limit, const QTransform& toDevice, double unitTwips)
        : limit_(limit), toDevice_(toDevice), fromDevice_(toDevice.inverted()), unitTwips_(unitTwips)
    {
    }

    void line(QPointF from, QPointF to) { deviceLine(toDevice_.map(from), toDevice_.map(to)); }

    // A quadratic curve is cut into n equal steps of its parameter, n
    // growing with the square root of how far its control point pulls it
    // (|a - 2c + b| in twips): the Flash Player's low quality follows curves
    // this coarsely, and a finer curve would take other pixels.
    void quad(QPointF a, QPointF c, QPointF b)
    {
        // The points where it is cut are kept to 1/40 device pixel (half a
        // twip at the stage's own size), as the Flash Player keeps them:
        // which side of a pixel centre a step passes can depend on it.
        const QPointF bend = (a - 2 * c + b) * unitTwips_;
        curve(a, b, std::sqrt(std::hypot(bend.x(), bend.y()) / 8), [&](double t, double u) {
            const QPointF onDevice = toDevice_.map(u * u * a + 2 * u * t * c + t * t * b);
            return fromDevice_.map(QPointF(std::floor(onDevice.x() * 40 + 0.5), std::floor(onDevice.y() * 40 + 0.5)) / 40);
        });
    }

    void cubic(QPointF a, QPointF c1, QPointF c2, QPointF b)
    {
        // A quadratic curve stored as a cubic (QPainterPath keeps them so) is
        // cut as the quadratic it is.
        const QPointF q1 = (3 * c1 - a) / 2, q2 = (3 * c2 - b) / 2;
        if (std::abs(q1.x() - q2.x()) < 1e-6 && std::abs(q1.y() - q2.y()) < 1e-6) {
            quad(a, (q1 + q2) / 2, b);
            return;
        }
        // Other cubics (outlines of strokes) within about 1/5 pixel.
        const QPointF d1 = toDevice_.map(a) - 2 * toDevice_.map(c1) + toDevice_.map(c2);
        const QPointF d2 = toDevice_.map(c1) - 2 * toDevice_.map(c2) + toDevice_.map(b);
        curve(a, b, std::sqrt(7.5 * std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()))),
              [&](double t, double u) { return u * u * u * a + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * b; });
    }

    std::vector<Edge>& edges() { return edges_; }

private:
    template <typename At>
    void curve(QPointF a, QPointF b, double steps, At at)
    {
        const int n = std::clamp(std::isfinite(steps) ? int(std::ceil(std::min(steps, 64.0))) : 64, 1, 64);
        QPointF prev = a;
        for (int i = 1; i <= n; ++i) {
            const double t = double(i) / n;
            const QPointF next = i == n ? b : at(t, 1 - t);
            line(prev, next);
            prev = next;
        }
    }

    void deviceLine(QPointF a, QPointF b)
    {
        a = snap(a);
        b = snap(b);
        if (a.y() == b.y() || !std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
            !std::isfinite(b.y()))
            return;
        Edge e{a.x(), a.y(), b.x(), b.y(), 1, 0, 0};
        if (e.y0 > e.y1) {
            std::swap(e.x0, e.x1);
            std::swap(e.y0, e.y1);
            e.dir = -1;
        }
        const double top = std::max(e.y0 - 0.5, double(limit_.top()) - 1);
        const double bottom = std::min(e.y1 - 0.5, double(limit_.bottom()) + 1);
        if (top >= bottom)
            return;
        e.rowBegin = std::max(int(std::ceil(top)), limit_.top());
        e.rowEnd = std::min(int(std::ceil(bottom)), limit_.bottom() + 1);
        if (e.rowBegin < e.rowEnd)
            edges_.push_back(e);
    }

    QRect limit_;
    QTransform toDevice_, fromDevice_;
    double unitTwips_;
    std::vector<Edge> edges_;
};

} // namespace

std::vector<PixelSpan> aliasedSpans(const QPainterPath& path, const QTransform& toDevice, const QRect& limit,
                                    double unitTwips)
{
    std::vector<PixelSpan> spans;
    if (limit.isEmpty())
        return spans;
    EdgeList list(limit, toDevice, unitTwips);
    QPointF start, last;
    bool open = false;
    const int n = path.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF pt(e.x, e.y);
        if (e.type == QPainterPath::MoveToElement) {
            if (open)
                list.line(last, start);
            start = last = pt;
            open = true;
        } else if (e.type == QPainterPath::LineToElement) {
            list.line(last, pt);
            last = pt;
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < n) {
            const QPointF c2(path.elementAt(i + 1).x, path.elementAt(i + 1).y);
            const QPointF end(path.elementAt(i + 2).x, path.elementAt(i + 2).y);
            list.cubic(last, pt, c2, end);
            last = end;
            i += 2;
        }
    }
    if (open)
        list.line(last, start);

    std::vector<Edge>& edges = list.edges();
    if (edges.empty())
        return spans;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.rowBegin < b.rowBegin; });
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    int row = edges.front().rowBegin;
    while (next < edges.size() || !active.empty()) {
        if (active.empty() && next < edges.size())
            row = std::max(row, edges[next].rowBegin);
        while (next < edges.size() && edges[next].rowBegin <= row)
            active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [row](const Edge* e) { return e->rowEnd <= row; }),
                     active.end());
        if (active.empty())
            continue;
        const double yc = row + 0.5;
        crossings.clear();
        for (const Edge* e : active)
            crossings.emplace_back(e->x0 + (yc - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->dir);
        std::sort(crossings.begin(), crossings.end());
        const bool windingFill = path.fillRule() == Qt::WindingFill;
        int winding = 0;
        for (size_t k = 0; k + 1 < crossings.size(); ++k) {
            winding += windingFill ? crossings[k].second : 1;
            const bool inside = windingFill ? winding != 0 : (winding & 1) != 0;
            if (!inside)
                continue;
            // Pixels whose centre x + 0.5 lies in [left, right).
            const int x0 = std::max(int(std::ceil(std::max(crossings[k].first - 0.5, double(limit.left()) - 1))),
                                    limit.left());
            const int x1 = std::min(int(std::ceil(std::min(crossings[k + 1].first - 0.5, double(limit.right()) + 1))),
                                    limit.right() + 1);
            if (x0 >= x1)
                continue;
            if (!spans.empty() && spans.back().y == row && spans.back().x1 >= x0)
                spans.back().x1 = std::max(spans.back().x1, x1);
            else
                spans.push_back({row, x0, x1});
        }
        ++row;
    }
    return spans;
}

void fillAliased(QPainter& p, const QPainterPath& path, const QTransform& toDevice, const QBrush& brush,
                 double unitTwips)
{
    const QPaintDevice* device = p.device();
    if (!device || brush.style() == Qt::NoBrush)
        return;
    QRect limit(0, 0, device->width(), device->height());
    if (p.hasClipping())
        limit &= p.transform().mapRect(p.clipBoundingRect()).toAlignedRect();
    const std::vector<PixelSpan> spans = aliasedSpans(path, toDevice, limit, unitTwips);
    if (spans.empty())
        return;
    QBrush b = brush;
    if (b.style() != Qt::SolidPattern)
        b.setTransform(brush.transform() * toDevice);
    p.save();
    p.resetTransform();
    // Rows with the same spans as the row above extend its rectangles.
    size_t blockStart = 0, blockLen = 0;
    int top = 0, lastRow = 0;
    auto flush = [&] {
        for (size_t k = blockStart; k < blockStart + blockLen; ++k)
            p.fillRect(QRect(spans[k].x0, top, spans[k].x1 - spans[k].x0, lastRow - top + 1), b);
    };
    for (size_t i = 0; i < spans.size();) {
        size_t j = i;
        while (j < spans.size() && spans[j].y == spans[i].y)
            ++j;
        const bool same = blockLen == j - i && spans[i].y == lastRow + 1 &&
                          std::equal(spans.begin() + long(i), spans.begin() + long(j), spans.begin() + long(blockStart),
                                     [](const PixelSpan& a, const PixelSpan& c) { return a.x0 == c.x0 && a.x1 == c.x1; });
        if (!same) {
            flush();
            blockStart = i;
            blockLen = j - i;
            top = spans[i].y;
        }
        lastRow = spans[i].y;
        i = j;
    }
    flush();
    p.restore();
}

} // namespace fotarel::swf
