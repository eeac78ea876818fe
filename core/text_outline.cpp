#include "core/text_outline.h"

#include "core/colours.h"

#include <QPainter>
#include <QPainterPath>

namespace fotarel {

TextOutline outlineOfRow(const Row& row, int first)
{
    TextOutline outline;
    if (first + 2 >= row.size())
        return outline;
    const QString name = row[first];
    bool ok = false;
    const unsigned value = row[first + 1].toUInt(&ok);
    if (ok) {
        outline.colourValue = value & 0xFFFFFFu;
        outline.colourName = name;
    } else if (const auto named = colourValueForName(name)) {
        outline.colourValue = *named;
        outline.colourName = name;
    }
    const int width = row[first + 2].toInt(&ok);
    if (ok && width >= 0 && width <= kMaxOutlineWidth)
        outline.width = width;
    return outline;
}

void writeOutline(Row& row, int first, const TextOutline& outline)
{
    while (row.size() < first + 3)
        row.append(QString());
    row[first] = outline.colourName;
    row[first + 1] = QString::number(outline.colourValue);
    row[first + 2] = QString::number(outline.width);
}

double outlinePixels(const TextOutline& outline, int pictureWidth)
{
    return double(outline.width) * pictureWidth / kOutlineDesignWidth;
}

void drawOutlinedText(QPainter& painter, QPointF baseline, const QFont& font, const QString& text, const QColor& fill,
                      const QColor& outline, double pixels)
{
    if (pixels <= 0) {
        painter.setFont(font);
        painter.setPen(fill);
        painter.drawText(baseline, text);
        return;
    }
    // The glyphs as one path: stroked twice as wide as the outline (half of
    // the stroke falls inside the glyph), then filled over the stroke.
    QPainterPath path;
    path.addText(baseline, font, text);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(path, QPen(outline, 2 * pixels, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, fill);
    painter.restore();
}

} // namespace fotarel
