#include "karaoke/karaoke_painter.h"

#include "core/colours.h"
#include "karaoke/script_conversion.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace fotarel::karaoke {

namespace {

constexpr int kLineALeft = 75;
constexpr int kLineBDrop = 50;
constexpr int kLineBRightMargin = 20;
constexpr int kLabelExtra = 10;
const QString kTrailingSpaces = QStringLiteral("     ");

double scaleX(QSize frame)
{
    return static_cast<double>(frame.width()) / kPanelWidth;
}

double scaleY(QSize frame)
{
    return static_cast<double>(frame.height()) / kPanelHeight;
}

int lineATop()
{
    return kPanelHeight - kPanelHeight / 4;
}

// The line in one colour with the style's outline; the text starts `pad`
// pixels in from the picture's left and top edges, leaving room for the outline.
QImage drawLine(const QString& text, const QFont& font, QSize size, unsigned colourValue, const TextOutline& outline,
                double outlinePx, int pad)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawOutlinedText(p, QPointF(pad, pad + QFontMetrics(font).ascent()), font, text, colourFromValue(colourValue),
                     colourFromValue(outline.colourValue), outlinePx);
    return image;
}

} // namespace

KaraokePainter::KaraokePainter(const KscDocument& document, const KaraokeStyle& style)
    : style_(style), timeline_(document)
{
    const Script script = scriptFromWord(style.script);
    units_.reserve(document.lines.size());
    for (const KscLine& line : document.lines) {
        std::vector<QString> texts;
        texts.reserve(line.units.size());
        for (const KscUnit& unit : line.units)
            texts.push_back(unit.text);
        units_.push_back(convertUnits(texts, script));
    }
}

QFont KaraokePainter::fontFor(QSize frameSize) const
{
    QFont font(style_.font);
    // Points on the panel (96 pixels an inch) scaled to the frame.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(style_.size * 96.0 / 72.0 * scaleX(frameSize)))));
    font.setBold(style_.bold);
    font.setItalic(style_.italic);
    font.setUnderline(style_.underline);
    return font;
}

QString KaraokePainter::lineText(int line) const
{
    QString text;
    for (const QString& unit : units_[static_cast<std::size_t>(line)])
        text += unit;
    return text;
}

void KaraokePainter::prepare(Picture& picture, int line, QSize frameSize) const
{
    if (picture.line == line && picture.frameSize == frameSize)
        return;
    picture.line = line;
    picture.frameSize = frameSize;
    const QFont font = fontFor(frameSize);
    const QFontMetrics metrics(font);
    const QString text = lineText(line);
    const double outlinePx = outlinePixels(style_.outline, frameSize.width());
    picture.pad = static_cast<int>(std::ceil(outlinePx));
    picture.edges.clear();
    QString prefix;
    for (const QString& unit : units_[static_cast<std::size_t>(line)]) {
        prefix += unit;
        picture.edges.push_back(metrics.horizontalAdvance(prefix));
    }
    const int advance = metrics.horizontalAdvance(text);
    // Room for italic overhang beyond the last advance, and for the outline.
    const int width = std::max(1, advance + metrics.height() / 3) + 2 * picture.pad;
    const QSize size(width, metrics.height() + 2 + 2 * picture.pad);
    picture.base = drawLine(text, font, size, style_.baseValue, style_.outline, outlinePx, picture.pad);
    picture.sung = drawLine(text, font, size, style_.sungValue, style_.outline, outlinePx, picture.pad);
    picture.labelWidth = metrics.horizontalAdvance(text + kTrailingSpaces)
        + static_cast<int>(std::lround(kLabelExtra * scaleX(frameSize)));
}

PlacedLine KaraokePainter::place(const Picture& picture, int slot, const SlotView& view, QSize frameSize) const
{
    PlacedLine placed;
    placed.line = view.line;
    const double sx = scaleX(frameSize);
    const double sy = scaleY(frameSize);
    int x = 0;
    int y = static_cast<int>(std::lround(lineATop() * sy));
    if (slot == kSlotA) {
        x = static_cast<int>(std::lround(kLineALeft * sx));
    } else {
        y = static_cast<int>(std::lround((lineATop() + kLineBDrop) * sy));
        x = frameSize.width() - picture.labelWidth - static_cast<int>(std::lround(kLineBRightMargin * sx));
    }
    placed.rect = QRect(QPoint(x, y), picture.base.size() - QSize(2 * picture.pad, 2 * picture.pad));
    const int count = static_cast<int>(picture.edges.size());
    if (count == 0)
        return placed;
    if (view.unitsDone >= count) {
        placed.sungWidth = placed.rect.width();
        return placed;
    }
    const int left = view.unitsDone > 0 ? picture.edges[static_cast<std::size_t>(view.unitsDone - 1)] : 0;
    const int right = picture.edges[static_cast<std::size_t>(view.unitsDone)];
    placed.sungWidth = left + static_cast<int>(std::lround((right - left) * std::clamp(view.fraction, 0.0, 1.0)));
    return placed;
}

std::array<PlacedLine, 2> KaraokePainter::layout(QSize frameSize, qint64 songMs)
{
    const KaraokeView view = timeline_.at(songMs);
    std::array<PlacedLine, 2> placed;
    for (int slot = 0; slot < 2; ++slot) {
        const SlotView& slotView = view.places[static_cast<std::size_t>(slot)];
        if (slotView.line < 0)
            continue;
        Picture& picture = pictures_[static_cast<std::size_t>(slot)];
        prepare(picture, slotView.line, frameSize);
        placed[static_cast<std::size_t>(slot)] = place(picture, slot, slotView, frameSize);
    }
    return placed;
}

void KaraokePainter::paint(QPainter& painter, QSize frameSize, qint64 songMs)
{
    const std::array<PlacedLine, 2> placed = layout(frameSize, songMs);
    for (std::size_t slot = 0; slot < 2; ++slot) {
        const PlacedLine& line = placed[slot];
        if (line.line < 0)
            continue;
        // The sung part from the sung picture, the rest from the base picture:
        // each pixel is blended once.
        // The pictures reach `pad` pixels beyond the line's box for the
        // outline; a line sung to its end takes the outline's right edge too.
        const Picture& picture = pictures_[slot];
        const QPoint origin = line.rect.topLeft() - QPoint(picture.pad, picture.pad);
        const int height = picture.base.height();
        const int sung = line.sungWidth <= 0                 ? 0
                         : line.sungWidth >= line.rect.width() ? picture.base.width()
                                                             : picture.pad + line.sungWidth;
        if (sung > 0)
            painter.drawImage(origin, picture.sung, QRect(0, 0, sung, height));
        if (sung < picture.base.width())
            painter.drawImage(origin + QPoint(sung, 0), picture.base, QRect(sung, 0, picture.base.width() - sung, height));
    }
}

} // namespace fotarel::karaoke
