#include "audio/tile_image.h"
#include "audio/tile_layout.h"
#include "tests/audio/qt_print.h"

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

TEST(TileLayout, GridFollowsTheTilePanelWidth)
{
    struct Case {
        int count;
        int visibleWidth;
        int columns;
        QPoint last;
        int panelHeight;
    };
    // Visible panel 550 high, thumb 10 wide: the tile panel is 10 narrower.
    const Case cases[] = {
        {5, 690, 4, {10, 180}, 550},  // 680 wide: four in a row, the fifth starts row 2
        {5, 859, 4, {10, 180}, 550},  // 849 wide: still four
        {5, 860, 5, {690, 10}, 550},  // 850 wide: five
        {13, 880, 5, {350, 350}, 550}, // 3 rows: 350 + 150 + 10 = 510, at least 550
        {16, 880, 5, {10, 520}, 680},  // 4 rows: 520 + 160
        {1, 100, 1, {10, 10}, 550},    // narrower than one step still shows one column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " tiles in " << c.visibleWidth);
        const TileArrangement a = arrangeTiles(c.count, QSize(c.visibleWidth, 550), 10);
        EXPECT_EQ(a.columns, c.columns);
        ASSERT_EQ(static_cast<int>(a.positions.size()), c.count);
        EXPECT_EQ(a.positions.front(), QPoint(10, 10));
        EXPECT_EQ(a.positions.back(), c.last);
        EXPECT_EQ(a.panelSize, QSize(c.visibleWidth - 10, c.panelHeight));
    }
}

TEST(TileLayout, ScrollBarAndThumbDrag)
{
    EXPECT_FALSE(scrollBarFor(550, 550).visible);
    EXPECT_TRUE(scrollBarFor(680, 550).visible);
    EXPECT_EQ(scrollBarFor(680, 550).thumbHeight, 420);
    EXPECT_EQ(scrollBarFor(5000, 550).thumbHeight, kMinThumbHeight);

    // Caps of 10, thumb 420, visible 550, panel 680: the bar travels 110
    // pixels for 130 pixels of panel.
    const ScrollPosition top = dragThumb(-40, 10, 420, 10, 550, 680);
    EXPECT_EQ(top.topCapTop, 0);
    EXPECT_EQ(top.thumbTop, 10);
    EXPECT_EQ(top.bottomCapTop, 430);
    EXPECT_EQ(top.panelTop, 0);
    const ScrollPosition bottom = dragThumb(900, 10, 420, 10, 550, 680);
    EXPECT_EQ(bottom.topCapTop, 110);
    EXPECT_EQ(bottom.bottomCapTop + 10, 550);
    EXPECT_EQ(bottom.panelTop, -130);
    const ScrollPosition middle = dragThumb(65, 10, 420, 10, 550, 680);
    EXPECT_EQ(middle.topCapTop, 55);
    EXPECT_EQ(middle.panelTop, (550 - 485 - 10) * 130 / 110 - 130);
}

TEST(TileLayout, DropLandsOnTilesWithinFiftyPixels)
{
    const std::vector<QPoint> tiles = {{10, 10}, {180, 10}, {350, 10}, {10, 180}};
    EXPECT_EQ(dropTargets(tiles, 0, {200, 40}), std::vector<int>{1});
    EXPECT_EQ(dropTargets(tiles, 0, {229, 59}), std::vector<int>{1});
    EXPECT_TRUE(dropTargets(tiles, 0, {230, 10}).empty()); // exactly 50 is too far
    EXPECT_TRUE(dropTargets(tiles, 0, {265, 10}).empty()); // between two tiles
    EXPECT_TRUE(dropTargets(tiles, 0, {12, 12}).empty());  // back on its own place
    EXPECT_EQ(dropTargets(tiles, 1, {-20, 150}), std::vector<int>{3});
}

int whitePixelsInColumns(const QImage& image, int fromX, int toX)
{
    int white = 0;
    for (int y = 98; y < 110; ++y)
        for (int x = fromX; x < toX; ++x)
            if (qGray(image.pixel(x, y)) > 200)
                ++white;
    return white;
}

TEST(TileImage, CaptionAlignmentFollowsTheMeasuredWidth)
{
    const QString shortName = QStringLiteral("甜蜜蜜");
    const QString longName = QStringLiteral("月亮代表我的心 邓丽君 经典老歌 演唱会现场版");
    EXPECT_FALSE(captionLeftAligned(shortName));
    EXPECT_TRUE(captionLeftAligned(longName));

    const QImage shortTile = renderMusicTile(shortName);
    EXPECT_EQ(shortTile.size(), QSize(130, 115));
    // Centred: nothing written near the left edge of the caption box, text
    // around the middle.
    EXPECT_EQ(whitePixelsInColumns(shortTile, 5, 30), 0);
    EXPECT_GT(whitePixelsInColumns(shortTile, 50, 80), 0);

    const QImage longTile = renderMusicTile(longName);
    EXPECT_GT(whitePixelsInColumns(longTile, 5, 20), 0);
    // The caption box ends at 129: nothing spills onto the last column.
    EXPECT_EQ(whitePixelsInColumns(longTile, 129, 130), 0);
}

} // namespace
} // namespace fotarel::audio
