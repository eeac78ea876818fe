// Painting filtered clips cheaply: a clip whose filters are all blurs is
// painted and blurred at a fraction of its size, and one outer drop shadow
// or glow is drawn from a small copy of the clip's alpha straight under the
// clip, which is then painted with no layer of its own.
#include "swf/renderer.h"

#include "swf/filters.h"

#include <cmath>

namespace fotarel::swf {

int Renderer::blurShrink(const Clip& clip) const
{
    // A clip with only blur filters and nothing else special can be painted
    // and blurred at a fraction of the size: the blur leaves no detail the
    // full size would show.
    if (clip.filters.empty() || clip.maskClip || clip.blendMode != BlendMode::Normal)
        return 1;
    int k = 8;
    for (const Filter& f : clip.filters) {
        if (f.type != FilterType::Blur)
            return 1;
        k = std::min(k, blurShrinkFactor(f.blurX * pixelScale_ / 2, f.blurY * pixelScale_ / 2));
    }
    return k;
}

QImage& Renderer::paintSmall(const Clip& clip, const QTransform& world, const ColorTransform& cx, int nesting, int k,
                             const QRect& area, QRect& small)
{
    // The small picture's pixel (u, v) stands for the target pixels
    // [u k, u k + k) × [v k, v k + k).
    auto down = [k](int v) { return v >= 0 ? v / k : -((-v + k - 1) / k); };
    small = QRect(QPoint(down(area.left()), down(area.top())), QPoint(down(area.right()), down(area.bottom())));
    QImage& img = layer(layerDepth_++, small.size());
    const double fullScale = pixelScale_;
    pixelScale_ = fullScale / k;
    {
        QPainter lp(&img);
        lp.setRenderHint(QPainter::Antialiasing, highQuality_);
        ++groupDepth_; // a filtered object: painted as a picture of its own
        ++blurredPainting_;
        drawContent(Context{&lp, small, small.topLeft()}, clip, world * QTransform::fromScale(1.0 / k, 1.0 / k), cx,
                    nesting);
        --blurredPainting_;
        --groupDepth_;
    }
    pixelScale_ = fullScale;
    return img;
}

void Renderer::drawSmall(const Context& ctx, const QImage& img, const QRect& small, int k, const QRect& clipArea,
                         QPointF offset)
{
    QPainter& p = *ctx.painter;
    p.save();
    p.resetTransform();
    p.setOpacity(1);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRect(clipArea.translated(-ctx.origin), Qt::IntersectClip);
    p.drawImage(QRectF(QPointF(small.left() * k, small.top() * k) - ctx.origin + offset, QSizeF(small.size()) * k),
                img);
    p.restore();
}

QRect Renderer::filterArea(const Context& ctx, const Clip& clip, const QTransform& world) const
{
    // The clip's device bounds plus what its filters spread, and no further
    // than the filters reach from the visible area: a filter sees the whole
    // object, so a blur near the edge of the target takes in what lies
    // beyond it instead of fading to transparent there. Only the visible
    // part is composited.
    const QSize m = filterMargins(clip.filters, pixelScale_);
    const int mx = m.width(), my = m.height();
    const QRect reach = ctx.area.adjusted(-mx, -my, mx, my);
    return clipBounds(clip, world).toAlignedRect().adjusted(-mx - 1, -my - 1, mx + 1, my + 1) & reach;
}

void Renderer::drawBlurredSmall(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                                int nesting, int k)
{
    const QRect area = filterArea(ctx, clip, world);
    if (area.isEmpty())
        return;
    QRect small;
    QImage& img = paintSmall(clip, world, cx, nesting, k, area, small);
    for (const Filter& f : clip.filters)
        applyFilter(img, f, pixelScale_ / k);
    drawSmall(ctx, img, small, k, area & ctx.area);
    --layerDepth_;
}

bool Renderer::drawShadowUnder(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                               int nesting)
{
    // One outer shadow or glow drawn under its source: the shadow comes
    // from the clip's alpha painted at the size the blur allows, then the
    // clip is painted straight onto the target over it, with no layer.
    if (clip.filters.size() != 1 || clip.maskClip || clip.blendMode != BlendMode::Normal)
        return false;
    const Filter& f = clip.filters.front();
    if ((f.type != FilterType::DropShadow && f.type != FilterType::Glow) || f.inner || f.knockout ||
        !f.compositeSource)
        return false;
    // A shadow is softer than what it falls from: four small pixels of
    // radius are plenty.
    const int k = blurShrinkFactor(f.blurX * pixelScale_ / 2, f.blurY * pixelScale_ / 2, 4);
    if (k < 2)
        return false;
    const QRect area = filterArea(ctx, clip, world);
    if (area.isEmpty())
        return true;
    auto* target = dynamic_cast<QImage*>(ctx.painter->device());
    if (!target)
        return false;
    QRect small;
    const QImage& img = paintSmall(clip, world, cx, nesting, k, area, small);
    const double dx = f.type == FilterType::DropShadow ? std::round(std::cos(f.angle) * f.distance * pixelScale_) : 0;
    const double dy = f.type == FilterType::DropShadow ? std::round(std::sin(f.angle) * f.distance * pixelScale_) : 0;
    // Straight onto the target's pixels: the painter is told, so that what
    // it painted before is there and what it paints after goes on top.
    ctx.painter->beginNativePainting();
    drawShadowOnto(*target, area.translated(-ctx.origin), img, small.topLeft() * k - ctx.origin, k, f,
                   pixelScale_ / k, QPoint(int(dx), int(dy)));
    ctx.painter->endNativePainting();
    --layerDepth_;
    drawContent(ctx, clip, world, cx, nesting);
    return true;
}

} // namespace fotarel::swf
