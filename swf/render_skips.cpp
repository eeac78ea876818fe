// Work the renderer leaves out because it cannot change a pixel: a mask
// whose filled area contains everything it masks (an iris or a wipe that
// has opened completely) is not drawn into layers, and a shape whose opaque
// fill covers the whole area hides what lies under it, which is then not
// painted. Only shapes already compiled for painting are looked at, so
// these checks cost a few path tests a frame.
//
// Opaque pictures (photos, also turned, and blurred ones away from their
// edges) hide what lies under them too: objects under them are painted only
// beside them, and not at all when they lie wholly under them.
#include "swf/renderer.h"

#include "swf/filters.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace fotarel::swf {

namespace {

// Device pixels added around what is masked before the test, so that no
// edge pixel the mask covers only partly is left out.
constexpr double kEdgeSlack = 2.0;

bool fillOpaque(const FillStyle& fill)
{
    if (fill.type == FillType::Solid)
        return fill.color.a == 255;
    if (fill.isGradient())
        return !fill.gradient.stops.empty() &&
               std::all_of(fill.gradient.stops.begin(), fill.gradient.stops.end(),
                           [](const GradientStop& s) { return s.color.a == 255; });
    return false;
}

// How far into an opaque area a blur can reach, in device pixels: its
// filters' spread `margin`, once more for rounding when it is taken on a
// copy shrunk by up to a sixth of its radius (odd box widths each pass,
// the shrinking and enlarging), and two pixels of the copy up to 8 times
// smaller it is painted into first.
int blurReach(int margin) { return 2 * margin + 2 * 8 + 8; }

// The device pixels lying wholly inside the picture's area, drawn through
// `imageToDevice`, at least `kEdgeSlack` from its edge (where smoothing and
// antialiasing blend it with what lies under it); an axis-parallel
// rectangle, or nothing for a picture with transparency.
QRect imageInterior(const QImage& img, const QTransform& imageToDevice)
{
    if (img.isNull() || img.hasAlphaChannel() || !imageToDevice.isInvertible())
        return {};
    const std::array<QPointF, 4> corner{imageToDevice.map(QPointF(0, 0)), imageToDevice.map(QPointF(img.width(), 0)),
                                        imageToDevice.map(QPointF(img.width(), img.height())),
                                        imageToDevice.map(QPointF(0, img.height()))};
    // For a turned rectangle, the middle two of its corners' x and y
    // bound a rectangle inside it while the turn is small; a turn too large
    // for that is checked below and then shrunk towards the centre.
    std::array<double, 4> xs{}, ys{};
    for (size_t i = 0; i < 4; ++i) {
        xs[i] = corner[i].x();
        ys[i] = corner[i].y();
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    QRectF inner(QPointF(xs[1], ys[1]), QPointF(xs[2], ys[2]));
    auto inside = [&](QPointF q) {
        // Convex: the point lies on the same side of all four edges.
        int sides = 0;
        for (size_t i = 0; i < 4; ++i) {
            const QPointF a = corner[i], b = corner[(i + 1) % 4];
            const double cross = (b.x() - a.x()) * (q.y() - a.y()) - (b.y() - a.y()) * (q.x() - a.x());
            sides |= cross > 1e-9 ? 1 : cross < -1e-9 ? 2 : 0;
        }
        return sides != 3;
    };
    for (int tries = 0;; ++tries) {
        if (tries == 8 || inner.width() <= 0 || inner.height() <= 0)
            return {};
        if (inside(inner.topLeft()) && inside(inner.topRight()) && inside(inner.bottomLeft()) &&
            inside(inner.bottomRight()))
            break;
        const QPointF c = inner.center();
        inner = QRectF(c.x() - inner.width() * 0.35, c.y() - inner.height() * 0.35, inner.width() * 0.7,
                       inner.height() * 0.7);
    }
    inner.adjust(kEdgeSlack, kEdgeSlack, -kEdgeSlack, -kEdgeSlack);
    const QRect r(QPoint(int(std::ceil(inner.left())), int(std::ceil(inner.top()))),
                  QPoint(int(std::floor(inner.right())) - 1, int(std::floor(inner.bottom())) - 1));
    return r.isValid() ? r : QRect();
}

// Each rectangle of the region shrunk by `by` pixels on every side: a part
// of what the whole region shrunk would be.
QRegion shrunk(const QRegion& region, int by)
{
    QRegion out;
    for (const QRect& r : region) {
        const QRect s = r.adjusted(by, by, -by, -by);
        if (s.isValid())
            out += s;
    }
    return out;
}

} // namespace

QRegion Renderer::opaqueRegion(const Clip& clip, const QTransform& parentWorld, const ColorTransform& parentCx,
                               int nesting) const
{
    if (!clip.visible || clip.isMaskOf || clip.clipDepth > 0 || clip.maskClip || nesting > limits::kMaxNesting ||
        clip.blendMode != BlendMode::Normal)
        return {};
    const ColorTransform cx = parentCx.after(clip.cxform);
    if (cx.apply(Rgba{0, 0, 0, 255}).a != 255)
        return {};
    // Blurs keep the inside of an opaque area opaque; outer shadows and
    // glows drawn under the source leave it as it is. Anything else may
    // change it.
    bool blurred = false;
    for (const Filter& f : clip.filters) {
        const bool underSource = (f.type == FilterType::DropShadow || f.type == FilterType::Glow) && !f.inner &&
                                 !f.knockout && f.compositeSource;
        if (f.type == FilterType::Blur)
            blurred = true;
        else if (!underSource || clip.filters.size() > 1)
            return {};
    }
    const QTransform world = placedWorld(clip, parentWorld);
    const QTransform pictureToDevice = QTransform::fromScale(20, 20) * world;
    QRegion out;
    switch (clip.kind) {
    case Clip::Kind::Bitmap:
        out = imageInterior(std::get<Bitmap>(*clip.character).image, pictureToDevice);
        break;
    case Clip::Kind::Sprite: {
        out = imageInterior(clip.loadedImage, pictureToDevice);
        // Children under a mask show only where the mask lets them.
        int maskedTo = -1;
        for (const auto& [depth, child] : clip.children) {
            if (child->clipDepth > 0) {
                maskedTo = std::max(maskedTo, int(child->clipDepth));
                continue;
            }
            if (child->depthValue > maskedTo)
                out += opaqueRegion(*child, world, cx, nesting + 1);
        }
        break;
    }
    default:
        break;
    }
    return blurred && !out.isEmpty() ? shrunk(out, blurReach(filterMargin(clip.filters, pixelScale_))) : out;
}

std::vector<QRegion> Renderer::hiddenUnder(const QRect& area, const std::vector<const Clip*>& list, size_t begin,
                                           size_t end, const QTransform& world, const ColorTransform& cx,
                                           int nesting) const
{
    // Objects inside a mask's range count for nothing: the mask decides
    // what of them shows.
    std::vector<bool> masked(end - begin);
    int maskedTo = -1;
    for (size_t i = begin; i < end; ++i) {
        masked[i - begin] = list[i]->depthValue <= maskedTo;
        if (list[i]->clipDepth > 0)
            maskedTo = std::max(maskedTo, int(list[i]->clipDepth));
    }
    std::vector<QRegion> out(end - begin);
    QRegion above;
    for (size_t i = end; i-- > begin;) {
        out[i - begin] = above;
        const Clip* c = list[i];
        if (c->clipDepth > 0 || c->isMaskOf || masked[i - begin])
            continue;
        const QRegion r = opaqueRegion(*c, world, cx, nesting) & area;
        if (!r.isEmpty())
            above += r;
    }
    return out;
}

void Renderer::drawClipBeside(const Context& ctx, const Clip& clip, const QTransform& parentWorld,
                              const ColorTransform& parentCx, int nesting, const QRegion& hidden)
{
    // Everything the clip paints lies within its bounds widened by what its
    // filters (its children's included) spread; unknown spreads (blend
    // modes) leave it painted.
    const int s = spread(clip, nesting);
    if (s >= 0) {
        const int m = s + int(kEdgeSlack);
        const QRect reach = clipBounds(clip, placedWorld(clip, parentWorld), nesting).toAlignedRect().adjusted(-m, -m, m, m) &
                            ctx.area;
        if (QRegion(reach).subtracted(hidden).isEmpty())
            return;
    }
    QPainter& p = *ctx.painter;
    p.save();
    p.resetTransform();
    p.setClipRegion(QRegion(ctx.area).subtracted(hidden).translated(-ctx.origin), Qt::IntersectClip);
    drawClip(ctx, clip, parentWorld, parentCx, nesting);
    p.restore();
}

const CompiledShape* Renderer::knownShape(const Clip& clip) const
{
    if (clip.kind != Clip::Kind::Shape)
        return nullptr;
    const auto it = shapes_.find(&std::get<ShapeData>(*clip.character));
    return it == shapes_.end() ? nullptr : &it->second;
}

bool Renderer::shapeCoversOpaquely(const Clip& clip, const QTransform& world, const QRectF& area) const
{
    // The caller has checked the clip's visibility, filters, blend mode and
    // that its colour transform keeps full alpha.
    const CompiledShape* shape = knownShape(clip);
    if (!shape)
        return false;
    for (const ShapeLayer& layer : shape->layers)
        for (const StyledPath& fill : layer.fills)
            if (fill.style >= 0 && size_t(fill.style) < shape->fills.size() &&
                fillOpaque(shape->fills[size_t(fill.style)]) && world.map(fill.path).contains(area))
                return true;
    return false;
}

bool Renderer::maskContains(const Clip& mask, const QTransform& maskWorld, const QRectF& rect, int nesting) const
{
    if (!mask.visible || nesting > limits::kMaxNesting)
        return false;
    // The mask is drawn opaque, so any fill of it counts, whatever its
    // colour; strokes and pictures are not counted (they only add).
    if (const CompiledShape* shape = knownShape(mask)) {
        for (const ShapeLayer& layer : shape->layers)
            for (const StyledPath& fill : layer.fills)
                if (maskWorld.map(fill.path).contains(rect))
                    return true;
        return false;
    }
    if (mask.kind != Clip::Kind::Sprite)
        return false;
    for (const auto& [depth, child] : mask.children) {
        if (child->isMaskOf || child->clipDepth > 0 || child->maskClip || !child->filters.empty() ||
            child->blendMode != BlendMode::Normal)
            continue;
        if (maskContains(*child, child->toParent() * maskWorld, rect, nesting + 1))
            return true;
    }
    return false;
}

int Renderer::spread(const Clip& clip, int nesting) const
{
    // A blend mode blends with what lies under it: inside the mask's layer
    // that is not the picture under the mask, so such content keeps its mask.
    if (nesting > limits::kMaxNesting || clip.blendMode != BlendMode::Normal || clip.maskClip)
        return -1;
    int inner = 0;
    for (const auto& [depth, child] : clip.children) {
        const int s = spread(*child, nesting + 1);
        if (s < 0)
            return -1;
        inner = std::max(inner, s);
    }
    return filterMargin(clip.filters, pixelScale_) + inner;
}

bool Renderer::maskHidesNothing(const Clip& mask, const QTransform& maskWorld, const std::vector<const Clip*>& list,
                                size_t begin, size_t end, const QTransform& world, int nesting) const
{
    QRectF masked;
    for (size_t k = begin; k < end; ++k) {
        const Clip* c = list[k];
        if (c->isMaskOf || !c->visible)
            continue;
        const int s = spread(*c, nesting);
        if (s < 0)
            return false;
        QRectF b = clipBounds(*c, c->toParent() * world, nesting);
        if (b.isEmpty())
            continue;
        const double m = s + kEdgeSlack;
        b.adjust(-m, -m, m, m);
        masked = masked.isEmpty() ? b : masked.united(b);
    }
    return masked.isEmpty() || maskContains(mask, maskWorld, masked, nesting);
}

bool Renderer::maskIsOpen(const std::vector<const Clip*>& list, const Clip* mask, size_t end, const QTransform& world,
                          int nesting) const
{
    const auto at = std::find(list.begin(), list.begin() + ptrdiff_t(end), mask);
    if (at == list.begin() + ptrdiff_t(end) || !mask->visible)
        return false;
    const size_t i = size_t(at - list.begin());
    size_t j = i + 1;
    while (j < end && list[j]->depthValue <= mask->clipDepth)
        ++j;
    return maskHidesNothing(*mask, mask->toParent() * world, list, i + 1, j, world, nesting);
}

bool Renderer::coversOpaquely(const Clip& clip, const QTransform& parentWorld, const ColorTransform& parentCx,
                              const QRectF& area, int nesting) const
{
    if (!clip.visible || clip.isMaskOf || clip.clipDepth > 0 || clip.maskClip || nesting > 16 ||
        clip.blendMode != BlendMode::Normal)
        return false;
    for (const Filter& f : clip.filters) {
        // Outer shadows and glows drawn under the source leave it as it is.
        const bool underSource = (f.type == FilterType::DropShadow || f.type == FilterType::Glow) && !f.inner &&
                                 !f.knockout && f.compositeSource;
        if (!underSource)
            return false;
    }
    const ColorTransform cx = parentCx.after(clip.cxform);
    if (cx.apply(Rgba{0, 0, 0, 255}).a != 255)
        return false;
    const QTransform world = clip.toParent() * parentWorld;
    auto imageCovers = [&](const QImage& img) {
        if (img.isNull() || img.hasAlphaChannel())
            return false;
        const QTransform t = QTransform::fromScale(20, 20) * world;
        if (t.m12() != 0 || t.m21() != 0 || t.isRotating())
            return false;
        const QRectF r = t.mapRect(QRectF(0, 0, img.width(), img.height()));
        constexpr double slack = 1e-3;
        return r.left() <= area.left() + slack && r.top() <= area.top() + slack &&
               r.right() >= area.right() - slack && r.bottom() >= area.bottom() - slack;
    };
    switch (clip.kind) {
    case Clip::Kind::Bitmap:
        return imageCovers(std::get<Bitmap>(*clip.character).image);
    case Clip::Kind::Sprite:
        if (imageCovers(clip.loadedImage))
            return true;
        for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it)
            if (coversOpaquely(*it->second, world, cx, area, nesting + 1))
                return true;
        return false;
    case Clip::Kind::Shape:
        return shapeCoversOpaquely(clip, world, area);
    default:
        return false;
    }
}


size_t Renderer::firstVisible(const Context& ctx, const std::vector<const Clip*>& list, size_t begin, size_t end,
                              const QTransform& world, const ColorTransform& cx, int nesting) const
{
    // The topmost object that hides the whole area opaquely makes everything
    // under it invisible: painting starts there. An object inside a mask's
    // range does not count (the mask decides what of it shows).
    const QRectF area(ctx.area);
    for (size_t i = end; i-- > begin;) {
        const Clip* c = list[i];
        if (c->clipDepth > 0 || !coversOpaquely(*c, world, cx, area, nesting))
            continue;
        const bool masked = std::any_of(list.begin() + ptrdiff_t(begin), list.begin() + ptrdiff_t(i), [&](const Clip* m) {
            return m->clipDepth > 0 && m->clipDepth >= c->depthValue && !maskIsOpen(list, m, end, world, nesting);
        });
        return masked ? begin : i;
    }
    return begin;
}

} // namespace fotarel::swf
