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
    // Italic glyphs lean past their advance: a little room on the right.
    const int slant = style.italic ? metrics.height() / 4 : 0;
    const QSize size(std::min(width + slant, panel.width()), metrics.height());

    picture.image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    picture.image.fill(Qt::transparent);
    QPainter painter(&picture.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(colourFromValue(style.colourValue));
    painter.drawText(QPoint(0, metrics.ascent()), line);
    painter.end();
    picture.position = lyricPosition(style, panel, QSize(width, size.height()), margin);
    picture.pixelSize = pixelSize;
    return picture;
}

} // namespace fotarel::audio
