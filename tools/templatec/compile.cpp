#include "tools/templatec/compile.h"

#include "tools/templatec/actions.h"
#include "tools/templatec/swf_writer.h"

#include "templates/package.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fotarel::templatec {

namespace {

constexpr double kTw = 20.0; // twips per pixel
constexpr double kPi = std::numbers::pi;

swf::Rgba rgba(const QColor& c, int alpha = -1)
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

Contour ellipseContour(double cx, double cy, double rx, double ry, int n = 72)
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
Contour heartContour(double cx, double cy, double size, int n = 96)
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

Contour starContour(double cx, double cy, double r1, double r2, int points, double rotDeg = -90)
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

// Deterministic random numbers for particles.
struct Rng {
    uint32_t s;
    double next()
    {
        s = s * 1664525u + 1013904223u;
        return (s >> 8) / double(1 << 24);
    }
    double range(double a, double b) { return a + (b - a) * next(); }
};

struct Placement {
    swf::Matrix m;
    swf::ColorTransform cx;
    bool operator==(const Placement&) const = default;
};

swf::Matrix transform(double x, double y, double sx, double sy, double rotDeg)
{
    const double a = rotDeg * kPi / 180;
    return {sx * std::cos(a), sx * std::sin(a), -sy * std::sin(a), sy * std::cos(a), x * kTw, y * kTw};
}

swf::ColorTransform colour(double alpha, double bright)
{
    swf::ColorTransform c;
    c.aMul = float(std::clamp(alpha, 0.0, 100.0) / 100.0);
    const double b = std::clamp(bright, -100.0, 100.0) / 100.0;
    if (b < 0) {
        c.rMul = c.gMul = c.bMul = float(1 + b);
    } else if (b > 0) {
        c.rMul = c.gMul = c.bMul = float(1 - b);
        c.rAdd = c.gAdd = c.bAdd = float(255 * b);
    }
    // Quantise like the file does, so unchanged frames compare equal.
    auto q = [](float& f, float unit) { f = std::round(f * unit) / unit; };
    q(c.aMul, 256);
    q(c.rMul, 256);
    q(c.gMul, 256);
    q(c.bMul, 256);
    q(c.rAdd, 1);
    q(c.gAdd, 1);
    q(c.bAdd, 1);
    return c;
}

Placement layerPlacement(const Layer& l, int frame)
{
    const double s = layerValue(l, Prop::Scale, frame);
    return {transform(layerValue(l, Prop::X, frame), layerValue(l, Prop::Y, frame), s * layerValue(l, Prop::ScaleX, frame),
                      s * layerValue(l, Prop::ScaleY, frame), layerValue(l, Prop::Rot, frame)),
            colour(layerValue(l, Prop::Alpha, frame), layerValue(l, Prop::Bright, frame))};
}

bool samePlacement(const Placement& a, const Placement& b)
{
    auto close = [](double x, double y, double eps) { return std::abs(x - y) < eps; };
    return close(a.m.a, b.m.a, 1e-5) && close(a.m.b, b.m.b, 1e-5) && close(a.m.c, b.m.c, 1e-5) &&
           close(a.m.d, b.m.d, 1e-5) && close(a.m.tx, b.m.tx, 0.5) && close(a.m.ty, b.m.ty, 0.5) && a.cx == b.cx;
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

class MovieBuilder {
public:
    explicit MovieBuilder(const Scene& s) : scene_(s) {}

    QByteArray build();

private:
    uint16_t newId() { return nextId_++; }
    uint16_t shapeSprite(const ShapeDef& shape, const std::vector<swf::Filter>& filters = {});
    uint16_t spriteOf(const QByteArray& tags);
    uint16_t emptySprite();
    uint16_t layerCharacter(const Layer& l, int index);
    QByteArray frameScript(int pictureLoads);
    void addParticles(const Layer& l, int firstDepth, std::vector<QByteArray>& perFrame);

    const Scene& scene_;
    uint16_t nextId_ = 1;
    uint16_t empty_ = 0;
    QByteArray defs_;
    std::vector<std::pair<QString, QString>> loads_; // ("centre:" or "cover:" + holder name, url)
    std::vector<std::pair<QString, int>> borders_;   // holder name, border width in pixels
};

uint16_t MovieBuilder::spriteOf(const QByteArray& tags)
{
    const uint16_t id = newId();
    defs_ += defineSprite(id, 1, tags + showFrame());
    return id;
}

uint16_t MovieBuilder::emptySprite()
{
    if (!empty_)
        empty_ = spriteOf({});
    return empty_;
}

uint16_t MovieBuilder::shapeSprite(const ShapeDef& shape, const std::vector<swf::Filter>& filters)
{
    const uint16_t shapeId = newId();
    defs_ += defineShape3(shapeId, shape);
    swf::PlaceObject p;
    p.depth = 1;
    p.hasCharacter = true;
    p.characterId = shapeId;
    if (!filters.empty()) {
        // Filters belong to clips: wrap the shape once more.
        const uint16_t inner = spriteOf(placeObject(p));
        p.characterId = inner;
        p.hasFilters = true;
        p.filters = filters;
    }
    return spriteOf(placeObject(p));
}

swf::Filter dropShadow(double blur, double distance, int alpha)
{
    swf::Filter f;
    f.type = swf::FilterType::DropShadow;
    f.color = {0, 0, 0, uint8_t(alpha)};
    f.blurX = f.blurY = blur;
    f.angle = 45 * kPi / 180;
    f.distance = distance;
    f.strength = 1;
    f.passes = 2;
    f.compositeSource = true;
    return f;
}

swf::Filter blurFilter(double b)
{
    swf::Filter f;
    f.type = swf::FilterType::Blur;
    f.blurX = f.blurY = b;
    f.passes = 2;
    return f;
}

uint16_t MovieBuilder::layerCharacter(const Layer& l, int index)
{
    switch (l.kind) {
    case LayerKind::Carry:
    case LayerKind::Photo:
    case LayerKind::Backdrop: {
        // A holder clip: an optional print border, and the clip "p" the
        // picture is loaded into (centred on the holder's origin by script).
        QByteArray tags;
        if (l.kind == LayerKind::Photo && l.border > 0) {
            // A unit square, sized around the picture by script once it is
            // loaded (full-frame pictures come in many sizes).
            ShapeDef border;
            border.fill = solid(QColor(250, 248, 242));
            border.contours.push_back(rectContour(0, 0, 100, 100));
            const uint16_t shapeId = newId();
            defs_ += defineShape3(shapeId, border);
            swf::PlaceObject inner;
            inner.depth = 1;
            inner.hasCharacter = true;
            inner.characterId = shapeId;
            swf::PlaceObject b;
            b.depth = 1;
            b.hasCharacter = true;
            b.characterId = spriteOf(placeObject(inner));
            b.hasName = true;
            b.name = QStringLiteral("b");
            tags += placeObject(b);
            borders_.emplace_back(QStringLiteral("L%1").arg(index), l.border);
        }
        swf::PlaceObject p;
        p.depth = 2;
        p.hasCharacter = true;
        p.characterId = emptySprite();
        p.hasName = true;
        p.name = QStringLiteral("p");
        tags += placeObject(p);
        const QString name = QStringLiteral("L%1").arg(index);
        QString url;
        if (l.kind == LayerKind::Carry)
            url = QStringLiteral("../../pic/picture_0.rar");
        else
            url = QStringLiteral("picture_%1.rar").arg(l.slot);
        loads_.emplace_back((l.kind == LayerKind::Backdrop ? "cover:" : "centre:") + name, url);
        return spriteOf(tags);
    }
    case LayerKind::Shape: {
        ShapeDef s;
        const double w = l.w > 0 ? l.w : kStageWidth, h = l.h > 0 ? l.h : kStageHeight;
        const QString& k = l.shape;
        if (k == "rect") {
            s.fill = solid(l.color);
            s.contours.push_back(rectContour(0, 0, w, h));
        } else if (k == "roundrect") {
            s.fill = solid(l.color);
            s.contours.push_back(roundRectContour(0, 0, w, h, l.r > 0 ? l.r : 24));
        } else if (k == "circle") {
            s.fill = solid(l.color);
            s.contours.push_back(ellipseContour(0, 0, l.r, l.r, 96));
        } else if (k == "ring") {
            s.fill = solid(l.color);
            s.contours.push_back(ellipseContour(0, 0, l.r, l.r, 120));
            s.contours.push_back(ellipseContour(0, 0, l.r - std::max(2.0, l.w), l.r - std::max(2.0, l.w), 120));
        } else if (k == "heart") {
            s.fill = radial({{0, rgba(l.color.lighter(130))}, {255, rgba(l.color)}}, l.r * 0.6, l.r * 0.6);
            s.contours.push_back(heartContour(0, 0, l.r * 2));
        } else if (k == "star") {
            s.fill = solid(l.color);
            s.contours.push_back(starContour(0, 0, l.r, l.r * 0.42, 5));
        } else if (k == "frame") {
            // A double-lined vector frame with diamond corners.
            const double t = l.r > 0 ? l.r : 6;
            s.fill = solid(l.color);
            s.contours.push_back(rectContour(0, 0, w, h));
            s.contours.push_back(rectContour(0, 0, w - 2 * t, h - 2 * t));
            s.contours.push_back(rectContour(0, 0, w - 6 * t, h - 6 * t));
            s.contours.push_back(rectContour(0, 0, w - 7 * t, h - 7 * t));
            for (int sx : {-1, 1})
                for (int sy : {-1, 1}) {
                    const double cx = sx * (w / 2 - 3 * t), cy = sy * (h / 2 - 3 * t), d = 5 * t;
                    s.contours.push_back(polygon({{cx, cy - d}, {cx + d, cy}, {cx, cy + d}, {cx - d, cy}}));
                    s.contours.push_back(polygon({{cx, cy - d / 2}, {cx + d / 2, cy}, {cx, cy + d / 2}, {cx - d / 2, cy}}));
                }
        } else if (k == "gradient") {
            s.fill = linear({{0, rgba(l.color)}, {255, rgba(l.color2)}}, w, h, l.angle);
            s.contours.push_back(rectContour(0, 0, w, h));
        } else if (k == "radial") {
            s.fill = radial({{0, rgba(l.color)}, {255, rgba(l.color2)}}, w * 0.62, w * 0.62);
            s.contours.push_back(rectContour(0, 0, w, h));
        } else if (k == "vignette") {
            s.fill = radial({{0, rgba(l.color2, 0)}, {150, rgba(l.color2, 0)}, {255, rgba(l.color2)}}, w * 0.6, h * 0.78);
            s.contours.push_back(rectContour(0, 0, w, h));
        } else if (k == "emblem") {
            s.fill = solid(l.color);
            s.contours.push_back(ellipseContour(0, 0, 34, 34, 72));
            s.contours.push_back(ellipseContour(0, 0, 29, 29, 72));
            s.contours.push_back(starContour(0, 0, 22, 9, 5));
        }
        std::vector<swf::Filter> filters;
        if (l.shadow)
            filters.push_back(dropShadow(18, 8, 140));
        if (l.blur > 0)
            filters.push_back(blurFilter(l.blur));
        return shapeSprite(s, filters);
    }
    case LayerKind::Film: {
        // A strip of film: dark band with sprocket holes along both edges.
        const double w = l.w > 0 ? l.w : 4000, h = l.h > 0 ? l.h : 560;
        ShapeDef s;
        s.fill = solid(l.color == Qt::white ? QColor(18, 16, 20) : l.color);
        s.contours.push_back(rectContour(0, 0, w, h));
        const double hole = h * 0.045, pitch = hole * 2.6;
        for (double x = -w / 2 + pitch; x < w / 2 - pitch / 2; x += pitch)
            for (int sy : {-1, 1})
                s.contours.push_back(roundRectContour(x, sy * (h / 2 - hole * 1.3), hole * 1.3, hole, hole * 0.25));
        return shapeSprite(s);
    }
    case LayerKind::Title: {
        ShapeDef s;
        const QPainterPath path = titleOutline(l.text, l.font, l.size);
        const QRectF b = path.boundingRect();
        s.fill = linear({{0, rgba(l.color)}, {255, rgba(l.color2 == Qt::black ? l.color : l.color2)}}, b.width() + 2,
                        b.height() + 2, 90);
        s.contours = pathContours(path);
        return shapeSprite(s, {dropShadow(10, 4, 170)});
    }
    case LayerKind::Particles: break;
    }
    return emptySprite();
}

uint16_t particleShape(const QString& kind, int variant, QByteArray& defs, uint16_t id)
{
    ShapeDef s;
    if (kind == "petals") {
        static const QColor tones[] = {QColor(255, 183, 197), QColor(255, 209, 220), QColor(246, 160, 180)};
        const QColor c = tones[variant % 3];
        s.fill = radial({{0, rgba(QColor(255, 240, 245), 240)}, {255, rgba(c, 230)}}, 16, 22);
        s.contours.push_back(petalContour(30, 20));
    } else if (kind == "snow") {
        s.fill = radial({{0, {255, 255, 255, 250}}, {120, {255, 255, 255, 200}}, {255, {255, 255, 255, 0}}}, 9, 9);
        s.contours.push_back(ellipseContour(0, 0, 9, 9, 24));
    } else if (kind == "hearts") {
        static const QColor tones[] = {QColor(238, 64, 96), QColor(255, 120, 150), QColor(250, 90, 120)};
        s.fill = radial({{0, rgba(tones[variant % 3].lighter(140), 235)}, {255, rgba(tones[variant % 3], 235)}}, 14, 14);
        s.contours.push_back(heartContour(0, 0, 34));
    } else if (kind == "bokeh") {
        static const QColor tones[] = {QColor(255, 214, 140), QColor(255, 170, 120), QColor(200, 220, 255), QColor(255, 240, 200)};
        const QColor c = tones[variant % 4];
        s.fill = radial({{0, rgba(c, 110)}, {200, rgba(c, 80)}, {235, rgba(c, 120)}, {255, rgba(c, 0)}}, 60, 60);
        s.contours.push_back(ellipseContour(0, 0, 60, 60, 60));
    } else { // stars
        s.fill = radial({{0, {255, 255, 255, 255}}, {255, {255, 236, 180, 200}}}, 14, 14);
        s.contours.push_back(starContour(0, 0, 16, 3, 4, 0));
    }
    defs += defineShape3(id, s);
    return id;
}

void MovieBuilder::addParticles(const Layer& l, int firstDepth, std::vector<QByteArray>& perFrame)
{
    const int frames = scene_.frames;
    const int from = std::clamp(l.lifeFrom, 0, frames - 1);
    const int to = l.lifeTo < 0 ? frames - 1 : std::clamp(l.lifeTo, from, frames - 1);
    uint16_t variants[4];
    for (int v = 0; v < 4; ++v)
        variants[v] = particleShape(l.particle, v, defs_, newId());
    Rng rng{uint32_t(l.seed * 7919 + 17)};
    const double layerAlpha = 1.0;
    for (int i = 0; i < l.count; ++i) {
        const int depth = firstDepth + i;
        const double x0 = rng.range(-60, kStageWidth + 60), y0 = rng.range(-140, kStageHeight + 60);
        const double speed = rng.range(0.6, 1.4), phase = rng.range(0, 2 * kPi), spin = rng.range(-4, 4);
        const double scale = l.particle == "bokeh" ? rng.range(0.5, 1.6) : rng.range(0.55, 1.25);
        const double sway = rng.range(20, 70), swayRate = rng.range(0.02, 0.05), rot0 = rng.range(0, 360);
        const uint16_t shape = variants[i % 4];
        bool placed = false;
        Placement last;
        for (int f = 0; f < frames; ++f) {
            const bool alive = f >= from && f <= to;
            if (!alive) {
                if (placed) {
                    perFrame[size_t(f)] += removeObject2(uint16_t(depth));
                    placed = false;
                }
                continue;
            }
            const double t = f - from;
            double x = x0, y = y0, rot = rot0, sx = scale, sy = scale, alpha = 100;
            const double span = kStageHeight + 200;
            if (l.particle == "petals" || l.particle == "snow") {
                const double v = (l.particle == "snow" ? 2.2 : 2.8) * speed;
                y = std::fmod(y0 + 100 + v * t, span) - 100;
                x = x0 + sway * std::sin(phase + swayRate * t) + (l.particle == "petals" ? 0.9 * t * speed : 0);
                x = std::fmod(x + 100 + 3 * kStageWidth, kStageWidth + 200) - 100;
                rot = rot0 + spin * t;
                if (l.particle == "petals")
                    sy = scale * (0.55 + 0.45 * std::cos(phase + 0.07 * t));
            } else if (l.particle == "hearts") {
                y = kStageHeight + 100 - std::fmod(kStageHeight + 100 - y0 + 2.4 * speed * t, span);
                x = x0 + sway * std::sin(phase + swayRate * t);
                rot = 12 * std::sin(phase + 0.05 * t);
            } else if (l.particle == "bokeh") {
                y = y0 - 0.6 * speed * t;
                x = x0 + 0.3 * sway * std::sin(phase + 0.5 * swayRate * t);
                sx = sy = scale * (1 + 0.08 * std::sin(phase + 0.03 * t));
                alpha = 60 + 40 * std::sin(phase + 0.04 * t);
                rot = 0;
            } else { // stars twinkle in place
                alpha = 50 + 50 * std::sin(phase + 0.12 * t * speed);
                rot = rot0 + spin * 0.5 * t;
            }
            // Fade in after birth and out before the end of life.
            alpha *= std::clamp(t / 20.0, 0.0, 1.0) * std::clamp((to - f) / 20.0, 0.0, 1.0) * layerAlpha;
            alpha *= layerValue(l, Prop::Alpha, f) / 100.0;
            const Placement pl{transform(x, y, sx, sy, rot), colour(alpha, 0)};
            swf::PlaceObject po;
            po.depth = uint16_t(depth);
            po.hasMatrix = true;
            po.matrix = pl.m;
            po.hasColorTransform = true;
            po.colorTransform = pl.cx;
            if (!placed) {
                po.hasCharacter = true;
                po.characterId = shape;
                perFrame[size_t(f)] += placeObject(po);
                placed = true;
            } else if (!samePlacement(pl, last)) {
                po.move = true;
                perFrame[size_t(f)] += placeObject(po);
            }
            last = pl;
        }
    }
}

// Frame 1's script. It runs again whenever the host jumps back to frame 1,
// so the loads start only once.
QByteArray MovieBuilder::frameScript(int pictureLoads)
{
    Actions a;
    a.set("l_x_z_f_c", "l_x_z_f_c_s_y_w_j");
    a.push("started").getVariable().push(1).equals().jumpIfTrue("end");
    a.set("started", 1);
    // xc_alpha: the host sets "0"; alone (a preview in another player) the
    // watermark shows.
    a.push("xc_alpha").getVariable().pushUndefined().equals().logicalNot().jumpIfTrue("alphaSet");
    a.set("xc_alpha", 100);
    a.label("alphaSet");
    a.set("pending", pictureLoads);
    a.set("sent", 0);

    // done(): one load finished (or failed); after the last one, picture_0.
    Actions done;
    done.push("_root").getVariable().push("pending")
        .push("_root").getVariable().push("pending").getMember().push(1).subtract().setMember();
    done.push("_root").getVariable().push("pending").getMember().push(0).equals().logicalNot().jumpIfTrue("wait");
    done.push("_root").getVariable().push("sent").getMember().push(1).equals().jumpIfTrue("wait");
    done.push("_root").getVariable().push("sent").push(1).setMember();
    done.getUrl("FSCommand:picture_0", "");
    done.label("wait");
    a.defineFunction("fotarelDone", {}, done);

    // Centre a loaded picture on its holder's origin.
    Actions centre;
    centre.push("t").getVariable().push("_x").push(0)
        .push("t").getVariable().push("_width").getMember().push(2).divide().subtract().setMember();
    centre.push("t").getVariable().push("_y").push(0)
        .push("t").getVariable().push("_height").getMember().push(2).divide().subtract().setMember();
    // A print border "b" beside the picture grows to frame it (bw pixels).
    centre.push("t").getVariable().push("_parent").getMember().push("b").getMember().push("_width")
        .push("t").getVariable().push("_width").getMember()
        .push("t").getVariable().push("_parent").getMember().push("bw").getMember().push(2).multiply().add().setMember();
    centre.push("t").getVariable().push("_parent").getMember().push("b").getMember().push("_height")
        .push("t").getVariable().push("_height").getMember()
        .push("t").getVariable().push("_parent").getMember().push("bw").getMember().push(2).multiply().add().setMember();
    centre.push(0).push("fotarelDone").callFunction().pop();
    a.defineFunction("fotarelCentre", {"t"}, centre);

    // Scale a loaded picture to cover the stage with a margin (a blurred
    // copy fades at its edges), then centre it.
    Actions cover;
    cover.push("k").push(kStageWidth).push("t").getVariable().push("_width").getMember().divide().setVariable();
    cover.push("k2").push(kStageHeight).push("t").getVariable().push("_height").getMember().divide().setVariable();
    cover.push("k").getVariable().push("k2").getVariable().less().logicalNot().jumpIfTrue("kept");
    cover.push("k").push("k2").getVariable().setVariable();
    cover.label("kept");
    cover.push("t").getVariable().push("_xscale").push("k").getVariable().push(110).multiply().setMember();
    cover.push("t").getVariable().push("_yscale").push("k").getVariable().push(110).multiply().setMember();
    cover.push("t").getVariable().push(1).push("fotarelCentre").callFunction().pop();
    a.defineFunction("fotarelCover", {"t"}, cover);

    Actions error;
    error.push(0).push("fotarelDone").callFunction().pop();
    a.defineFunction("fotarelFailed", {"t"}, error);

    // Two loaders: one centres, one covers the stage.
    for (const char* kind : {"centre", "cover"}) {
        const QString loader = QStringLiteral("fotarelLoader_%1").arg(kind);
        const QString listener = QStringLiteral("fotarelListener_%1").arg(kind);
        a.push(loader).push(0).push("MovieClipLoader").newObject().setVariable();
        a.push(listener).push(0).push("Object").newObject().setVariable();
        a.push(listener).getVariable().push("onLoadInit")
            .push(kind == QStringLiteral("centre") ? "fotarelCentre" : "fotarelCover").getVariable().setMember();
        a.push(listener).getVariable().push("onLoadError").push("fotarelFailed").getVariable().setMember();
        a.push(listener).getVariable().push(1).push(loader).getVariable().push("addListener").callMethod().pop();
    }
    for (const auto& [holder, width] : borders_)
        a.push(holder).getVariable().push("bw").push(width).setMember();
    for (const auto& [target, url] : loads_) {
        const int colon = int(target.indexOf(':'));
        const QString kind = target.left(colon), clip = target.mid(colon + 1);
        // loader.loadClip(url, holder.p)
        a.push(clip).getVariable().push("p").getMember();
        a.push(url).push(2).push(QStringLiteral("fotarelLoader_%1").arg(kind)).getVariable().push("loadClip").callMethod().pop();
    }
    a.label("end");
    return a.bytes();
}

QByteArray MovieBuilder::build()
{
    const int frames = scene_.frames;
    std::vector<QByteArray> perFrame(static_cast<size_t>(frames));
    int depth = 10;

    for (size_t i = 0; i < scene_.layers.size(); ++i) {
        const Layer& l = scene_.layers[i];
        if (l.kind == LayerKind::Particles) {
            addParticles(l, depth, perFrame);
            depth += l.count + 1;
            continue;
        }
        const int maskDepth = l.mask ? depth++ : 0;
        const int d = depth++;
        const uint16_t ch = layerCharacter(l, int(i));
        swf::PlaceObject po;
        po.depth = uint16_t(d);
        po.hasCharacter = true;
        po.characterId = ch;
        po.hasName = true;
        po.name = QStringLiteral("L%1").arg(i);
        const Placement first = layerPlacement(l, 0);
        po.hasMatrix = true;
        po.matrix = first.m;
        po.hasColorTransform = true;
        po.colorTransform = first.cx;
        if (l.kind == LayerKind::Backdrop && l.blur > 0) {
            po.hasFilters = true;
            po.filters = {blurFilter(l.blur)};
        } else if (l.kind == LayerKind::Photo && l.shadow) {
            po.hasFilters = true;
            po.filters = {dropShadow(24, 10, 150)};
        }
        perFrame[0] += placeObject(po);
        Placement last = first;
        for (int f = 1; f < frames; ++f) {
            const Placement pl = layerPlacement(l, f);
            if (samePlacement(pl, last))
                continue;
            swf::PlaceObject mv;
            mv.depth = uint16_t(d);
            mv.move = true;
            mv.hasMatrix = true;
            mv.matrix = pl.m;
            mv.hasColorTransform = true;
            mv.colorTransform = pl.cx;
            perFrame[size_t(f)] += placeObject(mv);
            last = pl;
        }
        if (l.mask) {
            // The mask changes shape while it runs: one shape per frame,
            // replacing the one before at the mask's depth.
            const MaskDef& m = *l.mask;
            double lastP = -1;
            for (int f = 0; f < frames; ++f) {
                const double p = maskProgress(m, f);
                if (std::abs(p - lastP) < 1e-4)
                    continue;
                lastP = p;
                ShapeDef s;
                s.fill = solid(Qt::black);
                s.contours = m.out ? invert(maskContours(m, p)) : maskContours(m, p);
                if (s.contours.empty()) // nothing shows: a speck far off the stage
                    s.contours.push_back(rectContour(-500, -500, 1, 1));
                const uint16_t id = newId();
                defs_ += defineShape3(id, s);
                if (f > 0)
                    perFrame[size_t(f)] += removeObject2(uint16_t(maskDepth));
                swf::PlaceObject mp;
                mp.depth = uint16_t(maskDepth);
                mp.hasCharacter = true;
                mp.characterId = id;
                mp.hasClipDepth = true;
                mp.clipDepth = uint16_t(d);
                perFrame[size_t(f)] += placeObject(mp);
            }
        }
    }

    // The watermark: a small emblem and the program's name in the corner;
    // its alpha follows xc_alpha on every frame.
    {
        Layer wm;
        wm.kind = LayerKind::Shape;
        wm.shape = "emblem";
        wm.color = QColor(255, 255, 255, 200);
        const uint16_t emblem = layerCharacter(wm, -1);
        Layer name;
        name.kind = LayerKind::Title;
        name.text = QStringLiteral("Fotarel");
        name.size = 40;
        name.font = QStringLiteral("sans");
        name.color = QColor(255, 255, 255, 210);
        const uint16_t text = layerCharacter(name, -1);
        QByteArray tags;
        swf::PlaceObject e;
        e.depth = 1;
        e.hasCharacter = true;
        e.characterId = emblem;
        tags += placeObject(e);
        swf::PlaceObject t = e;
        t.depth = 2;
        t.characterId = text;
        t.hasMatrix = true;
        t.matrix = transform(110, 2, 1, 1, 0);
        tags += placeObject(t);
        swf::PlaceObject w;
        w.depth = uint16_t(std::max(depth + 10, 9000));
        w.hasCharacter = true;
        w.characterId = spriteOf(tags);
        w.hasName = true;
        w.name = QStringLiteral("wm");
        w.hasMatrix = true;
        w.matrix = transform(kStageWidth - 250, kStageHeight - 70, 1, 1, 0);
        perFrame[0] += placeObject(w);
    }

    int pictureLoads = int(loads_.size());
    QByteArray tags;
    tags += tag(9, QByteArray("\x00\x00\x00", 3)); // black background
    tags += defs_;
    Actions alpha;
    alpha.push("wm").getVariable().push("_alpha").push("xc_alpha").getVariable().setMember();
    const QByteArray alphaScript = alpha.bytes();
    for (int f = 0; f < frames; ++f) {
        tags += perFrame[size_t(f)];
        if (f == 0)
            tags += doAction(frameScript(pictureLoads));
        tags += doAction(alphaScript);
        tags += showFrame();
    }
    return finishMovie(kStageWidth, kStageHeight, kFrameRate, uint16_t(frames), tags);
}

QString barList(const QStringList& items) { return "|" + items.join('|') + "|"; }

} // namespace

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

QByteArray compileMovie(const Scene& scene)
{
    MovieBuilder b(scene);
    return b.build();
}

QByteArray descriptionIni(const Scene& s)
{
    QStringList w, h, o, names;
    for (size_t i = 0; i < s.photoSlots.size(); ++i) {
        w << QString::number(s.photoSlots[i].width);
        h << QString::number(s.photoSlots[i].height);
        o << s.photoSlots[i].orientation;
        names << QStringLiteral("picture_%1").arg(i + 1);
    }
    QString ini;
    ini += "[l_x_w_j_s_y]\r\nl_x_w_j_s_y=s_y_l_x\r\n\r\n[1]\r\n";
    ini += "mblx=" + s.type + "\r\n";
    ini += "mbfl=" + s.category + "\r\n";
    ini += "xpsl=" + QString::number(s.photoSlots.size()) + "\r\n";
    ini += "xpkd=" + barList(w) + "\r\n";
    ini += "xpgd=" + barList(h) + "\r\n";
    ini += "szhz=" + barList(o) + "\r\n";
    ini += "xpjpgmc=" + barList(names) + "\r\n";
    ini += "mbdx=" + QString::number(s.frames) + "\r\n";
    return ini.toUtf8();
}

int compileLibrary(const QString& sourceDir, const QString& workDir, const QString& rawDir)
{
    const QDir src(sourceDir);
    const QStringList files = src.entryList({QStringLiteral("*.tpl")}, QDir::Files, QDir::Name);
    const QString descDir = workDir + "/wj_0_or_2/wjj_02", movieDir = workDir + "/wj_0_or_2/wjj_01",
                  endDir = workDir + "/wj_0_or_1";
    for (const QString& d : {descDir, movieDir, endDir})
        if (!QDir().mkpath(d))
            throw SourceError(("cannot create " + d).toStdString());
    if (!rawDir.isEmpty())
        QDir().mkpath(rawDir);
    QStringList written;
    int count = 0;
    bool ending = false;
    for (const QString& file : files) {
        const Scene s = loadScene(src.filePath(file));
        const QByteArray movie = compileMovie(s);
        if (!rawDir.isEmpty()) {
            QFile m(rawDir + "/" + s.name + ".swf");
            if (m.open(QIODevice::WriteOnly))
                m.write(movie);
            QFile i(rawDir + "/" + s.name + ".ini");
            if (!s.ending && i.open(QIODevice::WriteOnly))
                i.write(descriptionIni(s));
        }
        if (s.ending) {
            if (ending)
                throw SourceError("more than one ending template");
            ending = true;
            if (!writePackage(endDir + "/wj_1.rar", movie))
                throw SourceError("cannot write the ending template");
            continue;
        }
        if (!writePackage(descDir + "/" + s.name + ".rar", descriptionIni(s)) ||
            !writePackage(movieDir + "/" + s.name + ".rar", movie))
            throw SourceError(("cannot write the packages of " + s.name).toStdString());
        written << s.name + ".rar";
        ++count;
    }
    // Remove packages of templates that no longer exist, so descriptions and
    // movies keep pairing by position.
    for (const QString& d : {descDir, movieDir})
        for (const QString& f : QDir(d).entryList(QDir::Files))
            if (!written.contains(f))
                QFile::remove(d + "/" + f);
    return count;
}

} // namespace fotarel::templatec
