// The main window's keys and the music and lyric areas' commands, reached as
// a user reaches them: keys pressed on the window, buttons found by their
// captions, tiles clicked, right-clicked and double-clicked. Each must open
// its window (or say why not).
#include "app/main_window.h"
#include "app/wizard/wizard_window.h"
#include "audio/audio_names.h"
#include "tests/app/gui_helpers.h"
#include "tests/render/album_fixture.h"
#include "tests/support/temp_tree.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>

using namespace fotarel;
using namespace fotarel::test;
using fotarel::app::MainWindow;

namespace {

// The main window after its start, with the wizard closed by Escape as a
// user does.
struct Program {
    TempTree tree;
    SingleInstanceGuard guard{tree.path("lock")};
    std::unique_ptr<MainWindow> window;

    bool start()
    {
        addTemplate(tree, "a1", descriptionIni("|heng|", "|0|", "|0|", 1, 125));
        window = std::make_unique<MainWindow>(tree.root(), guard);
        window->show();
        if (!waitUntil([&] { return window->wizard() && window->wizard()->isVisible(); }))
            return false;
        QTest::keyClick(window->wizard(), Qt::Key_Escape);
        // The keyboard is back with the main window.
        return waitUntil([&] { return !window->wizard()->isVisible() && QApplication::activeWindow() == window.get(); });
    }

    // Presses a command of the window's bars by its caption.
    bool press(const QString& caption) { return fotarel::test::press(window.get(), caption); }
};

// The platform's right click: press, the context-menu request, release.
void rightClick(QWidget* w)
{
    const QPoint at = w->rect().center();
    QTest::mousePress(w, Qt::RightButton, {}, at);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &menu);
    QTest::mouseRelease(w, Qt::RightButton, {}, at);
}

// Clicks the entry `text` of the open popup menu.
bool chooseFromMenu(const QString& text)
{
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        return false;
    for (QAction* action : menu->actions())
        if (action->text() == text) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            return true;
        }
    return false;
}

// Where the mouse rests on a tile before it is clicked (the tiles follow the
// cursor: a press counts only after a move over the tile).
void moveOnto(QWidget* tile)
{
    // From its corner to its middle: the cursor may rest where the tile now
    // is, and only a change of place is a move.
    QTest::mouseMove(tile, QPoint(2, 2));
    QTest::mouseMove(tile, tile->rect().center());
}

void hoverThenClick(QWidget* tile)
{
    moveOnto(tile);
    QTest::mouseClick(tile, Qt::LeftButton, {}, tile->rect().center());
}

} // namespace

TEST(MainWindowKeys, EveryAdvertisedKeyRunsItsCommandAlsoAfterAWindowClosed)
{
    Program p;
    ASSERT_TRUE(p.start());
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* opens; // the window the command shows first
    };
    const Case cases[] = {
        {"Ctrl+1 添加相片", Qt::Key_1, Qt::ControlModifier, "QFileDialog"},
        {"Ctrl+2 添加音乐", Qt::Key_2, Qt::ControlModifier, "QFileDialog"},
        {"Ctrl+3 添加歌词", Qt::Key_3, Qt::ControlModifier, "QFileDialog"},
        {"Ctrl+O 打开相册", Qt::Key_O, Qt::ControlModifier, "QFileDialog"},
        {"Ctrl+S 保存相册", Qt::Key_S, Qt::ControlModifier, "QFileDialog"},
        {"Ctrl+D DVD without photos", Qt::Key_D, Qt::ControlModifier, "TForm8"},
        {"Ctrl+M MP4 without photos", Qt::Key_M, Qt::ControlModifier, "TForm8"},
        {"F1 相册向导", Qt::Key_F1, Qt::NoModifier, "TForm53"},
        {"Ctrl+B 大图片浏览 without photos", Qt::Key_B, Qt::ControlModifier, "TForm8"},
        {"F5 preview without photos", Qt::Key_F5, Qt::NoModifier, "TForm8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool opened = false;
        ModalScript script;
        script.then(QString::fromLatin1(c.opens), [&opened](QWidget* w) {
            opened = true;
            // Every window here goes away with Escape, as the user leaves it.
            QTest::keyClick(w, Qt::Key_Escape);
        });
        // The keys go where the keyboard is: the window the user last had.
        QWidget* target = QApplication::activeWindow() ? QApplication::activeWindow() : p.window.get();
        QTest::keyClick(target, Qt::Key(c.key), c.modifiers);
        EXPECT_TRUE(script.finish(3000));
        EXPECT_TRUE(opened);
        // The window shows no modal window any more.
        EXPECT_TRUE(waitUntil([] { return QApplication::activeModalWidget() == nullptr; }, 3000));
        QTest::qWait(20);
    }
}

namespace {

// The program with two songs and a lyric file added through the commands.
struct AudioProgram : Program {
    bool startWithSongsAndLyrics()
    {
        if (!start())
            return false;
        const QString song1 = tree.path("media/song1.mp3"), song2 = tree.path("media/song2.mp3");
        tree.mkdir("media");
        if (!makeTone(song1, 2) || !makeTone(song2, 3))
            return false;
        const QString lyric = tree.write("media/words.lrc", "[00:00.00]first\n[00:01.00]second\n");
        ModalScript script;
        script.files({song1, song2});
        if (!press(QStringLiteral("添加音乐")) || !script.finish())
            return false;
        script.files({lyric});
        if (!press(QStringLiteral("添加歌词")) || !script.finish())
            return false;
        return window->session().table(audio::names::MusicTable).rowCount() == 2 &&
               window->session().table(audio::names::LyricTable).rowCount() == 1;
    }
};

} // namespace

TEST(AudioAreaCommands, ButtonsMenusAndDoubleClicksOpenTheirWindows)
{
    AudioProgram p;
    ASSERT_TRUE(p.startWithSongsAndLyrics());
    enum class How { Tool, Menu, DoubleClick };
    struct Case {
        const char* area;
        How how;
        const char* command; // the tool's or menu entry's caption
        bool selectFirst;    // the user clicks the first tile before
        const char* opens;
        const char* title;
        const char* leave; // the button that closes it
    };
    const Case cases[] = {
        {"音乐区域", How::Tool, "预览", false, "TForm28", "音乐预览", "返        回"},
        {"音乐区域", How::Tool, "绑定", true, "TForm15", "绑定", "取消"},
        {"音乐区域", How::Menu, "手动绑定", false, "TForm15", "绑定", "取消"},
        {"音乐区域", How::Menu, "音乐预览", false, "TForm28", "音乐预览", "返        回"},
        {"音乐区域", How::DoubleClick, "", false, "TForm28", "音乐预览", "返        回"},
        {"歌词区域", How::Tool, "设置", true, "TForm16", "歌词设置", "取消"},
        {"歌词区域", How::Tool, "预览", false, "TForm29", "歌词预览", "返        回"},
        {"歌词区域", How::Tool, "绑定", true, "TForm15", "绑定", "取消"},
        {"歌词区域", How::Menu, "歌词预览", false, "TForm29", "歌词预览", "返        回"},
        {"歌词区域", How::Menu, "歌词设置", false, "TForm16", "歌词设置", "取消"},
        {"歌词区域", How::Menu, "手动绑定", false, "TForm15", "绑定", "取消"},
        {"歌词区域", How::DoubleClick, "", false, "TForm29", "歌词预览", "返        回"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.area) + " " + c.command);
        ASSERT_TRUE(p.press(QString::fromUtf8(c.area)));
        const QString tileName = QString::fromUtf8(c.area) == QStringLiteral("音乐区域") ? QStringLiteral("Imagemyinyue_0")
                                                                                       : QStringLiteral("Imagemgeci_0");
        auto* tile = p.window->findChild<QWidget*>(tileName);
        ASSERT_TRUE(tile && tile->isVisible());
        if (c.selectFirst)
            hoverThenClick(tile);

        QString shownTitle;
        bool visible = false;
        ModalScript script;
        script.then(QString::fromLatin1(c.opens), [&](QWidget* w) {
            shownTitle = w->windowTitle();
            visible = w->isVisible() && w->width() > 100 && w->height() > 100;
            EXPECT_TRUE(fotarel::test::press(w, QString::fromUtf8(c.leave)));
        });
        switch (c.how) {
        case How::Tool:
            ASSERT_TRUE(p.press(QString::fromUtf8(c.command)));
            break;
        case How::Menu:
            moveOnto(tile);
            rightClick(tile);
            ASSERT_TRUE(waitUntil([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
            ASSERT_TRUE(chooseFromMenu(QString::fromUtf8(c.command)));
            break;
        case How::DoubleClick:
            moveOnto(tile);
            QTest::mouseDClick(tile, Qt::LeftButton, {}, tile->rect().center());
            break;
        }
        EXPECT_TRUE(script.finish(5000));
        EXPECT_EQ(shownTitle, QString::fromUtf8(c.title));
        EXPECT_TRUE(visible);
        EXPECT_TRUE(script.messages().isEmpty()) << script.messages().join('|').toStdString();
        EXPECT_TRUE(waitUntil([] { return QApplication::activeModalWidget() == nullptr; }, 3000));
    }
}
