#include "photos/crop.h"

#include "photos/subject.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace fotarel {

namespace {

constexpr std::int64_t kFrameWidth = 1920;
constexpr std::int64_t kFrameHeight = 1080;

QSize size(std::int64_t w, std::int64_t h)
{
    auto clamp = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, 0, 1 << 30)); };
    return QSize(clamp(w), clamp(h));
}

bool choice(const Session& session, const QString& name, bool fallback)
{
    if (!session.hasVariable(name))
        return fallback;
    const QString value = session.get(name);
    if (value == QLatin1String("True"))
        return true;
    if (value == QLatin1String("False"))
        return false;
    return fallback;
}

} // namespace

CropChoices cropChoicesFrom(const Session& session)
{
    CropChoices c;
    c.landscapeFullScreen = choice(session, QStringLiteral("TForm17.suiRadioButton_hengzhaopian_quanping"), true);
    if (session.hasVariable(QStringLiteral("TForm17.suiRadioButton_hengzhaopian_moren"))
        && session.get(QStringLiteral("TForm17.suiRadioButton_hengzhaopian_moren")) == QLatin1String("True"))
        c.landscapeFullScreen = false;
    c.portraitPartialZoom = choice(session, QStringLiteral("TForm17.suiRadioButton_shuzhaopian_jubufangda"), true);
    if (session.hasVariable(QStringLiteral("TForm17.suiRadioButton_shuzhaopian_moren"))
        && session.get(QStringLiteral("TForm17.suiRadioButton_shuzhaopian_moren")) == QLatin1String("True"))
        c.portraitPartialZoom = false;
    return c;
}

CropRule cropRuleFrom(const Session& session)
{
    return choice(session, kTopLeftCropVariable, false) ? CropRule::TopLeft : CropRule::Subject;
}

QString cropText(const QRect& crop)
{
    return QStringLiteral("%1,%2,%3,%4").arg(crop.x()).arg(crop.y()).arg(crop.width()).arg(crop.height());
}

std::optional<QRect> parseCropText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || std::abs(v[i]) > (1 << 30))
            return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return std::nullopt;
    return QRect(v[0], v[1], v[2], v[3]);
}

std::optional<QRect> fitHandCrop(const QRect& crop, QSize photo, QSize shape)
{
    if (crop.width() <= 0 || crop.height() <= 0 || photo.isEmpty() || shape.isEmpty())
        return std::nullopt;
    const double aspect = double(shape.width()) / shape.height();
    double w = crop.width(), h = w / aspect;
    if (h > photo.height()) {
        h = photo.height();
        w = h * aspect;
    }
    if (w > photo.width()) {
        w = photo.width();
        h = w / aspect;
    }
    const int iw = std::max(1, int(std::lround(w))), ih = std::max(1, int(std::lround(h)));
    const int x = std::clamp(crop.x(), 0, photo.width() - iw);
    const int y = std::clamp(crop.y(), 0, photo.height() - ih);
    return QRect(x, y, iw, ih);
}

CropGeometry cropGeometry(int width, int height, int slotWidth, int slotHeight, const CropChoices& choices,
                          bool refill)
{
    const std::int64_t W = std::max(1, width), H = std::max(1, height);
    const bool landscape = W >= H;
    CropGeometry g;
    if (slotWidth > 0 && slotHeight > 0) {
        const std::int64_t SW = slotWidth, SH = slotHeight;
        g.canvas = size(SW, SH);
        if (landscape) {
            std::int64_t h = SH, w = SH * W / H;
            if (w < SW) {
                w = SW;
                h = SW * H / W;
            }
            g.scaled = size(w, h);
        } else {
            std::int64_t w = SW, h = SW * H / W;
            if (h < SH) {
                h = SH;
                w = SH * W / H;
            }
            g.scaled = size(w, h);
        }
        return g;
    }
    // Full frame (a slot with a side of 0 counts as full frame too).
    if (landscape) {
        std::int64_t w = kFrameWidth, h = kFrameWidth * H / W;
        if (choices.landscapeFullScreen && !refill) {
            g.scaled = size(w, h);
            g.canvas = size(kFrameWidth, kFrameHeight);
        } else {
            if (kFrameHeight < h) {
                h = kFrameHeight;
                w = kFrameHeight * W / H;
            }
            g.scaled = g.canvas = size(w, h);
        }
        return g;
    }
    const std::int64_t h0 = kFrameHeight, w0 = kFrameHeight * W / H;
    if (choices.portraitPartialZoom && !refill) {
        const std::int64_t h = h0 + h0 / 3;
        const std::int64_t w = h * w0 / h0;
        g.scaled = size(w, h);
        g.canvas = size(w, kFrameHeight);
    } else {
        g.scaled = g.canvas = size(w0, h0);
    }
    return g;
}

QSizeF visiblePart(const CropGeometry& geometry)
{
    const QSize scaled = geometry.scaled;
    if (scaled.isEmpty())
        return QSizeF(1, 1);
    return QSizeF(double(std::min(scaled.width(), geometry.canvas.width())) / scaled.width(),
                  double(std::min(scaled.height(), geometry.canvas.height())) / scaled.height());
}

CroppedPicture renderCrop(const QByteArray& bytes, const JpegInfo& info, const CropGeometry& geometry, CropRule rule,
                          std::optional<QRect> byHand, const Subject* known)
{
    CroppedPicture out;
    const QSize canvasSize = geometry.canvas;
    if (canvasSize.width() <= 0 || canvasSize.height() <= 0 || canvasSize.width() > kMaxCanvasSide
        || canvasSize.height() > kMaxCanvasSide || geometry.scaled.width() <= 0 || geometry.scaled.height() <= 0) {
        out.reason = QStringLiteral("模板相片尺寸无效（%1 × %2）").arg(canvasSize.width()).arg(canvasSize.height());
        return out;
    }
    // The visible part of the scaled photo is at most the canvas. Its place
    // in the photo is kept as fractions of the photo, so the same part is
    // cut from whatever reduction the decoder gives.
    const QSize scaled = geometry.scaled;
    const QSize visible(std::min(scaled.width(), canvasSize.width()), std::min(scaled.height(), canvasSize.height()));
    const QSize photoSize = info.upright();
    QRectF part(QPointF(0, 0), visiblePart(geometry));
    QSize cover = scaled;
    if (byHand) {
        byHand = fitHandCrop(*byHand, photoSize, visible);
        if (byHand) {
            part = QRectF(double(byHand->x()) / photoSize.width(), double(byHand->y()) / photoSize.height(),
                          double(byHand->width()) / photoSize.width(), double(byHand->height()) / photoSize.height());
            cover = QSize(int(std::ceil(visible.width() / part.width())), int(std::ceil(visible.height() / part.height())));
        }
    }
    // Decoding covers only what the visible part needs: the photo is
    // decoded reduced to the smallest scale that still covers the scaled
    // size, then only that part is resampled.
    DecodedPicture decoded = decodeReduced(bytes, info, cover);
    if (decoded.image.isNull()) {
        out.reason = decoded.reason;
        return out;
    }
    const QImage& photo = decoded.image;
    const bool movable = part.width() < 1.0 || part.height() < 1.0;
    if (!byHand && rule == CropRule::Subject && movable)
        part.moveTopLeft(placeCrop(part.size(), known ? *known : findSubject(photo)));
    const int srcX = std::clamp(int(std::lround(part.x() * photo.width())), 0, photo.width() - 1);
    const int srcY = std::clamp(int(std::lround(part.y() * photo.height())), 0, photo.height() - 1);
    const int srcW = std::clamp(int(std::lround(part.width() * photo.width())), 1, photo.width() - srcX);
    const int srcH = std::clamp(int(std::lround(part.height() * photo.height())), 1, photo.height() - srcY);
    QImage cut = photo.copy(srcX, srcY, srcW, srcH);
    if (cut.size() != visible)
        cut = cut.scaled(visible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (byHand) {
        out.crop = *byHand;
    } else {
        const int x = std::clamp(int(std::lround(part.x() * photoSize.width())), 0, photoSize.width() - 1);
        const int y = std::clamp(int(std::lround(part.y() * photoSize.height())), 0, photoSize.height() - 1);
        out.crop = QRect(x, y,
                         std::clamp(int(std::lround(part.width() * photoSize.width())), 1, photoSize.width() - x),
                         std::clamp(int(std::lround(part.height() * photoSize.height())), 1, photoSize.height() - y));
    }

    if (visible == canvasSize) {
        out.canvas = cut.format() == QImage::Format_RGB32 ? cut : cut.convertToFormat(QImage::Format_RGB32);
        return out;
    }
    // A photo smaller than the canvas on one side: the top-left rule keeps
    // it at the corner, the others centre it between black bands.
    const QPoint at = rule == CropRule::TopLeft && !byHand
                          ? QPoint(0, 0)
                          : QPoint((canvasSize.width() - visible.width()) / 2, (canvasSize.height() - visible.height()) / 2);
    QImage canvas(canvasSize, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.drawImage(at, cut);
    painter.end();
    out.canvas = canvas;
    return out;
}

} // namespace fotarel
