#include "tools/templatec/geometry.h"

#include <QFont>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fotarel::templatec {

namespace {

constexpr double kPi = std::numbers::pi;

} // namespace

swf::Rgba rgba(const QColor& c, int alpha)
{
    return {uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()), uint8_t(alpha < 0 ? c.alpha() : alpha)};
}

swf::FillStyle solid(const QColor& c)
{
    swf::FillStyle f;
    f.type = swf::FillType::Solid;
    f.color = rgba(c);
    return f;
}

// Linear gradient across a w x h box centred on the origin, `angleDeg` the
// direction from the first colour to the second (90 = top to bottom).
swf::FillStyle linear(const std::vector<swf::GradientStop>& stops, double w, double h, double angleDeg)
{
    swf::FillStyle f;
    f.type = swf::FillType::Linear;
    const double a = angleDeg * kPi / 180.0;
    const double len = std::abs(w * std::cos(a)) + std::abs(h * std::sin(a));
    const double s = len * kTw / 32768.0;
    f.matrix = {s * std::cos(a), s * std::sin(a), -s * std::sin(a), s * std::cos(a), 0, 0};
    f.gradient.stops = stops;
    return f;
}

swf::FillStyle radial(const std::vector<swf::GradientStop>& stops, double rx, double ry)
{
    swf::FillStyle f;
    f.type = swf::FillType::Radial;
    f.matrix = {rx * kTw / 16384.0, 0, 0, ry * kTw / 16384.0, 0, 0};
    f.gradient.stops = stops;
    return f;
}

Contour rectContour(double cx, double cy, double w, double h)
{
    Contour c;
    const double x0 = (cx - w / 2) * kTw, x1 = (cx + w / 2) * kTw, y0 = (cy - h / 2) * kTw, y1 = (cy + h / 2) * kTw;
    c.points = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    return c;
}

Contour ellipseContour(double cx, double cy, double rx, double ry, int n)
{
    Contour c;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * kPi * i / n;
        c.points.emplace_back((cx + rx * std::cos(a)) * kTw, (cy + ry * std::sin(a)) * kTw);
    }
    return c;
}

Contour roundRectContour(double cx, double cy, double w, double h, double r)
{
    Contour c;
    r = std::min({r, w / 2, h / 2});
    const double corners[4][3] = {{cx + w / 2 - r, cy - h / 2 + r, -90}, {cx + w / 2 - r, cy + h / 2 - r, 0},
                                  {cx - w / 2 + r, cy + h / 2 - r, 90},  {cx - w / 2 + r, cy - h / 2 + r, 180}};
    for (const auto& k : corners)
        for (int i = 0; i <= 8; ++i) {
            const double a = (k[2] + 90.0 * i / 8) * kPi / 180;
            c.points.emplace_back((k[0] + r * std::cos(a)) * kTw, (k[1] + r * std::sin(a)) * kTw);
        }
    return c;
}

// A heart of the given width, centred on (cx, cy).
Contour heartContour(double cx, double cy, double size, int n)
{
    Contour c;
    const double k = size / 34.0;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * kPi * i / n;
        const double x = 16 * std::pow(std::sin(t), 3);
        const double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
        c.points.emplace_back((cx + x * k) * kTw, (cy - (y + 2.5) * k) * kTw);
    }
    return c;
}

Contour starContour(double cx, double cy, double r1, double r2, int points, double rotDeg)
{
    Contour c;
    for (int i = 0; i < points * 2; ++i) {
        const double a = (rotDeg + 180.0 * i / points) * kPi / 180;
        const double r = i % 2 ? r2 : r1;
        c.points.emplace_back((cx + r * std::cos(a)) * kTw, (cy + r * std::sin(a)) * kTw);
    }
    return c;
}

Contour petalContour(double len, double width)
{
    Contour c;
    for (int i = 0; i < 40; ++i) {
        const double t = 2 * kPi * i / 40;
        // A teardrop: narrow at the base, round at the tip, with a notch.
        const double x = width / 2 * std::sin(t) * (1 - 0.35 * std::cos(t));
        double y = -len / 2 * std::cos(t);
        if (std::abs(std::sin(t)) < 0.2 && std::cos(t) < 0)
            y -= len * 0.06 * (0.2 - std::abs(std::sin(t))) / 0.2 * -1;
        c.points.emplace_back(x * kTw, y * kTw);
    }
    return c;
}

Contour polygon(const std::vector<QPointF>& pxPoints)
{
    Contour c;
    for (const QPointF& p : pxPoints)
        c.points.emplace_back(p.x() * kTw, p.y() * kTw);
    return c;
}

// Mask geometry on the stage for a progress p in [0, 1].
std::vector<Contour> maskContours(const MaskDef& m, double p)
{
    std::vector<Contour> out;
    const double W = kStageWidth, H = kStageHeight;
    const bool full = p >= 0.999;
    if (full) {
        out.push_back(rectContour(W / 2, H / 2, W + 400, H + 400));
        return out;
    }
    if (p <= 0.001)
        return out;
    const QString& k = m.kind;
    if (k == "iris") {
        const double R = std::hypot(std::max(m.cx, W - m.cx), std::max(m.cy, H - m.cy)) + 4;
        out.push_back(ellipseContour(m.cx, m.cy, R * p, R * p, 120));
    } else if (k == "wipe-left") {
        out.push_back(rectContour(W * p / 2, H / 2, W * p, H + 40));
    } else if (k == "wipe-right") {
        out.push_back(rectContour(W - W * p / 2, H / 2, W * p, H + 40));
    } else if (k == "wipe-down") {
        out.push_back(rectContour(W / 2, H * p / 2, W + 40, H * p));
    } else if (k == "wipe-up") {
        out.push_back(rectContour(W / 2, H - H * p / 2, W + 40, H * p));
    } else if (k == "blinds-h" || k == "blinds-v") {
        const bool horiz = k == "blinds-h";
        const double span = (horiz ? H : W) / m.count;
        for (int i = 0; i < m.count; ++i) {
            // Later strips open a little later: a soft ripple across the blinds.
            const double lag = 0.4 * i / std::max(1, m.count - 1);
            const double q = std::clamp((p - lag) / 0.6, 0.0, 1.0);
            if (q <= 0)
                continue;
            const double c = span * (i + 0.5);
            out.push_back(horiz ? rectContour(W / 2, c, W + 40, span * q + 0.5) : rectContour(c, H / 2, span * q + 0.5, H + 40));
        }
    } else if (k == "diamond") {
        const double d = (W / 2 + H / 2 + 10) * p;
        out.push_back(polygon({{m.cx, m.cy - d}, {m.cx + d, m.cy}, {m.cx, m.cy + d}, {m.cx - d, m.cy}}));
    } else if (k == "heart") {
        out.push_back(heartContour(m.cx, m.cy, 3400 * p * p + 1));
    } else if (k == "clock") {
        std::vector<QPointF> pts{{m.cx, m.cy}};
        const double R = 1400;
        const int n = std::max(2, int(120 * p));
        for (int i = 0; i <= n; ++i) {
            const double a = -kPi / 2 + 2 * kPi * p * i / n;
            pts.emplace_back(m.cx + R * std::cos(a), m.cy + R * std::sin(a));
        }
        out.push_back(polygon(pts));
    } else if (k == "barn-h") {
        out.push_back(rectContour(W / 2, H / 2, W * p, H + 40));
    } else if (k == "barn-v") {
        out.push_back(rectContour(W / 2, H / 2, W + 40, H * p));
    } else if (k == "checker" || k == "circles") {
        const int cols = m.count, rows = std::max(1, int(std::lround(m.count * H / W)));
        const double cw = W / cols, ch = H / rows;
        const int diag = cols + rows - 2;
        auto progress = [&](int i, int j) {
            const double lag = 0.5 * (i + j) / std::max(1, diag);
            return std::clamp((p - lag) / 0.5, 0.0, 1.0);
        };
        // Squares: the full cells form a staircase from the top left (their
        // progress falls with i + j); one outline for all of them leaves no
        // seams between neighbours. The growing cells come on their own.
        std::vector<int> fullCells(size_t(rows), 0);
        if (k == "checker") {
            std::vector<QPointF> stairs{{0, 0}};
            for (int j = 0; j < rows; ++j) {
                while (fullCells[size_t(j)] < cols && progress(fullCells[size_t(j)], j) >= 1.0)
                    ++fullCells[size_t(j)];
                const double x = cw * fullCells[size_t(j)];
                stairs.emplace_back(x, ch * j);
                stairs.emplace_back(x, ch * (j + 1));
            }
            stairs.emplace_back(0, ch * rows);
            if (fullCells[0] > 0)
                out.push_back(polygon(stairs));
        }
        for (int j = 0; j < rows; ++j)
            for (int i = fullCells[size_t(j)]; i < cols; ++i) {
                const double q = progress(i, j);
                if (q <= 0)
                    continue;
                if (k == "checker")
                    out.push_back(rectContour(cw * (i + 0.5), ch * (j + 0.5), cw * q, ch * q));
                else
                    out.push_back(ellipseContour(cw * (i + 0.5), ch * (j + 0.5), cw * 0.5 * q, ch * 0.5 * q, 36));
            }
    }
    return out;
}

// Complement inside a large rectangle: hides what the contours show.
std::vector<Contour> invert(std::vector<Contour> c)
{
    c.insert(c.begin(), rectContour(kStageWidth / 2.0, kStageHeight / 2.0, 6000, 6000));
    return c;
}

std::vector<Contour> pathContours(const QPainterPath& path)
{
    std::vector<Contour> out;
    for (const QPolygonF& poly : path.toSubpathPolygons()) {
        Contour c;
        for (const QPointF& p : poly)
            c.points.emplace_back(p.x() * kTw, p.y() * kTw);
        if (c.points.size() > 1 && c.points.front() == c.points.back())
            c.points.pop_back();
        out.push_back(std::move(c));
    }
    return out;
}

QPainterPath titleOutline(const QString& text, const QString& font, double pixelSize)
{
    QFont f;
    if (font == "serif") {
        f.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Serif"), QStringLiteral("DejaVu Serif"),
                       QStringLiteral("serif")});
        f.setStyleHint(QFont::Serif);
    } else {
        f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("DejaVu Sans"),
                       QStringLiteral("sans-serif")});
        f.setStyleHint(QFont::SansSerif);
    }
    f.setPixelSize(int(pixelSize));
    f.setWeight(QFont::DemiBold);
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF b = path.boundingRect();
    return path.translated(-b.center());
}

} // namespace fotarel::templatec
