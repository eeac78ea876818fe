#include "app/main_window.h"
#include "app/message_window.h"
#include "core/colours.h"
#include "core/table_names.h"
#include "engine/layouts.h"
#include "app/settings/status_panel.h"
#include "app/side_panels.h"
#include "app/wizard/wizard_window.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/temp_tree.h"
#include "audio/audio_names.h"
#include "effects/caption_columns.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace fotarel;
using namespace fotarel::test;
using fotarel::app::MainWindow;

namespace {

void layLibrary(const TempTree& tree)
{
    addTemplate(tree, "a1", descriptionIni("|heng|", "|0|", "|0|", 1, 125));
    addTemplate(tree, "a2", descriptionIni("|shu|", "|0|", "|0|", 1, 150));
}

// A main window over a program folder with a small library, shown and past
// its start-up.
struct StartedWindow {
    TempTree tree;
    SingleInstanceGuard guard{tree.path("lock")};
    std::unique_ptr<MainWindow> window;

    bool start()
    {
        layLibrary(tree);
        window = std::make_unique<MainWindow>(tree.root(), guard);
        window->show();
        if (!waitUntil([&] { return window->startupDone(); }))
            return false;
        // The album wizard opens at every start; these tests close it.
        if (!waitUntil([&] { return window->wizard() && window->wizard()->isVisible(); }))
            return false;
        window->wizard()->close();
        return true;
    }
};

} // namespace

TEST(MainWindow, FirstShowRunsStartupAndShowsTheShell)
{
    StartedWindow started;
    ASSERT_TRUE(started.start());
    const TempTree& tree = started.tree;
    MainWindow& window = *started.window;

    EXPECT_EQ(window.objectName(), "TForm1");
    EXPECT_EQ(window.windowTitle(), "Fotarel2018");
    EXPECT_EQ(window.session().get("Edit_jiemian"), "kaishibuju");
    QScreen* screen = window.screen();
    EXPECT_EQ(window.geometry(), layouts::windowGeometry("kaishibuju", screen->geometry(), screen->availableGeometry()));
    EXPECT_EQ(window.palette().color(QPalette::Window), colourFromValue(1185821));
    EXPECT_EQ(window.musicArea()->geometry(), window.photoArea()->geometry());
    EXPECT_LE(window.photoArea()->geometry().right(), window.sidePanels()->geometry().left());
    EXPECT_TRUE(window.photoArea()->isVisible());
    EXPECT_FALSE(window.musicArea()->isVisible());
    EXPECT_FALSE(window.lyricArea()->isVisible());
    EXPECT_EQ(window.musicArea()->palette().color(QPalette::Window),
              window.photoArea()->palette().color(QPalette::Window));
    EXPECT_EQ(window.session().table(tables::Templates).rowCount(), 2);
    EXPECT_TRUE(tree.exists("smxcwjj/tp_wj/tp_slt_1"));
}

// The close box of the title bar, found by its mark.
QAbstractButton* closeBoxOf(QWidget& window)
{
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>())
        if (b->text() == QStringLiteral("✕") && b->parentWidget()->parentWidget() == &window)
            return b;
    return nullptr;
}

TEST(MainWindow, LeavingAsksOnceAndTheWindowGoesAtOnce)
{
    struct Case {
        const char* name;
        bool changed;    // the album differs from the last saved one
        const char* answer;
        bool leaves;
    };
    const Case cases[] = {
        {"unchanged, stay", false, "取消", false},
        {"unchanged, leave", false, "确定", true},
        {"changed, stay", true, "取消", false},
        {"changed, leave without saving", true, "不保存", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartedWindow started;
        ASSERT_TRUE(started.start());
        const TempTree& tree = started.tree;
        MainWindow& window = *started.window;
        tree.write("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp", "thumb");
        if (c.changed)
            window.session().table(effects::kCaptionTable).appendRow({"1", "片头"});

        QStringList asked;
        QStringList buttons;
        int questions = 0;
        auto record = [&](QWidget* w) {
            ++questions;
            for (QLabel* l : w->findChildren<QLabel*>())
                if (l->text().contains("？"))
                    asked << l->text();
            for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
                if (b->isVisible() && !b->text().isEmpty() && b->text() != "✕")
                    buttons << b->text();
        };
        // Any other window that asks is counted and closed.
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible() && modal->objectName() != "TForm25") {
                ++questions;
                modal->close();
            }
        });
        watch.start();
        QSignalSpy ended(&window, &MainWindow::exitDone); // main() ends the program on it
        answerModal("TForm25", c.answer, record);
        QAbstractButton* closeBox = closeBoxOf(window);
        ASSERT_TRUE(closeBox);
        QTest::mouseClick(closeBox, Qt::LeftButton);
        EXPECT_EQ(window.isVisible(), !c.leaves); // at once, not after the clean-up
        QTest::qWait(50);
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(asked, QStringList{c.changed ? "相册已经修改，退出前是否保存？" : "确定要退出本软件吗？"});
        EXPECT_EQ(buttons, c.changed ? QStringList({"保存", "不保存", "取消"}) : QStringList({"确定", "取消"}));
        if (c.leaves) {
            EXPECT_TRUE(waitUntil([&] { return ended.count() == 1; }));
            EXPECT_FALSE(tree.exists("smxcwjj/tp_wj"));
            EXPECT_TRUE(tree.exists("smxcwjj/wj_0_or_2/wjj_02/a1.rar"));
        } else {
            QTest::qWait(20);
            EXPECT_EQ(ended.count(), 0);
            EXPECT_TRUE(window.isVisible());
            EXPECT_TRUE(tree.exists("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"));
        }
    }
}

TEST(MainWindow, MessageWindowShowsTheTextAboveTheOpenWindow)
{
    TempTree tree;
    layLibrary(tree);
    tree.write("smxcwjj/wj_0_or_2/wjj_02/z9.rar", "broken");
    tree.write("smxcwjj/wj_0_or_2/wjj_01/z9.rar", "broken");
    SingleInstanceGuard guard(tree.path("lock"));
    MainWindow window(tree.root(), guard);
    QString shown;
    QRect geometry;
    answerModal("TForm8", "确定", [&](QWidget* w) {
        shown = w->findChild<QLabel*>("Label_xianshi_xiaoxi")->text();
        geometry = w->geometry();
    });
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.startupDone(); }));
    EXPECT_TRUE(shown.startsWith("以下模板文件无法使用，已跳过："));
    EXPECT_TRUE(shown.contains("z9.rar"));
    EXPECT_EQ(geometry.width(), 584);
    EXPECT_GE(geometry.height(), 204);
    EXPECT_EQ(window.session().table(tables::Templates).rowCount(), 2);
}

TEST(Fonts, WindowsFontNamesResolveToInstalledCjkFonts)
{
    for (const char* name : {"黑体", "宋体", "微软雅黑"}) {
        const QString family = QFontInfo(QFont(QString::fromUtf8(name))).family();
        EXPECT_TRUE(family.contains("CJK") || family.contains("WenQuanYi")) << name << " -> " << family.toStdString();
    }
}

TEST(MainWindow, TextEffectCommandOpensTheEditorAndTheStatusPanelCountsItsRows)
{
    StartedWindow started;
    ASSERT_TRUE(started.start());
    MainWindow& window = *started.window;
    auto* command = window.findChild<QPushButton*>("suiButton5");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->text(), "文字特效");
    EXPECT_FALSE(window.findChild<QPushButton*>("suiButton6")); // picture effects have no command
    bool opened = false;
    answerModal("TForm3", "返     回", [&](QWidget* editor) {
        opened = true;
        for (QPushButton* b : editor->findChildren<QPushButton*>())
            if (b->text() == "添加特效") {
                QTest::mouseClick(b, Qt::LeftButton);
                QTest::mouseClick(b, Qt::LeftButton);
            }
    });
    QTest::mouseClick(command, Qt::LeftButton);
    EXPECT_TRUE(opened);
    EXPECT_EQ(window.session().table(effects::kCaptionTable).rowCount(), 2);
    EXPECT_TRUE(waitUntil([&] {
        for (QLabel* line : window.statusPanel()->findChildren<QLabel*>())
            if (line->text() == "文字特效:2")
                return true;
        return false;
    }));
}

TEST(MainWindow, KaraokeCommandOpensTheKaraokeSettingsWithTheSongs)
{
    StartedWindow started;
    ASSERT_TRUE(started.start());
    MainWindow& window = *started.window;
    window.session().table(audio::names::MusicTable).appendRow({"1", "甜蜜蜜", ".mp3", "/m/甜蜜蜜.mp3", "00:00:09", "225"});
    auto* command = window.findChild<QPushButton*>("suiButton_kalaok_shezhi");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->text(), "卡拉OK设置");
    QStringList songs;
    answerModal("TForm46", "返     回", [&](QWidget* settings) {
        auto* chooser = settings->findChild<QComboBox*>("ComboBox_xuanzeyinyue");
        for (int i = 0; chooser && i < chooser->count(); ++i)
            songs << chooser->itemText(i);
    });
    QTest::mouseClick(command, Qt::LeftButton);
    EXPECT_EQ(songs, QStringList{"甜蜜蜜"});
    EXPECT_EQ(window.session().get("Edit_jiance_chushihua"), "1");
}
