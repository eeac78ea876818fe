#include "photos/crop.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

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

CroppedPicture renderCrop(const QByteArray& bytes, const JpegInfo& info, const CropGeometry& geometry)
{
    CroppedPicture out;
    const QSize canvasSize = geometry.canvas;
    if (canvasSize.width() <= 0 || canvasSize.height() <= 0 || canvasSize.width() > kMaxCanvasSide
        || canvasSize.height() > kMaxCanvasSide || geometry.scaled.width() <= 0 || geometry.scaled.height() <= 0) {
        out.reason = QStringLiteral("模板相片尺寸无效（%1 × %2）").arg(canvasSize.width()).arg(canvasSize.height());
        return out;
    }
    // The visible part of the scaled photo is its top-left corner, at most
    // the canvas. Decoding covers only what that part needs: the photo is
    // decoded reduced to the smallest scale that still covers the scaled
    // size on the visible part, then only that part is resampled.
    const QSize scaled = geometry.scaled;
    const QSize visible(std::min(scaled.width(), canvasSize.width()), std::min(scaled.height(), canvasSize.height()));
    DecodedPicture decoded = decodeReduced(bytes, info, scaled);
    if (decoded.image.isNull()) {
        out.reason = decoded.reason;
        return out;
    }
    const QImage& photo = decoded.image;
    const int srcW = std::clamp(int(std::lround(double(visible.width()) * photo.width() / scaled.width())), 1,
                                photo.width());
    const int srcH = std::clamp(int(std::lround(double(visible.height()) * photo.height() / scaled.height())), 1,
                                photo.height());
    QImage part = photo.copy(0, 0, srcW, srcH);
    if (part.size() != visible)
        part = part.scaled(visible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    if (visible == canvasSize) {
        out.canvas = part.format() == QImage::Format_RGB32 ? part : part.convertToFormat(QImage::Format_RGB32);
        return out;
    }
    QImage canvas(canvasSize, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, part);
    painter.end();
    out.canvas = canvas;
    return out;
}

} // namespace fotarel
