// Caption tracks and the overlay that paints them: start and end frames,
// the pixels a caption moves, styles, fonts and oversized captions.
#include "effects/caption_columns.h"
#include "effects/caption_editing.h"
#include "effects/caption_overlay.h"
#include "effects/caption_option.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace fotarel;
using namespace fotarel::effects;

namespace {

Row captionRow(const char* option)
{
    const CaptionOption o = parseCaptionOption(QString::fromUtf8(option));
    EXPECT_TRUE(o.row) << o.error.toStdString();
    return o.row.value_or(Row{});
}

CaptionTrack track(const char* option, QStringList* log = nullptr)
{
    const auto t = makeTrack(captionRow(option), 0, [log](const QString& line) {
        if (log)
            *log << line;
    });
    EXPECT_TRUE(t);
    return t.value_or(CaptionTrack{});
}

// The bounding box of the pixels brighter than the black background.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 100)
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage paintFrame(CaptionOverlay& overlay, QSize size, long long albumFrame)
{
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter p(&frame);
    OverlayTime time;
    time.albumFrame = albumFrame;
    overlay.paint(p, size, time);
    return frame;
}

} // namespace

TEST(CaptionTrack, StartTimesGiveTheFramesItShowsOn)
{
    // The caption shows from the first frame whose time (frame n at n × 40 ms)
    // reaches its start time, one step in: a caption at 00:00 on frame 0.
    const struct {
        const char* option;
        long long startFrame;
        long long firstVisible; // 0-based album frame
    } cases[] = {
        {"00:00|2|a", 0, 0},
        {"00:01|2|a", 25, 25},
        {"00:10|2|a", 250, 250},
        {"01:00|2|a", 1500, 1500},
        {"59:59|2|a", 89975, 89975},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        const CaptionTrack t = track(c.option);
        EXPECT_EQ(t.startFrame, c.startFrame);
        EXPECT_EQ(t.firstVisibleFrame(), c.firstVisible);
        EXPECT_FALSE(t.visibleAt(c.firstVisible - 1));
        EXPECT_TRUE(t.visibleAt(c.firstVisible));
        EXPECT_EQ(t.stepsAt(c.firstVisible), 1);
        // Left to right it shows for (1920 + w) div 3 frames, then never again.
        const long long shown = (1920 + (long long)t.box.width()) / 3;
        EXPECT_EQ(t.lastVisibleFrame() - t.firstVisibleFrame() + 1, shown);
        EXPECT_TRUE(t.visibleAt(t.lastVisibleFrame()));
        EXPECT_FALSE(t.visibleAt(t.lastVisibleFrame() + 1));
        EXPECT_FALSE(t.visibleAt(t.lastVisibleFrame() + 90000));
    }
}

TEST(CaptionTrack, SizeScalesToTheOverlayPanelAndHugeCaptionsShrinkToFit)
{
    const CaptionTrack small = track("00:00|2|字|黑体|10");
    EXPECT_EQ(small.font.pixelSize(), 49); // 10 points × 1920 div 513 = 37 points = 49 pixels
    const CaptionTrack big = track("00:00|2|字|黑体|40");
    EXPECT_EQ(big.font.pixelSize(), 199);
    const CaptionTrack huge = track("00:00|2|这是一条非常非常非常长的文字特效，远远超过画面的宽度|黑体|40");
    EXPECT_LE(huge.box.width(), kPanelWidth);
    EXPECT_LT(huge.font.pixelSize(), 199);
    EXPECT_GT(huge.box.width(), kPanelWidth * 0.9);
}

TEST(CaptionTrack, MissingFontFallsBackToTheCjkFontWithALogLine)
{
    QStringList log;
    const CaptionTrack t = track("00:00|2|你好|NoSuchFontAnywhere|20", &log);
    EXPECT_EQ(t.font.family(), "黑体");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("NoSuchFontAnywhere"));
    log.clear();
    track("00:00|2|你好|宋体|20", &log); // a substituted name counts as installed
    EXPECT_TRUE(log.isEmpty()) << log.join('\n').toStdString();
}

TEST(CaptionTrack, UnreadableRowsAreLeftOutWithALogLine)
{
    Table table(captionColumnCaptions());
    table.appendRow(captionRow("00:00|2|good"));
    Row badTime = captionRow("00:00|2|bad time");
    badTime[CaptionCol::Start] = "7:7";
    table.appendRow(badTime);
    Row badMotion = captionRow("00:00|2|bad motion");
    badMotion[CaptionCol::Motion] = "sideways";
    table.appendRow(badMotion);
    QStringList log;
    const auto overlay = makeCaptionOverlayFromTable(table, [&](const QString& l) { log << l; });
    ASSERT_TRUE(overlay);
    ASSERT_EQ(overlay->tracks().size(), 1u);
    EXPECT_EQ(overlay->tracks()[0].text, "good");
    EXPECT_EQ(log.size(), 2);
    EXPECT_FALSE(makeCaptionOverlayFromTable(Table(captionColumnCaptions()), {}));
}

TEST(CaptionOverlay, PaintedCaptionMovesThreePanelPixelsAFrame)
{
    // On a 1920 × 1080 frame the picture moves 3 pixels a frame; on a
    // 1280 × 720 frame 2; its row stays put for a horizontal motion.
    Table table(captionColumnCaptions());
    table.appendRow(captionRow("00:00|2|MOVE|黑体|20"));
    auto overlay = makeCaptionOverlayFromTable(table, {});
    ASSERT_TRUE(overlay);
    for (const QSize size : {QSize(1920, 1080), QSize(1280, 720)}) {
        SCOPED_TRACE(size.width());
        const int step = 3 * size.width() / 1920;
        const QRect a = inkBox(paintFrame(*overlay, size, 200));
        const QRect b = inkBox(paintFrame(*overlay, size, 210));
        ASSERT_FALSE(a.isNull());
        EXPECT_NEAR(b.left() - a.left(), 10 * step, 1);
        EXPECT_EQ(a.top(), b.top());
        // "从左下到右下": along the bottom edge.
        EXPECT_GT(a.top(), size.height() * 3 / 4);
        EXPECT_LT(a.bottom(), size.height());
    }
}

TEST(CaptionOverlay, StylesShowInTheRenderedCaption)
{
    // Half-way through its flight the caption is whole inside the frame.
    auto inkWith = [](int column, const QString& word) {
        Row row = captionRow("00:00|23|STYLE|黑体|30");
        if (column >= 0)
            row[column] = word;
        Table table(captionColumnCaptions());
        table.appendRow(row);
        auto overlay = makeCaptionOverlayFromTable(table, {});
        return inkBox(paintFrame(*overlay, {960, 540}, 300));
    };
    const QRect plain = inkWith(-1, {});
    ASSERT_FALSE(plain.isNull());
    EXPECT_GT(inkWith(CaptionCol::Bold, kBoldWord).width(), plain.width());
    EXPECT_GT(inkWith(CaptionCol::Underline, kUnderlineWord).bottom(), plain.bottom());
    EXPECT_NE(inkWith(CaptionCol::Italic, kItalicWord), plain);
}

TEST(CaptionOverlay, VisibleFramesAcrossSeveralCaptions)
{
    Table table(captionColumnCaptions());
    table.appendRow(captionRow("00:02|2|first"));
    table.appendRow(captionRow("01:00|4|second"));
    auto overlay = makeCaptionOverlayFromTable(table, {});
    ASSERT_TRUE(overlay);
    const CaptionTrack& first = overlay->tracks()[0];
    const CaptionTrack& second = overlay->tracks()[1];
    EXPECT_EQ(overlay->nextVisibleFrame(0), 50);
    EXPECT_EQ(overlay->nextVisibleFrame(first.lastVisibleFrame() + 1), 1500);
    EXPECT_EQ(overlay->lastVisibleFrame(), second.lastVisibleFrame());
    EXPECT_EQ(overlay->nextVisibleFrame(second.lastVisibleFrame() + 1), -1);
}
