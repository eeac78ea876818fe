#include "swf/renderer.h"

#include "swf/aliased_fill.h"
#include "swf/blend.h"
#include "swf/filters.h"
#include "swf/gradient.h"

#include "core/fonts.h"
#include "swf/text_field_display.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QRegularExpression>

#include <cmath>

namespace fotarel::swf {

namespace {

QColor toColor(Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

// A closed path of four axis-parallel lines.
bool isRectangle(const QPainterPath& path)
{
    const int n = path.elementCount();
    if (n != 5 && n != 6)
        return false;
    const QRectF r = path.boundingRect();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::CurveToElement || e.type == QPainterPath::CurveToDataElement)
            return false;
        if ((e.x != r.left() && e.x != r.right()) || (e.y != r.top() && e.y != r.bottom()))
            return false;
    }
    return true;
}

} // namespace

Renderer::Renderer(DisplayTree& tree) : tree_(tree)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        fotarel::registerFontSubstitutions();
}

void Renderer::clear()
{
    shapes_.clear();
    morphs_.clear();
    tinted_.clear();
    levels_.clear();
}

const CompiledShape& Renderer::compiled(const Clip& clip)
{
    if (clip.kind == Clip::Kind::Morph) {
        const auto& m = std::get<MorphShapeData>(*clip.character);
        const auto key = std::make_pair(static_cast<const void*>(&m), int(clip.ratio));
        auto it = morphs_.find(key);
        if (it == morphs_.end()) {
            if (morphs_.size() > 512)
                morphs_.clear();
            it = morphs_.emplace(key, compileShape(morphAt(m, clip.ratio))).first;
        }
        return it->second;
    }
    const auto& s = std::get<ShapeData>(*clip.character);
    auto it = shapes_.find(&s);
    if (it == shapes_.end())
        it = shapes_.emplace(&s, compileShape(s)).first;
    return it->second;
}

QImage Renderer::transformedImage(const QImage& img, const ColorTransform& cx)
{
    QByteArray key(reinterpret_cast<const char*>(&cx), sizeof cx);
    const auto k = std::make_pair(img.cacheKey(), key);
    auto it = tinted_.find(k);
    if (it != tinted_.end())
        return it->second;
    // Each channel maps on its own, so the transform is four tables.
    uint8_t lut[4][256];
    for (int v = 0; v < 256; ++v) {
        const Rgba c = cx.apply(Rgba{uint8_t(v), uint8_t(v), uint8_t(v), uint8_t(v)});
        lut[0][v] = c.r;
        lut[1][v] = c.g;
        lut[2][v] = c.b;
        lut[3][v] = c.a;
    }
    // A fade changes the transform every frame, so only a few recoloured
    // copies are worth keeping (each may be a whole photo). The copy that
    // goes makes room for the new one and lends it its memory when nobody
    // holds it any more: a new whole-photo picture every frame would cost
    // a page fault for every 4 KB of it.
    QImage spare;
    if (tinted_.size() >= 4) {
        auto gone = tinted_.begin();
        for (auto at = tinted_.begin(); at != tinted_.end(); ++at)
            if (at->second.size() == img.size() && at->second.isDetached())
                gone = at;
        spare = std::move(gone->second);
        tinted_.erase(gone);
    }
    QImage out;
    if (!img.hasAlphaChannel()) {
        // An opaque picture (a photo): one constant alpha, premultiplied
        // straight from the tables.
        const QImage src = img.format() == QImage::Format_RGB32 ? img : img.convertToFormat(QImage::Format_RGB32);
        const int a = lut[3][255];
        for (auto& table : {0, 1, 2})
            for (int v = 0; v < 256; ++v)
                lut[table][v] = uint8_t((lut[table][v] * a + 127) / 255);
        out = spare.size() == src.size() && spare.format() == QImage::Format_ARGB32_Premultiplied && spare.isDetached()
                  ? std::move(spare)
                  : QImage(src.size(), QImage::Format_ARGB32_Premultiplied);
        const QRgb alpha = QRgb(a) << 24;
        for (int y = 0; y < src.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < src.width(); ++x) {
                const QRgb p = in[x];
                row[x] = alpha | (QRgb(lut[0][qRed(p)]) << 16) | (QRgb(lut[1][qGreen(p)]) << 8) | lut[2][qBlue(p)];
            }
        }
    } else {
        out = img.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < out.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x) {
                const QRgb p = row[x];
                row[x] = qRgba(lut[0][qRed(p)], lut[1][qGreen(p)], lut[2][qBlue(p)], lut[3][qAlpha(p)]);
            }
        }
        out = out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    tinted_.emplace(k, out);
    return out;
}

QImage& Renderer::layer(int level, const QSize& size)
{
    if (int(layers_.size()) <= level)
        layers_.resize(size_t(level) + 1);
    QImage& img = layers_[size_t(level)];
    if (img.size() != size)
        img = QImage(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QBrush Renderer::brush(const FillStyle& f, const Movie& movie, const ColorTransform& cx)
{
    if (f.isGradient()) {
        QGradient g;
        if (f.type == FillType::Linear) {
            g = QLinearGradient(-16384, 0, 16384, 0);
        } else {
            g = QRadialGradient(QPointF(0, 0), 16384, QPointF(f.type == FillType::Focal ? f.gradient.focal * 16384 : 0, 0));
        }
        g.setSpread(f.gradient.spread == Spread::Reflect  ? QGradient::ReflectSpread
                    : f.gradient.spread == Spread::Repeat ? QGradient::RepeatSpread
                                                          : QGradient::PadSpread);
        g.setStops(gradientStops(f.gradient, cx));
        // Colour and alpha are interpolated each on their own (not
        // premultiplied): a stop fading from transparent black to white
        // passes through grey, as in the Flash Player.
        g.setInterpolationMode(QGradient::ComponentInterpolation);
        QBrush b(g);
        b.setTransform(f.matrix.toTransform());
        return b;
    }
    if (f.isBitmap()) {
        const Character* ch = movie.character(f.bitmapId);
        if (!ch || !std::holds_alternative<Bitmap>(*ch))
            return QBrush(Qt::NoBrush);
        QImage img = std::get<Bitmap>(*ch).image;
        if (!cx.isIdentity())
            img = transformedImage(img, cx);
        QBrush b(img);
        b.setTransform(f.matrix.toTransform());
        return b;
    }
    return QBrush(toColor(cx.apply(f.color)));
}

void Renderer::drawImage(QPainter& p, const QImage& full, const QTransform& fullToDevice, const ColorTransform& cx,
                         bool smooth)
{
    // Drawn smoothly at half size or less into a picture that is blurred
    // next: from a halved copy (render_cache), whose finer averaging the
    // blur makes invisible. Elsewhere the picture is sampled as it is.
    const int level = smooth && highQuality_ && blurredPainting_ > 0 ? ImageLevels::levelFor(full, fullToDevice) : 0;
    const QImage& img = level ? levels_.level(full, level) : full;
    const QTransform toDevice =
        level ? QTransform::fromScale(double(full.width()) / img.width(), double(full.height()) / img.height()) *
                    fullToDevice
              : fullToDevice;
    p.save();
    p.setTransform(toDevice);
    p.setRenderHint(QPainter::SmoothPixmapTransform, smooth && highQuality_);
    if (cx.isIdentity()) {
        p.drawImage(0, 0, img);
    } else if (cx.onlyAlpha()) {
        p.setOpacity(std::clamp(double(cx.aMul), 0.0, 1.0));
        p.drawImage(0, 0, img);
    } else {
        p.drawImage(0, 0, transformedImage(img, cx));
    }
    p.restore();
}

void Renderer::drawShape(QPainter& p, const CompiledShape& shape, const Movie& movie, const QTransform& world,
                         const ColorTransform& cx)
{
    p.setTransform(world);
    const double scale = std::sqrt(std::abs(world.determinant())); // device pixels per twip
    const bool axisAligned = world.m12() == 0 && world.m21() == 0;
    for (const ShapeLayer& layer : shape.layers) {
        for (const StyledPath& sp : layer.fills) {
            const FillStyle& f = shape.fills[size_t(sp.style)];
            if (f.isBitmap()) {
                const Character* ch = movie.character(f.bitmapId);
                if (!ch || !std::holds_alternative<Bitmap>(*ch))
                    continue;
                const QImage& img = std::get<Bitmap>(*ch).image;
                const QTransform fm = f.matrix.toTransform();
                bool invertible = false;
                const QTransform inv = fm.inverted(&invertible);
                if (!invertible)
                    continue;
                if (!f.bitmapRepeats()) {
                    // A clipped bitmap whose area is exactly the picture: draw the
                    // picture itself (the common case, and the fastest).
                    const QRectF inBitmap = inv.map(sp.path).boundingRect();
                    const QRectF full(0, 0, img.width(), img.height());
                    const bool rectangle = sp.path.elementCount() <= 6 && std::abs(inBitmap.left() - full.left()) < 0.05 &&
                                           std::abs(inBitmap.top() - full.top()) < 0.05 &&
                                           std::abs(inBitmap.right() - full.right()) < 0.05 &&
                                           std::abs(inBitmap.bottom() - full.bottom()) < 0.05;
                    if (rectangle) {
                        drawImage(p, img, fm * world, cx, f.bitmapSmoothed());
                        p.setTransform(world);
                        continue;
                    }
                }
                p.setRenderHint(QPainter::SmoothPixmapTransform, f.bitmapSmoothed() && highQuality_);
                if (highQuality_)
                    p.fillPath(sp.path, brush(f, movie, cx));
                else
                    fillAliased(p, sp.path, world, brush(f, movie, cx));
                continue;
            }
            if (!highQuality_)
                fillAliased(p, sp.path, world, brush(f, movie, cx));
            else if (axisAligned && isRectangle(sp.path))
                p.fillRect(sp.path.boundingRect(), brush(f, movie, cx)); // much faster than a path fill
            else
                p.fillPath(sp.path, brush(f, movie, cx));
        }
        if (maskPainting_ > 0)
            continue; // a mask is its fills
        if (!layer.lines.empty() && !highQuality_) {
            // Without antialiasing a stroke whose edge runs through pixel
            // centres covers the pixels on its left and top side (fills the
            // other way round, as QPainter does): moved by a hair for that.
            p.setTransform(world * QTransform::fromTranslate(-1.0 / 256, -1.0 / 256));
        }
        for (const StyledPath& sp : layer.lines) {
            const LineStyle& l = shape.lines[size_t(sp.style)];
            QPen pen(l.hasFill ? brush(l.fill, movie, cx) : QBrush(toColor(cx.apply(l.color))), l.width);
            if (l.noHScale || l.noVScale) {
                // The width follows only the axes whose scale it keeps: none
                // of them leaves it in stage pixels.
                const double sx = std::hypot(world.m11(), world.m12()), sy = std::hypot(world.m21(), world.m22());
                const double device = l.noHScale && l.noVScale ? l.width / 20.0 * pixelScale_
                                      : l.noHScale             ? l.width * sy
                                                               : l.width * sx;
                pen.setWidthF(std::max(device, 1.0));
                pen.setCosmetic(true);
            } else if (l.width * scale < 1.0) {
                pen.setWidthF(1.0); // Flash draws at least one pixel
                pen.setCosmetic(true);
            }
            pen.setCapStyle(l.startCap == Cap::None ? Qt::FlatCap : l.startCap == Cap::Square ? Qt::SquareCap : Qt::RoundCap);
            pen.setJoinStyle(l.join == Join::Bevel ? Qt::BevelJoin : l.join == Join::Miter ? Qt::MiterJoin : Qt::RoundJoin);
            pen.setMiterLimit(l.miterLimit);
            if (!highQuality_ && !pen.isCosmetic()) {
                // Without antialiasing QPainter draws pens up to a pixel wide
                // as thin lines that take the end pixels whole; the outline
                // filled keeps the caps' shape, as the Flash Player does.
                // Filled outlines take pixels whose centre lies on their edge
                // on the right and bottom: moved up and left by a bit more
                // than the fill's precision (1/64 pixel) to take the left and
                // top ones instead.
                QPainterPathStroker stroker(pen);
                const QTransform keep = p.transform();
                p.setTransform(world * QTransform::fromTranslate(-1.0 / 32, -1.0 / 32));
                p.fillPath(stroker.createStroke(sp.path), pen.brush());
                p.setTransform(keep);
                continue;
            }
            p.strokePath(sp.path, pen);
        }
        p.setTransform(world);
    }
}

void Renderer::drawStaticText(QPainter& p, const Clip& clip, const QTransform& world, const ColorTransform& cx)
{
    const auto& st = std::get<StaticText>(*clip.character);
    const QTransform textWorld = st.matrix.toTransform() * world;
    const Font* font = nullptr;
    double height = 0, x = 0, y = 0;
    Rgba color;
    for (const TextRecord& rec : st.records) {
        if (rec.hasFont) {
            const Character* ch = clip.movie->character(rec.fontId);
            font = ch && std::holds_alternative<Font>(*ch) ? &std::get<Font>(*ch) : nullptr;
            height = rec.height;
        }
        if (rec.hasColor)
            color = rec.color;
        if (rec.hasX)
            x = rec.x;
        if (rec.hasY)
            y = rec.y;
        const QBrush b(toColor(cx.apply(color)));
        for (const TextGlyph& g : rec.glyphs) {
            if (font && g.index >= 0 && size_t(g.index) < font->glyphs.size()) {
                const double s = height / font->emSquare;
                QTransform t = QTransform::fromScale(s, s) * QTransform::fromTranslate(x, y) * textWorld;
                if (highQuality_) {
                    p.setTransform(t);
                    p.fillPath(font->glyphs[size_t(g.index)].path, b);
                } else {
                    fillAliased(p, font->glyphs[size_t(g.index)].path, t, b, s);
                }
            }
            x += g.advance;
        }
    }
}

void Renderer::drawContent(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                           int nesting)
{
    QPainter& p = *ctx.painter;
    const QTransform dev = world * QTransform::fromTranslate(-ctx.origin.x(), -ctx.origin.y());
    struct Restore {
        QPainter* p = nullptr;
        ~Restore()
        {
            if (p)
                p->restore();
        }
    } restore;
    if (clip.scrollRect) {
        // Only the scrolled part shows: a clip of whole pixels when it stays
        // upright, otherwise the turned rectangle.
        p.save();
        restore.p = &p;
        if (dev.isAffine() && dev.m12() == 0 && dev.m21() == 0) {
            const QRectF r = dev.mapRect(*clip.scrollRect);
            const QRect whole(QPoint(int(std::lround(r.left())), int(std::lround(r.top()))),
                              QPoint(int(std::lround(r.right())) - 1, int(std::lround(r.bottom())) - 1));
            p.resetTransform();
            p.setClipRect(whole, Qt::IntersectClip);
        } else {
            QPainterPath area;
            area.addRect(*clip.scrollRect);
            p.setTransform(dev);
            p.setClipPath(area, Qt::IntersectClip);
        }
    }
    switch (clip.kind) {
    case Clip::Kind::Shape:
    case Clip::Kind::Morph:
        drawShape(p, compiled(clip), *clip.movie, dev, cx);
        break;
    case Clip::Kind::StaticText:
        drawStaticText(p, clip, dev, cx);
        break;
    case Clip::Kind::EditText:
        paintTextField(p, clip, dev, cx);
        break;
    case Clip::Kind::Bitmap:
        drawImage(p, std::get<Bitmap>(*clip.character).image, QTransform::fromScale(20, 20) * dev, cx, true);
        break;
    case Clip::Kind::Video:
        drawVideo(p, clip, dev, cx);
        break;
    default:
        if (!clip.loadedImage.isNull())
            drawImage(p, clip.loadedImage, QTransform::fromScale(20, 20) * dev, cx, true);
        if (clip.drawing && !clip.drawing->empty())
            drawShape(p, clip.drawing->compiled(), clip.movie ? *clip.movie : Movie(), dev, cx);
        drawChildren(ctx, clip, world, cx, nesting);
        break;
    }
}

void Renderer::drawClip(const Context& ctx, const Clip& clip, const QTransform& parentWorld, const ColorTransform& parentCx,
                        int nesting)
{
    if (!clip.visible || nesting > limits::kMaxNesting)
        return;
    const QTransform world = placedWorld(clip, parentWorld);
    const ColorTransform cx = parentCx.after(clip.cxform);
    if (clip.opaqueBackground)
        fillOpaqueBackground(ctx, clip, world, cx);
    const bool colourFilter = std::any_of(clip.filters.begin(), clip.filters.end(),
                                          [](const Filter& f) { return f.type == FilterType::ColorMatrix; });
    if (cx.aMul <= 0 && cx.aAdd <= 0 && !colourFilter)
        return; // fully transparent: only a colour matrix could make something of it
    if ((clip.blendMode == BlendMode::Erase || clip.blendMode == BlendMode::Alpha) && groupDepth_ == 0)
        return; // takes away from the layer it is painted into: with none below it, nothing happens
    const bool effects = !clip.filters.empty() || (clip.blendMode != BlendMode::Normal);
    if (!effects && !clip.maskClip) {
        drawContent(ctx, clip, world, cx, nesting);
        return;
    }
    if (const int k = blurShrink(clip); k > 1) {
        drawBlurredSmall(ctx, clip, world, cx, nesting, k);
        return;
    }
    if (drawShadowUnder(ctx, clip, world, cx, nesting))
        return;
    // Draw into a layer the size of the clip's device bounds (plus what the
    // filters spread), then filter and composite it.
    const QRect area = filterArea(ctx, clip, world);
    if (area.isEmpty())
        return;
    QImage& img = layer(layerDepth_++, area.size());
    {
        QPainter lp(&img);
        lp.setRenderHints(ctx.painter->renderHints());
        const bool group = !clip.filters.empty() || clip.blendMode != BlendMode::Normal;
        groupDepth_ += group;
        drawContent(Context{&lp, QRect(area), area.topLeft()}, clip, world, cx, nesting);
        groupDepth_ -= group;
        if (clip.maskClip && clip.maskClip->isMaskOf)
            applyMask(lp, area, *clip.maskClip, clip.maskClip->worldTransform() * base_, nesting);
    }
    for (const Filter& f : clip.filters)
        applyFilter(img, f, pixelScale_);
    QPainter& p = *ctx.painter;
    p.save();
    p.resetTransform();
    p.setOpacity(1);
    const QPoint at = area.topLeft() - ctx.origin;
    auto* target = dynamic_cast<QImage*>(p.device());
    if (clip.blendMode == BlendMode::Normal || clip.blendMode == BlendMode::Layer || !target) {
        p.drawImage(at, img);
    } else {
        // Straight onto the target's pixels, inside the painter's clip: the
        // painter is told, so its state stays for what is painted after.
        const QRegion inside = p.hasClipping() ? p.clipRegion() : QRegion();
        if (!p.hasClipping() || !inside.isEmpty()) {
            p.beginNativePainting();
            blendOnto(*target, at, img, clip.blendMode, inside);
            p.endNativePainting();
        }
    }
    p.restore();
    --layerDepth_;
}

void Renderer::applyMask(QPainter& content, const QRect& area, const Clip& mask, const QTransform& maskWorld,
                         int nesting)
{
    // The mask's coverage (antialiased edges included, whatever its colours
    // and alpha) keeps the content; its strokes do not count, as in the
    // Flash Player, which masks with fills only.
    QImage& maskImg = layer(layerDepth_++, area.size());
    {
        QPainter mp(&maskImg);
        mp.setRenderHint(QPainter::Antialiasing, highQuality_);
        ColorTransform opaque;
        opaque.aMul = 0;
        opaque.aAdd = 255;
        ++maskPainting_;
        drawContent(Context{&mp, area, area.topLeft()}, mask, maskWorld, opaque, nesting);
        --maskPainting_;
    }
    content.resetTransform();
    content.setOpacity(1);
    content.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    content.drawImage(0, 0, maskImg);
    --layerDepth_;
}

void Renderer::fillOpaqueBackground(const Context& ctx, const Clip& clip, const QTransform& world,
                                    const ColorTransform& cx)
{
    // The pixels whose top left corner lies inside the object's device
    // bounds (strokes included) take the colour, taken as opaque; the colour
    // transform (alpha included) applies to it as to the content.
    const QRectF b = clipBounds(clip, world);
    if (!b.isValid())
        return;
    const QRect r(QPoint(int(std::floor(b.left())), int(std::floor(b.top()))),
                  QPoint(int(std::floor(b.right())) - 1, int(std::floor(b.bottom())) - 1));
    const QRect visible = r & ctx.area;
    if (visible.isEmpty())
        return;
    Rgba c = *clip.opaqueBackground;
    c.a = 255;
    c = cx.apply(c);
    QPainter& p = *ctx.painter;
    p.save();
    p.resetTransform();
    p.setOpacity(1);
    p.fillRect(visible.translated(-ctx.origin), toColor(c));
    p.restore();
}

void Renderer::drawChildren(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                            int nesting)
{
    if (clip.children.empty())
        return;
    std::vector<const Clip*> list;
    list.reserve(clip.children.size());
    for (const auto& [d, c] : clip.children)
        list.push_back(c.get());
    drawRange(ctx, list, 0, list.size(), world, cx, nesting + 1);
}

void Renderer::drawRange(const Context& ctx, const std::vector<const Clip*>& list, size_t begin, size_t end,
                         const QTransform& world, const ColorTransform& cx, int nesting)
{
    begin = firstVisible(ctx, list, begin, end, world, cx, nesting);
    const std::vector<QRegion> hidden =
        skipHidden_ ? hiddenUnder(ctx.area, list, begin, end, world, cx, nesting) : std::vector<QRegion>();
    for (size_t i = begin; i < end; ++i) {
        const Clip* c = list[i];
        if (c->isMaskOf)
            continue;
        const QRegion* under = hidden.empty() || hidden[i - begin].isEmpty() ? nullptr : &hidden[i - begin];
        if (c->clipDepth <= 0) {
            if (under)
                drawClipBeside(ctx, *c, world, cx, nesting, *under);
            else
                drawClip(ctx, *c, world, cx, nesting);
            continue;
        }
        // A mask layer: it shows the objects above it up to its clip depth
        // where it has coverage (antialiased edges included).
        size_t j = i + 1;
        while (j < end && list[j]->depthValue <= c->clipDepth)
            ++j;
        const QTransform maskWorld = c->toParent() * world;
        QRect area = clipBounds(*c, maskWorld).toAlignedRect().adjusted(-1, -1, 1, 1) & ctx.area;
        if (area.isEmpty() || !c->visible || (under && QRegion(area).subtracted(*under).isEmpty())) {
            i = j - 1;
            continue;
        }
        if (maskHidesNothing(*c, maskWorld, list, i + 1, j, world, nesting)) {
            drawRange(ctx, list, i + 1, j, world, cx, nesting);
            i = j - 1;
            continue;
        }
        QImage& content = layer(layerDepth_++, area.size());
        {
            QPainter lp(&content);
            lp.setRenderHints(ctx.painter->renderHints());
            const Context sub{&lp, area, area.topLeft()};
            drawRange(sub, list, i + 1, j, world, cx, nesting);
            applyMask(lp, area, *c, maskWorld, nesting);
        }
        QPainter& p = *ctx.painter;
        p.save();
        p.resetTransform();
        p.setOpacity(1);
        if (under)
            p.setClipRegion(QRegion(area).subtracted(*under).translated(-ctx.origin), Qt::IntersectClip);
        p.drawImage(area.topLeft() - ctx.origin, content);
        p.restore();
        --layerDepth_;
        i = j - 1;
    }
}

void Renderer::paint(QImage& target)
{
    if (target.isNull())
        return;
    const Movie* m = tree_.stageMovie();
    const std::vector<const Clip*> roots = tree_.levelRoots();
    if (!m || roots.empty()) {
        target.fill(Qt::black);
        return;
    }
    target.fill(QColor(m->background.r, m->background.g, m->background.b));
    const double sx = double(target.width()) / m->frameSize.width();
    const double sy = double(target.height()) / m->frameSize.height();
    base_ = QTransform();
    base_.scale(sx, sy);
    base_.translate(-m->frameSize.xMin, -m->frameSize.yMin);
    pixelScale_ = std::sqrt(sx * sy) * 20;
    layerDepth_ = 0;
    groupDepth_ = 0;
    QPainter p(&target);
    p.setRenderHint(QPainter::Antialiasing, highQuality_);
    const Context ctx{&p, target.rect(), QPoint(0, 0)};
    for (const Clip* root : roots)
        drawClip(ctx, *root, base_, ColorTransform{}, 0);
    if (const std::optional<QRectF> focus = tree_.focusHighlight())
        drawFocusHighlight(p, base_.mapRect(*focus));
}

// The Flash Player's focus rectangle: a yellow frame three stage pixels wide
// drawn inside the object's bounds (rounded to whole pixels), over
// everything.
void Renderer::drawFocusHighlight(QPainter& p, const QRectF& device)
{
    const QRect r(QPoint(qRound(device.left()), qRound(device.top())),
                  QPoint(qRound(device.right()) - 1, qRound(device.bottom()) - 1));
    if (r.isEmpty())
        return;
    const int w = std::max(1, qRound(3 * pixelScale_));
    const QColor yellow(255, 255, 0);
    p.save();
    p.resetTransform();
    p.setClipping(false);
    p.setOpacity(1);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (r.width() <= 2 * w || r.height() <= 2 * w) {
        p.fillRect(r, yellow);
    } else {
        p.fillRect(QRect(r.left(), r.top(), r.width(), w), yellow);
        p.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), yellow);
        p.fillRect(QRect(r.left(), r.top() + w, w, r.height() - 2 * w), yellow);
        p.fillRect(QRect(r.right() - w + 1, r.top() + w, w, r.height() - 2 * w), yellow);
    }
    p.restore();
}

} // namespace fotarel::swf
