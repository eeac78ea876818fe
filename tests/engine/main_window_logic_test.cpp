// The main window's logic that needs no window: layouts, the fading of hint
// windows with their placement, and the album wizard's steps.
#include "core/session.h"
#include "engine/hints.h"
#include "engine/layouts.h"
#include "engine/wizard.h"
#include "tests/support/scripted_ui.h"
#include "photos/photo_columns.h"

#include <gtest/gtest.h>

using namespace fotarel;
using fotarel::hints::HintFade;

TEST(Layouts, StartLayoutFollowsTheScreen)
{
    struct Case {
        QSize screen;
        QSize window;
    } cases[] = {
        {{1366, 768}, {1366 - 170 - 2, 683 - 5}},
        {{1024, 768}, {1024 - 102 + 80, 512 + 49}},
        {{1920, 1080}, {1280, 720}},
        {{2560, 1440}, {1280, 720}},
        {{1920, 1200}, {1280, 720}},
        {{1440, 900}, {1440 - 180 - 2, 720 - 5}},
    };
    for (const Case& c : cases) {
        const QRect screen(QPoint(0, 0), c.screen);
        const QRect r = layouts::windowGeometry(layouts::kStart, screen, screen);
        EXPECT_EQ(r.size(), c.window) << c.screen.width() << "x" << c.screen.height();
        EXPECT_EQ(r.center(), screen.center()) << c.screen.width();
    }
}

TEST(Layouts, FullScreenFittedAndScreensTooSmallForTheFormula)
{
    const QRect screen(0, 0, 1366, 768);
    const QRect available(0, 27, 1366, 741); // a desktop panel on top
    EXPECT_EQ(layouts::windowGeometry(layouts::kFullScreen, screen, available), screen);
    const QRect fitted = layouts::windowGeometry(layouts::kFitted, screen, available);
    EXPECT_EQ(fitted.size(), QSize(1266, 668));
    EXPECT_TRUE(available.contains(fitted));
    // 1600 x 600: the start formula asks for 795 pixels of height.
    const QRect wide(0, 0, 1600, 600);
    const QRect start = layouts::windowGeometry(layouts::kStart, wide, wide);
    EXPECT_TRUE(wide.contains(start));
    EXPECT_EQ(start.height(), 600);
    // An unknown word is the start layout.
    EXPECT_EQ(layouts::windowGeometry(QStringLiteral("xyz"), screen, screen),
              layouts::windowGeometry(layouts::kStart, screen, screen));
}

TEST(Layouts, TitleDoubleClickTogglesStartAndFullScreen)
{
    EXPECT_EQ(layouts::afterTitleDoubleClick(layouts::kStart), layouts::kFullScreen);
    EXPECT_EQ(layouts::afterTitleDoubleClick(layouts::kFullScreen), layouts::kStart);
    EXPECT_EQ(layouts::afterTitleDoubleClick(layouts::kFitted), layouts::kStart);
}

TEST(Layouts, HelpPanelTakesTheRestOrHides)
{
    const int fixed[4] = {190, 24, 24, 190};
    const layouts::PanelPlan tall = layouts::planPanels(70, 600, fixed);
    EXPECT_EQ(tall.top[1], 70 + 190 + 2);
    EXPECT_EQ(tall.top[4], 70 + 190 + 24 + 24 + 190 + 8);
    EXPECT_EQ(tall.top[4] + tall.height[4], 70 + 600);
    const layouts::PanelPlan low = layouts::planPanels(70, 480, fixed);
    EXPECT_EQ(low.height[4], 0);
    EXPECT_EQ(low.height[3], 190);
}

TEST(HintFade, WaitsFadesInHoldsAndFadesOut)
{
    HintFade fade;
    fade.start();
    EXPECT_EQ(fade.phase(), HintFade::Phase::Waiting);
    EXPECT_FALSE(fade.visible());
    EXPECT_EQ(fade.interval(), 2000);

    fade.tick(); // two seconds later: shown, faintly
    EXPECT_TRUE(fade.justShown());
    EXPECT_TRUE(fade.visible());
    EXPECT_EQ(fade.alpha(), 10);
    EXPECT_EQ(fade.interval(), HintFade::kFadeTickMs);
    int ticks = 1;
    while (fade.phase() == HintFade::Phase::FadingIn) {
        fade.tick();
        ++ticks;
        EXPECT_FALSE(fade.justShown());
    }
    EXPECT_EQ(ticks, 26);
    EXPECT_EQ(fade.phase(), HintFade::Phase::Shown);
    EXPECT_EQ(fade.alpha(), 255);
    EXPECT_EQ(fade.interval(), 2000);

    fade.tick();
    EXPECT_EQ(fade.phase(), HintFade::Phase::FadingOut);
    EXPECT_EQ(fade.alpha(), 245);
    while (fade.phase() != HintFade::Phase::Hidden)
        fade.tick();
    EXPECT_EQ(fade.alpha(), 0);
    EXPECT_EQ(fade.interval(), -1);
}

TEST(HintFade, LeavingEarlyShowsNothingLeavingLateFadesFromWhereItIs)
{
    HintFade early;
    early.start();
    early.end(); // left before two seconds
    EXPECT_EQ(early.phase(), HintFade::Phase::Hidden);
    EXPECT_EQ(early.interval(), -1);

    HintFade late;
    late.start();
    for (int i = 0; i < 5; ++i)
        late.tick();
    ASSERT_EQ(late.alpha(), 50);
    late.end();
    EXPECT_EQ(late.phase(), HintFade::Phase::FadingOut);
    late.tick();
    EXPECT_EQ(late.alpha(), 40); // no jump to full opacity first
    late.closeNow();
    EXPECT_FALSE(late.visible());

    // A new start in the middle of a fade waits again.
    late.start();
    EXPECT_EQ(late.phase(), HintFade::Phase::Waiting);
}

TEST(HintFade, GeneralHintStaysOnScreen)
{
    const QRect screen(0, 0, 1366, 768);
    const QSize window(200, 30);
    EXPECT_EQ(hints::generalHintPosition({500, 300}, window, screen), QPoint(480, 310));
    EXPECT_EQ(hints::generalHintPosition({5, 300}, window, screen), QPoint(8, 310));
    EXPECT_EQ(hints::generalHintPosition({1360, 300}, window, screen), QPoint(1366 - 200 - 5, 310));
    EXPECT_EQ(hints::generalHintPosition({500, 760}, window, screen), QPoint(480, 760 + 10 - 30 - 12));
}

TEST(HintFade, CommandHintsByName)
{
    EXPECT_EQ(hints::commandHint("suiButton1"), "支持多个相片文件一起添加使用");
    EXPECT_EQ(hints::commandHint("suiButton11"), "画面效果最高达到1280*720");
    EXPECT_EQ(hints::commandHint("suiButton38"), "画面效果最高达到1920*1080");
    EXPECT_EQ(hints::commandHint("Label_liulanyinyue"), "显示音乐文件的缩略图区域");
    EXPECT_EQ(hints::commandHint("suiButton33"), "对歌词进行设置,例如:歌词位置,大小,颜色,类型等等");
    EXPECT_TRUE(hints::commandHint("suiButton99").isEmpty());
}

TEST(Wizard, EachStepRecordsItsWordAndRunsItsCommand)
{
    struct Case {
        int step;
        const char* word;
        const char* command;
    } cases[] = {{0, "xiangce_xiangdao_tianjiaxiangpian", "suiButton1"},
                 {1, "xiangce_xiangdao_tianjiayinyue", "suiButton2"},
                 {2, "xiangce_xiangdao_tianjiageci", "suiButton3"},
                 {3, "xiangce_xiangdao_zhizuoDVDxiangce", "suiButton12"}};
    for (const Case& c : cases) {
        Session session;
        session.table(photo_tables::Photos).appendRow({"1", "/p/a.jpg"});
        test::ScriptedUi ui;
        EXPECT_TRUE(wizard::press(session, ui, c.step));
        EXPECT_EQ(session.get(wizard::kStepVariable), c.word);
        EXPECT_EQ(wizard::commandForRecordedStep(session), c.command);
        EXPECT_TRUE(ui.messages.isEmpty());
    }
    Session fresh;
    EXPECT_TRUE(wizard::commandForRecordedStep(fresh).isEmpty());
    EXPECT_EQ(wizard::steps()[0].caption, "第一步： 添加相片   ");
    EXPECT_EQ(wizard::steps()[3].caption, "第四步：制作DVD相册");
}

TEST(Wizard, DvdStepWithoutPhotosRefusesAndKeepsTheStep)
{
    Session session;
    test::ScriptedUi ui;
    ASSERT_TRUE(wizard::press(session, ui, 0));
    EXPECT_FALSE(wizard::press(session, ui, 3));
    EXPECT_EQ(ui.messages, QStringList{"没有找到相片文件，先添加相片，再制作DVD相册！"});
    EXPECT_EQ(session.get(wizard::kStepVariable), "xiangce_xiangdao_tianjiaxiangpian");
    EXPECT_FALSE(wizard::press(session, ui, 7));
}
