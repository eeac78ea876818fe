// The effect names, the motion table and the paths captions fly.
#include "effects/caption_columns.h"
#include "effects/motions.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fotarel;
using namespace fotarel::effects;

namespace {

const QSizeF kPanel(kPanelWidth, kPanelHeight);

// Steps until a box starting on `path` has left the panel.
int stepsToLeave(const CaptionPath& path, QSizeF box)
{
    int k = 1;
    while (k < 100000 && !hasLeft(path.start + path.step * double(k), box, kPanel))
        ++k;
    return k;
}

} // namespace

TEST(MotionTable, ThirtyRowsEachCaptionedWithTheNameItFlies)
{
    const Table t = motionTable(kPreviewWidth, kPreviewHeight);
    const QStringList names = effectNames();
    ASSERT_EQ(names.size(), 30);
    ASSERT_EQ(t.rowCount(), 30);
    EXPECT_EQ(names[1], "从左下到右下");
    // Every motion name is distinct and known to the path maker.
    QStringList motions;
    for (int r = 0; r < t.rowCount(); ++r) {
        EXPECT_EQ(t.cell(r, MotionCol::Caption), names[r]) << r;
        EXPECT_FALSE(motions.contains(t.cell(r, MotionCol::Name))) << r;
        motions << t.cell(r, MotionCol::Name);
        EXPECT_TRUE(captionPath(t.cell(r, MotionCol::Name), kPanel, {100, 40}, {}, 3)) << r;
    }
    EXPECT_FALSE(captionPath("no_such_motion", kPanel, {100, 40}, {}, 3));
    // The motions older rows stored for names 2-7 are no name's any more,
    // but still fly (next test).
    for (const char* old : {"congzuoxiangyou", "congshangxiangxia", "congyouxiangzuo", "zuoxiadaoyoushang",
                            "youshangdaozuoxia", "youxiadaozuoshang"})
        EXPECT_FALSE(motions.contains(old)) << old;
}

// Rows of older albums keep the motion they stored, so they render as before.
TEST(MotionTable, StoredClassicMotionsKeepTheirPaths)
{
    const double w = 200, h = 50, x = 500, y = 600;
    const struct {
        const char* motion;
        QPointF start;
        QPointF step;
    } cases[] = {
        {"zuoshangxiangyouxia", {-w, -h}, {3, 2}}, {"congzuoxiangyou", {-w, y}, {3, 0}},
        {"congshangxiangxia", {x, -h}, {0, 3}},    {"congyouxiangzuo", {1920, y}, {-3, 0}},
        {"zuoxiadaoyoushang", {-w, 1080}, {3, -3}}, {"youshangdaozuoxia", {1920, -h}, {-3, 3}},
        {"youxiadaozuoshang", {1920, 1080}, {-3, -3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.motion);
        const auto path = captionPath(c.motion, kPanel, {w, h}, {x, y}, 3);
        ASSERT_TRUE(path);
        EXPECT_EQ(path->start, c.start);
        EXPECT_EQ(path->step, c.step);
    }
}

TEST(MotionTable, FixedCoordinateKeepsTheWholeCaptionInsideThePanel)
{
    // A bottom line too low for a tall caption is raised; a negative one is put at 0.
    EXPECT_EQ(captionPath("congzuoxiangyou", kPanel, {300, 200}, {0, 1000}, 3)->start, QPointF(-300, 880));
    EXPECT_EQ(captionPath("congshangxiangxia", kPanel, {300, 200}, {-40, 0}, 3)->start, QPointF(0, -200));
}

TEST(MotionTable, EveryMotionFliesFromWhereItsNameStartsToWhereItEnds)
{
    // Where the caption's centre is first seen and last seen, as fractions
    // of the panel; a quarter of the panel's size is allowed either way.
    const QSizeF box(160, 60);
    const struct {
        int row;
        QPointF from;
        QPointF to;
    } cases[] = {
        {0, {0, 0}, {0.85, 1}}, // 2 pixels down for 3 across: it leaves by the bottom edge
        // Names 2-7 fly as they say: along the bottom, corner to corner, from the top middle down to the left.
        {1, {0, 0.97}, {1, 0.97}}, {2, {1, 0.97}, {0, 0.97}}, {3, {0, 1}, {1, 0}},
        {4, {1, 0}, {0, 1}}, {5, {1, 1}, {0, 0}}, {6, {0.5, 0}, {0, 1}},
        {7, {0.5, 0}, {1, 1}}, {8, {0.5, 1}, {0, 0}}, {9, {0.5, 1}, {1, 0}}, {10, {0.5, 0}, {0.5, 1}},
        {11, {0.5, 1}, {0.5, 0}}, {12, {0.33, 0}, {0.33, 1}}, {13, {0.33, 1}, {0.33, 0}},
        {14, {0.67, 0}, {0.67, 1}}, {15, {0.67, 1}, {0.67, 0}}, {16, {0.5, 0}, {0.5, 1}},
        {17, {0.5, 1}, {0.5, 0}}, {18, {0, 0.33}, {1, 0.33}}, {19, {0, 0.67}, {1, 0.67}},
        {20, {1, 0.33}, {0, 0.33}}, {21, {1, 0.67}, {0, 0.67}}, {22, {0, 0.5}, {1, 0.5}},
        {23, {1, 0.5}, {0, 0.5}}, {24, {0, 0.5}, {1, 1}}, {25, {0, 0.5}, {1, 0}}, {26, {1, 0.5}, {0, 1}},
        {27, {1, 0.5}, {0, 0}}, {28, {0, 0.5}, {1, 0.5}}, {29, {1, 0.5}, {0, 0.5}},
    };
    const Table t = motionTable(kPreviewWidth, kPreviewHeight);
    ASSERT_EQ(std::size(cases), std::size_t(t.rowCount()));
    for (const auto& c : cases) {
        SCOPED_TRACE(t.cell(c.row, MotionCol::Caption).toStdString());
        const QPointF fixed(t.cell(c.row, MotionCol::FixedX).toDouble() * kPanelWidth / kPreviewWidth,
                            t.cell(c.row, MotionCol::FixedY).toDouble() * kPanelHeight / kPreviewHeight);
        const auto path = captionPath(t.cell(c.row, MotionCol::Name), kPanel, box, fixed, 3);
        ASSERT_TRUE(path);
        // It starts outside, touching the panel's edge, and comes in at once.
        EXPECT_FALSE(hasLeft(path->start + path->step, box, kPanel));
        const int steps = stepsToLeave(*path, box);
        EXPECT_LT(steps, 2000); // every caption leaves, whatever its direction
        const QPointF half(box.width() / 2, box.height() / 2);
        const QPointF first = path->start + path->step + half;
        const QPointF last = path->start + path->step * double(steps - 1) + half;
        EXPECT_NEAR(first.x() / kPanelWidth, c.from.x(), 0.25);
        EXPECT_NEAR(first.y() / kPanelHeight, c.from.y(), 0.25);
        EXPECT_NEAR(last.x() / kPanelWidth, c.to.x(), 0.25);
        EXPECT_NEAR(last.y() / kPanelHeight, c.to.y(), 0.25);
    }
}

TEST(MotionTable, LeavingTheLeftOrTopEdgeCounts)
{
    // The motions that end past the left or top edge stop there.
    const QSizeF box(100, 40);
    const auto left = captionPath("congyouxiangzuo", kPanel, box, {0, 500}, 3);
    EXPECT_EQ(stepsToLeave(*left, box), (1920 + 100) / 3 + 1);
    const auto up = captionPath("youxiadaozuoshang", kPanel, box, {}, 3);
    EXPECT_EQ(stepsToLeave(*up, box), (1080 + 40) / 3 + 1);
    // The right edge as before: (1920 + w) div 3 + 1 steps.
    const auto right = captionPath("congzuoxiangyou", kPanel, box, {0, 500}, 3);
    EXPECT_EQ(stepsToLeave(*right, box), (1920 + 100) / 3 + 1);
}
