// The template preview window: it starts playing as it opens, "停止" stops
// and clears the picture, "播放" starts again from the group's first frame,
// "返回" leaves no preview folder; the ending template follows the group's.
#include "app/preview/preview_window.h"
#include "tests/render/album_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;
using fotarel::app::PreviewWindow;
using Phase = fotarel::preview::Playback::Phase;

namespace {

struct OneGroup : AlbumRun {
    OneGroup()
    {
        addMovieTemplate("t01", {});
        loadLibrary();
        importColours({Qt::green});
    }
};

} // namespace

TEST(PreviewWindow, StartStopPlayAgainAndReturn)
{
    OneGroup run;
    PreviewWindow window(run.session, run.folder, nullptr);
    qint64 now = 0;
    window.clockMs = [&now] { return now; };
    window.prepare(0);
    EXPECT_EQ(window.field(0)->text(), "p1");
    EXPECT_EQ(window.field(4)->text(), "240*135");
    ASSERT_TRUE(window.playback());
    EXPECT_EQ(window.playback()->phase(), Phase::Group);
    EXPECT_EQ(window.playback()->frame(), 0); // the first frame is shown at once
    EXPECT_FALSE(window.picture()->pixmap().isNull());
    EXPECT_TRUE(window.frameTimer()->isActive());
    EXPECT_EQ(window.frameTimer()->interval(), 40); // 25 frames a second

    // The timer's ticks, stepped by hand: the group's six frames, then the
    // ending template's four, then the last picture stays and the timer stops.
    int ticks = 0;
    while (window.frameTimer()->isActive() && ticks < 50) {
        now += 40;
        window.nextFrame();
        ++ticks;
        if (window.playback()->phase() == Phase::Ending) {
            EXPECT_GE(ticks, 5);
        }
    }
    EXPECT_EQ(ticks, 9);
    EXPECT_EQ(window.playback()->phase(), Phase::Finished);
    EXPECT_FALSE(window.picture()->pixmap().isNull());

    QTest::mouseClick(window.findChild<QPushButton*>("suiButton_tingzhi"), Qt::LeftButton);
    EXPECT_FALSE(window.frameTimer()->isActive());
    EXPECT_TRUE(window.picture()->pixmap().isNull());
    EXPECT_EQ(window.playback()->phase(), Phase::Idle);

    QTest::mouseClick(window.findChild<QPushButton*>("suiButton_bofang"), Qt::LeftButton);
    EXPECT_TRUE(window.frameTimer()->isActive());
    EXPECT_EQ(window.playback()->phase(), Phase::Group);
    EXPECT_EQ(window.playback()->frame(), 0);

    // A picture slow to paint: 120 ms later three frames are due, and the
    // movie goes on from the frame its time asks for.
    now += 120;
    window.nextFrame();
    EXPECT_EQ(window.playback()->frame(), 3);

    ASSERT_TRUE(run.tree.exists("smxcwjj/wj_yl_xg_1"));
    window.show();
    QTest::mouseClick(window.findChild<QPushButton*>("suiButton_fanhui"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.frameTimer()->isActive());
    EXPECT_FALSE(run.tree.exists("smxcwjj/wj_yl_xg_1"));
}

TEST(PreviewWindow, AMovieThatIsNoTemplateIsReported)
{
    AlbumRun run;
    MovieOptions bad;
    bad.marker = false;
    run.addMovieTemplate("t01", bad);
    run.loadLibrary();
    run.importColours({Qt::red});
    PreviewWindow window(run.session, run.folder, nullptr);
    int reported = 0;
    QObject::connect(&window, &PreviewWindow::invalidTemplate, [&] { ++reported; });
    window.prepare(0);
    EXPECT_EQ(reported, 1);
    EXPECT_FALSE(window.frameTimer()->isActive());
}
