#include "audio/tile_image.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace fotarel::audio {

namespace {

QFont songTypeface(int pixels)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    return font;
}

// The fixed background: a dark blue gradient with a light disc and a pair of
// beamed quavers, so a song tile reads as music at a glance.
void paintBackground(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, kTileImageHeight);
    sky.setColorAt(0.0, QColor(0x3b, 0x5f, 0x8f));
    sky.setColorAt(1.0, QColor(0x12, 0x1e, 0x30));
    p.fillRect(0, 0, kTileImageWidth, kTileImageHeight, sky);

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QPointF(65, 48), 38, 38);

    const QColor ink(0xf5, 0xf0, 0xd8);
    p.setBrush(ink);
    p.drawEllipse(QRectF(40, 60, 18, 13));
    p.drawEllipse(QRectF(72, 54, 18, 13));
    p.drawRect(QRectF(54, 26, 4, 40));
    p.drawRect(QRectF(86, 20, 4, 40));
    QPainterPath beam;
    beam.moveTo(54, 26);
    beam.lineTo(90, 20);
    beam.lineTo(90, 28);
    beam.lineTo(54, 34);
    beam.closeSubpath();
    p.drawPath(beam);

    // A darker strip behind the caption keeps white text legible.
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRect(QRectF(0, 95, kTileImageWidth, 20));
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

bool captionLeftAligned(const QString& name)
{
    // The measuring label sizes itself to its text.
    return QFontMetrics(songTypeface(11)).horizontalAdvance(name) >= kTileImageWidth;
}

QImage renderMusicTile(const QString& name)
{
    QImage image(kTileImageWidth, kTileImageHeight, QImage::Format_RGB32);
    QPainter p(&image);
    paintBackground(p);
    p.setFont(songTypeface(12));
    p.setPen(Qt::white);
    // The caption box is left 5, top 98, 124 x 12. A CJK font standing in
    // for 宋体 is taller than 12 pixels at this size, so the text is centred
    // on the box's middle line and may use the strip's full height; the box
    // still cuts it at the sides.
    const QRect caption(5, 98, 124, 12);
    const QRect strip(caption.left(), 95, caption.width(), kTileImageHeight - 95);
    const Qt::Alignment horizontal = captionLeftAligned(name) ? Qt::AlignLeft : Qt::AlignHCenter;
    p.setClipRect(strip);
    p.drawText(QRect(caption.left(), caption.center().y() - 10, caption.width(), 20),
               int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), name);
    p.end();
    return image;
}

bool saveMusicTile(const QString& name, const QString& path)
{
    return renderMusicTile(name).save(path, "BMP");
}

} // namespace fotarel::audio
