#include "audio/lyric_picture.h"

#include "core/colours.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace fotarel::audio {

LyricPicture drawLyricLine(const QString& text, const LyricStyle& style, QSize panel, int designWidth)
{
    LyricPicture picture;
    const QString line = text.trimmed();
    if (line.isEmpty() || panel.isEmpty() || designWidth <= 0)
        return picture;
    const double scale = static_cast<double>(panel.width()) / designWidth;
    QFont font = lyricFont(style, designWidth);
    int pixelSize = std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale)));
    font.setPixelSize(pixelSize);
    const int margin = std::max(1, static_cast<int>(std::lround(kLyricMargin * scale)));
    const int room = std::max(1, panel.width() - 2 * margin);

    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(line);
    while (width > room && pixelSize > 1) {
        // Text width grows about linearly with the size; one step usually fits.
        pixelSize = std::max(1, std::min(pixelSize - 1, pixelSize * room / width));
        font.setPixelSize(pixelSize);
        metrics = QFontMetrics(font);
        width = metrics.horizontalAdvance(line);
    }
    // Italic glyphs lean past their advance: a little room on the right; and
    // room for the outline all round.
    const double outlinePx = outlinePixels(style.outline, panel.width());
    const int pad = static_cast<int>(std::ceil(outlinePx));
    const int slant = style.italic ? metrics.height() / 4 : 0;
    const QSize size(std::min(width + slant, panel.width()) + 2 * pad, metrics.height() + 2 * pad);

    picture.image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    picture.image.fill(Qt::transparent);
    QPainter painter(&picture.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawOutlinedText(painter, QPointF(pad, pad + metrics.ascent()), font, line, colourFromValue(style.colourValue),
                     colourFromValue(style.outline.colourValue), outlinePx);
    painter.end();
    picture.box = QRect(lyricPosition(style, panel, QSize(width, metrics.height()), margin),
                        QSize(size.width() - 2 * pad, size.height() - 2 * pad));
    picture.position = picture.box.topLeft() - QPoint(pad, pad);
    picture.pixelSize = pixelSize;
    return picture;
}

} // namespace fotarel::audio
