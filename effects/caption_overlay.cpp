#include "effects/caption_overlay.h"

#include "core/colours.h"
#include "core/text_outline.h"
#include "effects/caption_columns.h"
#include "effects/motions.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace fotarel::effects {

namespace {

constexpr int kFramesPerSecond = 25;
// Steps after which a caption is taken as gone even if it has not left the
// panel (no motion gets near this: the slowest crosses in a few thousand).
constexpr int kMaxSteps = 1'000'000;

int twoDigits(const QString& text)
{
    if (text.size() != 2 || !text[0].isDigit() || !text[1].isDigit())
        return -1;
    return text.toInt();
}

// The caption's font at pixel size `pixels`, with the row's style.
QFont rowFont(const Row& row, const QString& family, double pixels)
{
    QFont font(family);
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setBold(row.value(CaptionCol::Bold) == kBoldWord);
    font.setItalic(row.value(CaptionCol::Italic) == kItalicWord);
    font.setUnderline(row.value(CaptionCol::Underline) == kUnderlineWord);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The bounding rectangle of the pixels that are not fully transparent.
QRect inkBounds(const QImage& picture)
{
    int top = picture.height(), bottom = -1, left = picture.width(), right = -1;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    return bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QSizeF measure(const QFont& font, const QString& text)
{
    const QFontMetricsF fm(font);
    double width = fm.horizontalAdvance(text);
    if (font.italic())
        width += fm.ascent() / 4; // the slanted last glyph leans past its advance
    return QSizeF(std::ceil(width), std::ceil(fm.height()));
}

} // namespace

std::optional<int> startSeconds(const QString& mmss)
{
    const QStringList parts = mmss.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return std::nullopt;
    const int m = twoDigits(parts[0]);
    const int s = twoDigits(parts[1]);
    if (m < 0 || m > 59 || s < 0 || s > 59)
        return std::nullopt;
    return m * 60 + s;
}

QString resolveFontFamily(const QString& name, const LogFn& log)
{
    const QString fallback = QStringLiteral("黑体");
    if (!name.isEmpty()) {
        if (QFontDatabase::hasFamily(name))
            return name;
        for (const QString& substitute : QFont::substitutes(name))
            if (QFontDatabase::hasFamily(substitute))
                return name;
    }
    if (log)
        log(QStringLiteral("文字特效: 字体“%1”没有安装，改用“%2”").arg(name, fallback));
    return fallback;
}

std::optional<CaptionTrack> makeTrack(const Row& row, int rowIndex, const LogFn& log)
{
    auto refuse = [&](const QString& why) -> std::optional<CaptionTrack> {
        if (log)
            log(QStringLiteral("文字特效 %1: %2").arg(rowIndex + 1).arg(why));
        return std::nullopt;
    };
    CaptionTrack track;
    track.row = rowIndex;
    // A caption is one line.
    track.text = row.value(CaptionCol::Text);
    track.text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (track.text.trimmed().isEmpty())
        return refuse(QStringLiteral("没有文字"));
    const std::optional<int> seconds = startSeconds(row.value(CaptionCol::Start));
    if (!seconds)
        return refuse(QStringLiteral("开始时间“%1”无效").arg(row.value(CaptionCol::Start)));
    // Frame n is at n × 40 ms: the first frame at or after the start time.
    track.startFrame = (long long)*seconds * kFramesPerSecond;

    const QString valueText = row.value(CaptionCol::ColourValue);
    if (!valueText.trimmed().isEmpty())
        track.colour = colourFromText(valueText);
    else if (const auto value = colourValueForName(row.value(CaptionCol::ColourName)))
        track.colour = colourFromValue(*value);
    else
        track.colour = Qt::white;

    const TextOutline outline = outlineOfRow(row, CaptionCol::Outline);
    track.outlineColour = colourFromValue(outline.colourValue);
    track.outlineWidth = outlinePixels(outline, kPanelWidth);

    // The size is in points of the preview panel; the overlay panel is wider
    // by 1920 / 513, and a point is 4/3 of a pixel.
    const QSizeF panel(kPanelWidth, kPanelHeight);
    const int points = std::clamp(row.value(CaptionCol::FontSize).toInt(), 1, 400);
    const double panelPoints = double(points * kPanelWidth / kPreviewWidth);
    double pixels = panelPoints * 4.0 / 3.0;
    const QString family = resolveFontFamily(row.value(CaptionCol::FontName), log);
    track.font = rowFont(row, family, pixels);
    track.box = measure(track.font, track.text);
    // A caption larger than the picture is shrunk to fit it.
    if (track.box.width() > panel.width() || track.box.height() > panel.height()) {
        const double shrink = std::min(panel.width() / track.box.width(), panel.height() / track.box.height());
        pixels = std::floor(pixels * shrink * 0.98);
        track.font = rowFont(row, family, pixels);
        track.box = measure(track.font, track.text);
        track.box = track.box.boundedTo(panel);
    }

    const QPointF fixed(row.value(CaptionCol::FixedX).toDouble() * kPanelWidth / kPreviewWidth,
                        row.value(CaptionCol::FixedY).toDouble() * kPanelHeight / kPreviewHeight);
    const std::optional<CaptionPath> path =
        captionPath(row.value(CaptionCol::Motion), panel, track.box, fixed, kStepPixels);
    if (!path)
        return refuse(QStringLiteral("没有“%1”这种文字特效").arg(row.value(CaptionCol::Motion)));
    track.start = path->start;
    track.step = path->step;
    int k = 1;
    while (k < kMaxSteps && !hasLeft(track.start + track.step * double(k), track.box, panel))
        ++k;
    track.steps = k;
    return track;
}

CaptionOverlay::CaptionOverlay(std::vector<CaptionTrack> tracks) : tracks_(std::move(tracks)) {}

void CaptionOverlay::prepare(QSize frameSize)
{
    preparedFor_ = frameSize;
    scaleX_ = double(frameSize.width()) / kPanelWidth;
    scaleY_ = double(frameSize.height()) / kPanelHeight;
    pictures_.clear();
    offsets_.clear();
    for (const CaptionTrack& t : tracks_) {
        QFont font = t.font;
        font.setPixelSize(std::max(1, int(std::lround(t.font.pixelSize() * scaleX_))));
        // The outline reaches `pad` pixels beyond the glyphs.
        const double outlinePx = t.outlineWidth * scaleX_;
        const int pad = int(std::ceil(outlinePx));
        const QSize size(std::max(1, int(std::ceil(t.box.width() * scaleX_)) + 2 + 2 * pad),
                         std::max(1, int(std::ceil(t.box.height() * scaleY_)) + 2 + 2 * pad));
        QImage picture(size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.setRenderHint(QPainter::TextAntialiasing);
        drawOutlinedText(p, QPointF(pad, pad + QFontMetricsF(font).ascent()), font, t.text, t.colour, t.outlineColour,
                         outlinePx);
        p.end();
        // Only the inked part is kept: a frame blends no more than it must.
        const QRect ink = inkBounds(picture);
        offsets_.push_back(ink.topLeft() - QPoint(pad, pad));
        pictures_.push_back(ink.isEmpty() ? QImage() : picture.copy(ink));
    }
}

void CaptionOverlay::paint(QPainter& painter, QSize frameSize, const OverlayTime& time)
{
    bool any = false;
    for (const CaptionTrack& t : tracks_)
        any = any || t.visibleAt(time.albumFrame);
    if (!any)
        return;
    if (frameSize != preparedFor_)
        prepare(frameSize);
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
        const CaptionTrack& t = tracks_[i];
        if (!t.visibleAt(time.albumFrame))
            continue;
        if (pictures_[i].isNull())
            continue;
        const QPointF at = t.topLeftAt(time.albumFrame);
        painter.drawImage(QPoint(int(std::lround(at.x() * scaleX_)), int(std::lround(at.y() * scaleY_))) + offsets_[i],
                          pictures_[i]);
    }
}

long long CaptionOverlay::nextVisibleFrame(long long from) const
{
    long long best = -1;
    for (const CaptionTrack& t : tracks_) {
        if (t.lastVisibleFrame() < from || t.lastVisibleFrame() < t.firstVisibleFrame())
            continue;
        const long long at = std::max(from, t.firstVisibleFrame());
        if (best < 0 || at < best)
            best = at;
    }
    return best;
}

long long CaptionOverlay::lastVisibleFrame() const
{
    long long last = -1;
    for (const CaptionTrack& t : tracks_)
        last = std::max(last, t.lastVisibleFrame());
    return last;
}

std::unique_ptr<CaptionOverlay> makeCaptionOverlayFromTable(const Table& table, const LogFn& log,
                                                            const std::vector<int>& rows)
{
    std::vector<CaptionTrack> tracks;
    auto add = [&](int r) {
        if (r < 0 || r >= table.rowCount())
            return;
        if (std::optional<CaptionTrack> t = makeTrack(table.row(r), r, log))
            tracks.push_back(std::move(*t));
    };
    if (rows.empty()) {
        for (int r = 0; r < table.rowCount(); ++r)
            add(r);
    } else {
        for (int r : rows)
            add(r);
    }
    if (tracks.empty())
        return nullptr;
    return std::make_unique<CaptionOverlay>(std::move(tracks));
}

std::unique_ptr<Overlay> makeCaptionOverlay(const Session& session, const WorkingFolder& folder, const LogFn& log)
{
    (void)folder;
    if (!session.hasTable(kCaptionTable))
        return nullptr;
    return makeCaptionOverlayFromTable(session.table(kCaptionTable), log);
}

} // namespace fotarel::effects
