#include "tools/templatec/movie.h"

#include "tools/templatec/actions.h"
#include "tools/templatec/geometry.h"
#include "tools/templatec/loader_script.h"
#include "tools/templatec/particles.h"
#include "tools/templatec/placement.h"
#include "tools/templatec/swf_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fotarel::templatec {

namespace {

constexpr double kPi = std::numbers::pi;

// A PlaceObject that puts character `id` at `depth`.
swf::PlaceObject placeCharacter(int depth, uint16_t id)
{
    swf::PlaceObject p;
    p.depth = uint16_t(depth);
    p.hasCharacter = true;
    p.characterId = id;
    return p;
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

    const Scene& scene_;
    uint16_t nextId_ = 1;
    uint16_t empty_ = 0;
    QByteArray defs_;
    std::vector<PictureLoad> loads_;
    std::vector<PictureBorder> borders_;
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
    swf::PlaceObject p = placeCharacter(1, shapeId);
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
            swf::PlaceObject inner = placeCharacter(1, shapeId);
            swf::PlaceObject b = placeCharacter(1, spriteOf(placeObject(inner)));
            b.hasName = true;
            b.name = QStringLiteral("b");
            tags += placeObject(b);
            borders_.emplace_back(QStringLiteral("L%1").arg(index), l.border);
        }
        swf::PlaceObject p = placeCharacter(2, emptySprite());
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

QByteArray MovieBuilder::build()
{
    const int frames = scene_.frames;
    std::vector<QByteArray> perFrame(static_cast<size_t>(frames));
    int depth = 10;

    for (size_t i = 0; i < scene_.layers.size(); ++i) {
        const Layer& l = scene_.layers[i];
        if (l.kind == LayerKind::Particles) {
            addParticles(l, scene_.frames, depth, nextId_, defs_, perFrame);
            depth += l.count + 1;
            continue;
        }
        const int maskDepth = l.mask ? depth++ : 0;
        const int d = depth++;
        const uint16_t ch = layerCharacter(l, int(i));
        swf::PlaceObject po = placeCharacter(d, ch);
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
                swf::PlaceObject mp = placeCharacter(maskDepth, id);
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
        swf::PlaceObject e = placeCharacter(1, emblem);
        tags += placeObject(e);
        swf::PlaceObject t = e;
        t.depth = 2;
        t.characterId = text;
        t.hasMatrix = true;
        t.matrix = transform(110, 2, 1, 1, 0);
        tags += placeObject(t);
        swf::PlaceObject w = placeCharacter(std::max(depth + 10, 9000), spriteOf(tags));
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
            tags += doAction(loaderScript(pictureLoads, loads_, borders_));
        tags += doAction(alphaScript);
        tags += showFrame();
    }
    return finishMovie(kStageWidth, kStageHeight, kFrameRate, uint16_t(frames), tags);
}

} // namespace

QByteArray compileMovie(const Scene& scene)
{
    MovieBuilder b(scene);
    return b.build();
}

} // namespace fotarel::templatec
