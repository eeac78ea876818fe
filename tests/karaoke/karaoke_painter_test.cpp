// Painting karaoke lines: the layout scaled from the preview panel, the sung
// colour growing from the left, and the overlay that pairs files with songs.
#include "audio/music_table.h"
#include "core/colours.h"
#include "core/working_folder.h"
#include "karaoke/karaoke_overlay.h"
#include "karaoke/karaoke_painter.h"
#include "karaoke/lyric_type.h"
#include "tests/support/temp_tree.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace fotarel::karaoke {
namespace {

const QByteArray kTwoLines = "karaoke.add('00:02.000', '00:04.000', '[甜蜜]蜜你笑得', '400,200,200,200,200');\n"
                             "karaoke.add('00:04.000', '00:06.000', '甜蜜蜜', '400,400,400');\n";

KaraokeStyle plainStyle()
{
    KaraokeStyle style;
    style.baseValue = 0xFFFFFF; // white
    style.sungValue = 0xFF0000; // blue
    return style;
}

// Columns of `image` within `rect` holding a pixel close to `colour`.
int columnsWith(const QImage& image, const QRect& rect, QColor colour)
{
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int x = r.left(); x <= r.right(); ++x) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40
                && std::abs(c.blue() - colour.blue()) < 40) {
                ++count;
                break;
            }
        }
    }
    return count;
}

QImage frameAt(KaraokePainter& painter, QSize size, qint64 ms)
{
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter p(&frame);
    painter.paint(p, size, ms);
    return frame;
}

TEST(KaraokePainter, LayoutScalesFromThePreviewPanel)
{
    KaraokePainter painter(parseKsc(kTwoLines), plainStyle());
    const auto panel = painter.layout({800, 450}, 3000);
    ASSERT_EQ(panel[kSlotA].line, 0);
    ASSERT_EQ(panel[kSlotB].line, 1);
    EXPECT_EQ(panel[kSlotA].rect.topLeft(), QPoint(75, 338));
    EXPECT_EQ(panel[kSlotB].rect.top(), 388);
    // Line B is right-aligned: five spaces, the label's 10 pixels and 20 pixels from the edge.
    const QFontMetrics metrics(painter.fontFor({800, 450}));
    const int label = metrics.horizontalAdvance(painter.lineText(1) + "     ") + 10;
    EXPECT_EQ(panel[kSlotB].rect.left(), 800 - label - 20);

    const auto full = painter.layout({1920, 1080}, 3000);
    EXPECT_EQ(full[kSlotA].rect.topLeft(), QPoint(180, 811));
    EXPECT_EQ(full[kSlotB].rect.top(), 931);
    EXPECT_EQ(painter.fontFor({1920, 1080}).pixelSize(), 80); // 25 points on the panel
    EXPECT_NEAR(full[kSlotA].rect.width(), panel[kSlotA].rect.width() * 2.4, 12);
}

TEST(KaraokePainter, SungColourGrowsFromTheLeftAndCoversTheLine)
{
    KaraokePainter painter(parseKsc(kTwoLines), plainStyle());
    const QSize size(1920, 1080);
    const QColor blue = colourFromValue(0xFF0000);
    const QColor white = colourFromValue(0xFFFFFF);

    const QRect lineA = painter.layout(size, 1500)[kSlotA].rect;
    const QImage before = frameAt(painter, size, 1999);
    EXPECT_EQ(columnsWith(before, lineA, blue), 0);
    EXPECT_GT(columnsWith(before, lineA, white), 100);

    int last = 0;
    for (long long frame = 50; frame < 75; ++frame) { // the first unit's 10 frames and the next three
        const auto placed = painter.layout(size, frame * kMsPerFrame);
        EXPECT_GE(placed[kSlotA].sungWidth, last) << frame;
        EXPECT_GT(placed[kSlotA].sungWidth, 0) << frame;
        last = placed[kSlotA].sungWidth;
    }
    const QImage during = frameAt(painter, size, 2200);
    const int blueColumns = columnsWith(during, lineA, blue);
    EXPECT_GT(blueColumns, 20);
    // Blue only on the left of the sung edge.
    const int edge = lineA.left() + painter.layout(size, 2200)[kSlotA].sungWidth;
    EXPECT_EQ(columnsWith(during, QRect(QPoint(edge + 1, lineA.top()), lineA.bottomRight()), blue), 0);

    // Once the next line starts the line is wholly in the sung colour.
    const QImage after = frameAt(painter, size, 4000);
    EXPECT_EQ(columnsWith(after, lineA, white), 0);
    EXPECT_GT(columnsWith(after, lineA, blue), 100);
}

TEST(KaraokePainter, TraditionalRowShowsTraditionalCharacters)
{
    KaraokeStyle style = plainStyle();
    style.script = "fanti";
    KaraokePainter painter(parseKsc("karaoke.add('00:01.000', '00:02.000', '[花儿]开', '100,100');"), style);
    EXPECT_EQ(painter.lineText(0), "花兒開");
}

class KaraokeOverlayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Table& songs = session.table(audio::names::MusicTable);
        for (int i = 0; i < 3; ++i)
            songs.appendRow(audio::songRow(i + 1, QStringLiteral("/m/%1.mp3").arg(i), 10000));
        const QString first = tree.write("a.ksc", kTwoLines);
        const QString second = tree.write("b.ksc", "karaoke.add('00:00.000', '00:01.000', 'x', '400');");
        importKaraokeFiles(session, {first, second, tree.path("gone.ksc")});
    }
    std::unique_ptr<Overlay> make(QStringList* log)
    {
        return makeKaraokeOverlay(session, folder, [log](const QString& line) { log->append(line); });
    }

    test::TempTree tree;
    WorkingFolder folder{tree.root()};
    Session session;
};

TEST_F(KaraokeOverlayTest, EachSongGetsItsOwnFileAndAMissingFileIsReported)
{
    QStringList log;
    auto overlay = make(&log);
    ASSERT_NE(overlay, nullptr);
    auto* karaoke = dynamic_cast<KaraokeOverlay*>(overlay.get());
    ASSERT_NE(karaoke, nullptr);
    ASSERT_NE(karaoke->painterFor(0), nullptr);
    ASSERT_NE(karaoke->painterFor(1), nullptr);
    EXPECT_EQ(karaoke->painterFor(2), nullptr);
    EXPECT_EQ(karaoke->painterFor(0)->lineText(0), "甜蜜蜜你笑得");
    EXPECT_EQ(karaoke->painterFor(1)->lineText(0), "x");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("gone.ksc")) << log[0].toStdString();

    // The second song's line shows from its own first frame.
    QImage frame(1280, 720, QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter p(&frame);
    overlay->paint(p, frame.size(), OverlayTime{1000, 1, 1, 0, 0});
    p.end();
    EXPECT_GT(columnsWith(frame, frame.rect(), Qt::white), 5);
}

TEST_F(KaraokeOverlayTest, NoOverlayWhenKaraokeDoesNotRun)
{
    QStringList log;
    session.set(kLyricTypeVariable, kUseLrc);
    EXPECT_EQ(make(&log), nullptr);
    session.set(kLyricTypeVariable, kUseKsc);
    EXPECT_NE(make(&log), nullptr);
    session.table(audio::names::MusicTable).clear();
    EXPECT_EQ(make(&log), nullptr);
}

} // namespace
} // namespace fotarel::karaoke
