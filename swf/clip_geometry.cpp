// A clip's geometry: the bounds of what it paints, where it is painted, and
// as scripts ask for it: the map to the stage, bounds in another clip's
// coordinates, and hit tests against bounds or painted shapes.

#include "swf/clip.h"

#include "swf/player.h"
#include "swf/renderer.h"

#include <QPainterPathStroker>

#include <cmath>

namespace fotarel::swf {

namespace {

// Twips to pixels and back around a twips transform.
QTransform inPixels(const QTransform& twips)
{
    return QTransform::fromScale(20, 20) * twips * QTransform::fromScale(0.05, 0.05);
}

// The map from a clip's twips to its level root's twips: the level root's
// own placement is left out.
QTransform toLevel(const Clip& clip)
{
    QTransform t;
    for (const Clip* c = &clip; c && c->parentClip; c = c->parentClip)
        t = t * c->toParent();
    return t;
}

bool strokeContains(const QPainterPath& path, double width, const QPointF& p)
{
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(width, 1.0));
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).contains(p);
}

// Whether a point (the shape's twips) lies on a fill or a stroke of the shape.
bool shapeContains(const CompiledShape& shape, const QPointF& local)
{
    for (const ShapeLayer& layer : shape.layers) {
        for (const StyledPath& f : layer.fills)
            if (f.path.contains(local))
                return true;
        for (const StyledPath& l : layer.lines) {
            const double w = l.style < int(shape.lines.size()) ? shape.lines[size_t(l.style)].width : 20;
            if (strokeContains(l.path, w, local))
                return true;
        }
    }
    return false;
}

// A point of the level (twips) in the coordinates `t` maps from.
bool toLocal(const QTransform& t, const QPointF& p, QPointF& local)
{
    bool invertible = false;
    local = t.inverted(&invertible).map(p);
    return invertible;
}

} // namespace

QRectF clipBounds(const Clip& clip, const QTransform& t, int nesting, bool withStrokes)
{
    if (nesting > limits::kMaxNesting)
        return {};
    auto rect = [](const Rect& r) { return QRectF(QPointF(r.xMin, r.yMin), QPointF(r.xMax, r.yMax)); };
    switch (clip.kind) {
    case Clip::Kind::Shape:
        return t.mapRect(rect(std::get<ShapeData>(*clip.character).bounds));
    case Clip::Kind::Morph: {
        const auto& m = std::get<MorphShapeData>(*clip.character);
        const double r = clip.ratio / 65535.0;
        const QRectF a = rect(m.startBounds), b = rect(m.endBounds);
        return t.mapRect(QRectF(QPointF(a.left() + (b.left() - a.left()) * r, a.top() + (b.top() - a.top()) * r),
                                QPointF(a.right() + (b.right() - a.right()) * r, a.bottom() + (b.bottom() - a.bottom()) * r)));
    }
    case Clip::Kind::StaticText: {
        const auto& s = std::get<StaticText>(*clip.character);
        return (s.matrix.toTransform() * t).mapRect(rect(s.bounds));
    }
    case Clip::Kind::EditText:
        return clip.field ? t.mapRect(QRectF(QPointF(clip.field->xMin, clip.field->yMin),
                                             QPointF(clip.field->xMax, clip.field->yMax)))
                          : QRectF();
    case Clip::Kind::Bitmap: {
        const QImage& img = std::get<Bitmap>(*clip.character).image;
        return t.mapRect(QRectF(0, 0, img.width() * 20.0, img.height() * 20.0));
    }
    case Clip::Kind::Video: {
        const auto& v = std::get<VideoStream>(*clip.character);
        return t.mapRect(QRectF(0, 0, v.width * 20.0, v.height * 20.0));
    }
    default: {
        if (clip.scrollRect)
            return t.mapRect(*clip.scrollRect); // the scrolled part is all there is of it
        QRectF out;
        if (!clip.loadedImage.isNull())
            out = t.mapRect(QRectF(0, 0, clip.loadedImage.width() * 20.0, clip.loadedImage.height() * 20.0));
        if (clip.drawing && !clip.drawing->empty()) {
            const QRectF b = t.mapRect(clip.drawing->bounds(withStrokes));
            out = out.isEmpty() ? b : out.united(b);
        }
        for (const auto& [d, c] : clip.children) {
            if (c->isMaskOf)
                continue;
            const QRectF b = clipBounds(*c, c->toParent() * t, nesting + 1, withStrokes);
            if (!b.isEmpty())
                out = out.isEmpty() ? b : out.united(b);
        }
        return out;
    }
    }
}

QTransform placedWorld(const Clip& clip, const QTransform& parentWorld)
{
    QTransform world = clip.toParent() * parentWorld;
    if (!clip.filters.empty() || clip.cacheAsBitmap) {
        // A filtered or cached object is painted as a picture whose top left
        // corner lies on a whole pixel: the Flash Player moves it there.
        const QRectF b = clipBounds(clip, world);
        if (b.isValid())
            world *= QTransform::fromTranslate(std::round(b.x()) - b.x(), std::round(b.y()) - b.y());
    }
    return world;
}

avm1::PixelMatrix Clip::toStage() const
{
    const QTransform t = inPixels(worldTransform());
    return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
}

avm1::PixelMatrix Clip::localMatrix() const
{
    return {matrix.a, matrix.b, matrix.c, matrix.d, matrix.tx / 20.0, matrix.ty / 20.0};
}

void Clip::setLocalMatrix(const avm1::PixelMatrix& m)
{
    // Scale and rotation are read from the new matrix on their next use.
    matrix = Matrix{m.a, m.b, m.c, m.d, pixelsToTwips(m.tx), pixelsToTwips(m.ty)};
}

avm1::PixelRect Clip::boundsIn(const DisplayObjectHost* space, bool withStrokes) const
{
    QTransform t;
    if (space && space != this) {
        bool invertible = false;
        const QTransform back = static_cast<const Clip*>(space)->worldTransform().inverted(&invertible);
        if (!invertible)
            return {};
        t = worldTransform() * back;
    }
    const QRectF b = clipBounds(*this, t, 0, withStrokes);
    if (b.isNull() || !std::isfinite(b.left()) || !std::isfinite(b.right()))
        return {};
    // The Flash Player keeps bounds in whole twips.
    const auto px = [](double twips) { return std::round(twips) / 20.0; };
    return {px(b.left()), px(b.top()), px(b.right()), px(b.bottom()), false};
}

avm1::DisplayObjectHost* Clip::childAtDepth(int d) const
{
    const qint64 stored = qint64(d) + kScriptDepthBase;
    if (stored < INT_MIN || stored > INT_MAX)
        return nullptr;
    auto it = children.find(int(stored));
    if (it == children.end())
        return nullptr;
    return it->second->scriptable() ? static_cast<DisplayObjectHost*>(it->second.get()) : const_cast<Clip*>(this);
}

QTransform Clip::toLevelTransform() const { return toLevel(*this); }

bool Clip::hitTestPoint(double x, double y, bool shapeFlag) const
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    const QPointF p(x * 20, y * 20);
    const QTransform t = toLevel(*this);
    if (!shapeFlag)
        return clipBounds(*this, t).contains(p);
    if (maskClip && !maskClip->hitsShapes(p, toLevel(*maskClip), 0))
        return false;
    return hitsShapes(p, t, 0);
}

// Whether the point (level twips) lies on what this clip paints. Masks set by
// script on descendants are not applied; clipping layers are, and a clipping
// layer itself is never hit.
bool Clip::hitsShapes(const QPointF& p, const QTransform& t, int nesting) const
{
    if (nesting > limits::kMaxNesting)
        return false;
    switch (kind) {
    case Kind::Shape:
    case Kind::Morph: {
        QPointF local;
        return toLocal(t, p, local) && shapeContains(player.renderer_->compiled(*this), local);
    }
    case Kind::Sprite: {
        if (!loadedImage.isNull() &&
            t.mapRect(QRectF(0, 0, loadedImage.width() * 20.0, loadedImage.height() * 20.0)).contains(p))
            return true;
        QPointF local;
        if (drawing && !drawing->empty() && toLocal(t, p, local) && shapeContains(drawing->compiled(), local))
            return true;
        const Clip* layer = nullptr; // the clipping layer over the children that follow
        for (const auto& [d, c] : children) {
            if (layer && d > layer->clipDepth)
                layer = nullptr;
            if (c->clipDepth > 0) {
                layer = c.get();
                continue;
            }
            if (c->isMaskOf)
                continue;
            const QTransform ct = c->toParent() * t;
            if (layer && !layer->hitsShapes(p, layer->toParent() * t, nesting + 1))
                continue;
            if (c->hitsShapes(p, ct, nesting + 1))
                return true;
        }
        return false;
    }
    default:
        return clipBounds(*this, t).contains(p);
    }
}

} // namespace fotarel::swf
