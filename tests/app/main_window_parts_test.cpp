// The main window's guidance and layouts as a user meets them: command
// hints, tile hints, the wizard's steps, the layouts with nothing cut off,
// and the photo browser.
#include "app/hints/hint_window.h"
#include "app/main_window.h"
#include "app/photos/browser_window.h"
#include "app/side_panels.h"
#include "app/wizard/wizard_window.h"
#include "engine/layouts.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/temp_tree.h"
#include "photos/photo_columns.h"

#include <QEnterEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

#include <QAbstractButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace fotarel;
using namespace fotarel::test;
using fotarel::app::BrowserWindow;
using fotarel::app::HintWindow;
using fotarel::app::MainWindow;
using Phase = fotarel::hints::HintFade::Phase;

namespace {

struct Started {
    TempTree tree;
    SingleInstanceGuard guard{tree.path("lock")};
    std::unique_ptr<MainWindow> window;

    Started()
    {
        addTemplate(tree, "a1", descriptionIni("|heng|", "|0|", "|0|", 1, 125));
        window = std::make_unique<MainWindow>(tree.root(), guard);
        window->show();
        waitUntil([&] { return window->startupDone(); });
        waitUntil([&] { return window->wizard() && window->wizard()->isVisible(); });
        if (window->wizard())
            window->wizard()->close();
    }
    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }
};

void enter(QWidget* w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &e);
}

void leave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

// A photo row with the cells the hints and the browser read.
void addPhotoRow(Session& session, const QString& path, const QString& name, int w, int h)
{
    Row row(22);
    row[0] = QString::number(session.table(photo_tables::Photos).rowCount() + 1);
    row[1] = path;
    row[2] = name;
    row[3] = ".jpg";
    row[4] = QString::number(w);
    row[5] = QString::number(h);
    row[6] = w >= h ? "heng_zhao" : "shu_zhao";
    row[7] = "1";
    session.table(photo_tables::Photos).appendRow(row);
}

// `count` photo files p0.jpg … (every second one portrait) and their rows.
void addPhotos(Session& session, const TempTree& tree, int count)
{
    for (int i = 0; i < count; ++i) {
        QImage image(i % 2 ? 300 : 400, i % 2 ? 400 : 300, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 30 % 360, 200, 200));
        const QString path = tree.path(QStringLiteral("p%1.jpg").arg(i));
        ASSERT_TRUE(image.save(path, "JPG"));
        addPhotoRow(session, path, QStringLiteral("p%1").arg(i), image.width(), image.height());
    }
}

QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Runs `act` once, when the browser's loading bar reaches `at`.
void whenLoadingReaches(BrowserWindow& browser, int at, std::function<void()> act)
{
    auto done = std::make_shared<bool>(false);
    QObject::connect(browser.loading()->bar(), &QProgressBar::valueChanged, &browser, [=](int value) {
        if (value == at && !*done) {
            *done = true;
            act();
        }
    });
}

} // namespace

TEST(MainWindowHints, CommandHintWaitsFadesInAndFadesOutOnLeave)
{
    Started s;
    HintWindow* hint = s.window->generalHint();
    QPushButton* add = s.button("suiButton1");
    ASSERT_TRUE(add);

    enter(add);
    EXPECT_EQ(hint->fade().phase(), Phase::Waiting);
    EXPECT_EQ(hint->textLabel()->text(), "支持多个相片文件一起添加使用");
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(hint->timer()->interval(), 2000);

    hint->cursor = [] { return QPoint(300, 200); };
    hint->tick(); // the wait is over
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->pos(), QPoint(280, 210));
    for (int i = 0; i < 30 && hint->fade().phase() == Phase::FadingIn; ++i)
        hint->tick();
    EXPECT_EQ(hint->fade().phase(), Phase::Shown);

    leave(add);
    EXPECT_EQ(hint->fade().phase(), Phase::FadingOut);
    for (int i = 0; i < 30 && hint->fade().phase() != Phase::Hidden; ++i)
        hint->tick();
    EXPECT_FALSE(hint->isVisible());
    EXPECT_FALSE(hint->timer()->isActive());

    // Leaving before the wait is over shows nothing; so does a click.
    enter(s.button("suiButton12"));
    EXPECT_EQ(hint->textLabel()->text(), "画面效果最高达到1920*1080");
    leave(s.button("suiButton12"));
    EXPECT_EQ(hint->fade().phase(), Phase::Hidden);

    // Every visible command and area control that has a hint text gets it,
    // including one added after the window was built.
    QPushButton* later = s.window->addCommand("suiButton3", "添加歌词", [] {});
    enter(later);
    EXPECT_EQ(hint->textLabel()->text(), "支持多个歌词文件一起添加使用");
    leave(later);
    for (const char* name : {"suiButton13", "Label_xiangpianquyu", "Label_liulanyinyue", "Label_rujianjianjie"}) {
        QWidget* w = s.window->findChild<QWidget*>(name);
        ASSERT_TRUE(w) << name;
        enter(w);
        EXPECT_EQ(hint->textLabel()->text(), hints::commandHint(name)) << name;
        leave(w);
    }
}

TEST(MainWindowHints, TileHintShowsThePhotoAndClosesWhenTheCursorLeavesTheTile)
{
    Started s;
    Session& session = s.window->session();
    addPhotoRow(session, "/p/beach.jpg", "beach", 4000, 3000);
    addPhotoRow(session, "/p/tower.jpg", "tower", 3000, 4000);
    HintWindow* hint = s.window->tileHint(0);

    session.set("Edit_chakankongjian_shiyong_2", "Imagem_1");
    EXPECT_EQ(hint->fade().phase(), Phase::Waiting);
    QStringList values;
    for (QLabel* l : hint->valueLabels())
        values << l->text();
    EXPECT_EQ(values, QStringList({"tower", ".JPG", "3000*4000", "竖照相片", "2"}));
    EXPECT_EQ(hint->objectName(), "TForm31");

    // Moving inside the same tile does not start the wait again.
    hint->tick();
    ASSERT_EQ(hint->fade().phase(), Phase::FadingIn);
    session.set("Edit_chakankongjian_shiyong_2", "Imagem_1");
    EXPECT_EQ(hint->fade().phase(), Phase::FadingIn);

    // No tile of that name is under the cursor: the hover timer closes the
    // hint at once, without fading.
    ASSERT_TRUE(s.window->hoverTimer()->isActive());
    ASSERT_TRUE(waitUntil([&] { return hint->fade().phase() == Phase::Hidden; }));
    EXPECT_FALSE(hint->isVisible());

    // A name without a row shows nothing.
    session.set("Edit_chakankongjian_shiyong_2", "Imagem_7");
    EXPECT_EQ(hint->fade().phase(), Phase::Hidden);
}

TEST(MainWindowWizard, StepsRunTheMainWindowsCommandsWhileTheWizardStaysOpen)
{
    Started s;
    // The lyric import's file dialog would wait for a user: the command is
    // counted instead of run.
    int lyricImports = 0;
    if (QAbstractButton* lyrics = s.window->commandButton("suiButton3")) {
        QObject::disconnect(lyrics, &QAbstractButton::clicked, nullptr, nullptr);
        QObject::connect(lyrics, &QAbstractButton::clicked, [&] { ++lyricImports; });
    } else {
        s.window->addCommand("suiButton3", "添加歌词", [&] { ++lyricImports; });
    }
    s.window->openWizard();
    app::WizardWindow* wizard = s.window->wizard();
    ASSERT_TRUE(wizard->isVisible());
    ASSERT_TRUE(wizard->stepButton(2)->isVisible());
    EXPECT_EQ(wizard->stepButton(2)->text(), "第三步： 添加歌词   ");

    QTest::mouseClick(wizard->stepButton(2), Qt::LeftButton);
    EXPECT_EQ(s.window->session().get("xiangce_xiangdao_buzhou"), "xiangce_xiangdao_tianjiageci");
    ASSERT_TRUE(waitUntil([&] { return lyricImports >= 1; })) << lyricImports;
    EXPECT_EQ(lyricImports, 1);
    EXPECT_TRUE(wizard->isVisible());

    QString shown;
    answerModal("TForm8", "确定", [&](QWidget* w) { shown = w->findChild<QLabel*>("Label_xianshi_xiaoxi")->text(); });
    QTest::mouseClick(wizard->stepButton(3), Qt::LeftButton);
    EXPECT_EQ(shown, "没有找到相片文件，先添加相片，再制作DVD相册！");
    EXPECT_EQ(s.window->session().get("xiangce_xiangdao_buzhou"), "xiangce_xiangdao_tianjiageci");
    EXPECT_FALSE(s.window->wizardTimer()->isActive());
    wizard->close();
}

TEST(MainWindowWizard, AStepWhoseCommandIsMissingIsNotShown)
{
    Started s;
    s.window->openWizard();
    const bool lyricsThere = s.window->commandButton("suiButton3") != nullptr;
    EXPECT_EQ(s.window->wizard()->stepButton(2)->isVisible(), lyricsThere);
    EXPECT_TRUE(s.window->wizard()->stepButton(0)->isVisible());
    EXPECT_TRUE(s.window->wizard()->stepButton(3)->isVisible());
    s.window->wizard()->close();
}

TEST(MainWindowLayouts, LayoutsTitleDoubleClickAndTheRememberedLayout)
{
    Started s;
    MainWindow& w = *s.window;
    QScreen* screen = w.screen();
    w.applyLayout("quanpingbuju");
    EXPECT_EQ(w.geometry(), screen->geometry());
    EXPECT_EQ(w.session().get("Edit_jiemian"), "quanpingbuju");
    EXPECT_EQ(MainWindow::rememberedLayout(), "quanpingbuju");

    QWidget* title = w.findChild<QWidget*>("TitleBar");
    QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(w.session().get("Edit_jiemian"), "kaishibuju");
    EXPECT_EQ(w.geometry(), layouts::windowGeometry("kaishibuju", screen->geometry(), screen->availableGeometry()));
    QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(w.session().get("Edit_jiemian"), "quanpingbuju");
    w.applyLayout("heshibuju");
    EXPECT_EQ(MainWindow::rememberedLayout(), "heshibuju");
    w.applyLayout("kaishibuju");
}

TEST(MainWindowLayouts, NoCaptionIsCutAtTheStartLayoutsOfCommonScreens)
{
    Started s;
    MainWindow& w = *s.window;
    // The start layouts of 1024 x 768, 1366 x 768 and 1920 x 1080 screens.
    for (QSize size : {QSize(1002, 561), QSize(1194, 678), QSize(1280, 720)}) {
        w.resize(size);
        QTest::qWait(0);
        for (QPushButton* b : w.findChildren<QPushButton*>()) {
            if (!b->isVisibleTo(&w) || b->window() != &w || b->text().isEmpty())
                continue;
            const QRect inWindow(b->mapTo(&w, QPoint(0, 0)), b->size());
            EXPECT_TRUE(w.rect().contains(inWindow)) << b->objectName().toStdString() << " at " << size.width();
            EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->objectName().toStdString();
        }
        EXPECT_GE(w.photoArea()->width(), 700) << size.width();
        EXPECT_LE(w.photoArea()->geometry().right(), w.sidePanels()->geometry().left());
        EXPECT_LE(w.sidePanels()->geometry().bottom(), size.height());
    }
    // Tall enough for the help panel at 1366 x 768.
    w.resize(1194, 678);
    QTest::qWait(0);
    EXPECT_TRUE(w.sidePanels()->panel(4)->isVisibleTo(&w));
    EXPECT_GE(w.sidePanels()->panel(4)->height(), 100);
}

TEST(PhotoBrowser, ZoomWindowSizesAndNavigationLimits)
{
    TempTree tree;
    Session session;
    addPhotos(session, tree, 3);
    QStringList messages;
    QList<int> previews, deleted;
    BrowserWindow::Hooks hooks;
    hooks.preview = [&](int row) { previews << row; };
    hooks.deleteRow = [&](int row) { deleted << row; };
    hooks.deleteAll = [&] { session.table(photo_tables::Photos).clear(); };
    hooks.message = [&](const QString& text) { messages << text; };
    BrowserWindow browser(session, hooks, nullptr);
    browser.open();
    EXPECT_EQ(browser.list()->count(), 3);
    EXPECT_EQ(browser.box(), QSize(235, 195));
    // 928 x 690 where the screen allows (the test screen is 800 wide).
    EXPECT_EQ(browser.height(), 690);
    EXPECT_EQ(browser.list()->item(1)->text(), "p1.jpg");
    EXPECT_FALSE(browser.loading()->isVisible());
    EXPECT_EQ(browser.loading()->bar()->maximum(), 3);

    browser.setZoom(20);
    EXPECT_EQ(browser.box(), QSize(1100, 820));
    EXPECT_EQ(browser.list()->iconSize(), QSize(1100, 820));
    browser.setZoom(99);
    EXPECT_EQ(browser.zoom()->value(), 20);
    browser.setZoom(0);
    EXPECT_EQ(browser.box(), QSize(55, 41));
    EXPECT_EQ(browser.list()->count(), 3);

    // Nothing selected: delete says so; previous / next stop at the ends.
    QTest::mouseClick(browser.findChild<QPushButton*>("suiButton_shanchu"), Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{"没有选中相片文件！"});
    EXPECT_TRUE(deleted.isEmpty());
    QPushButton* next = browser.findChild<QPushButton*>("suiButton_xiayizhang");
    QPushButton* previous = browser.findChild<QPushButton*>("suiButton_shangyizhang");
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(browser.selectedRow(), 0);
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(browser.selectedRow(), 0);
    for (int i = 0; i < 5; ++i)
        QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(browser.selectedRow(), 2);

    QTest::mouseClick(browser.findChild<QPushButton*>("suiButton_yulanxiaoguo"), Qt::LeftButton);
    EXPECT_EQ(previews, QList<int>{2});
    QTest::mouseClick(browser.findChild<QPushButton*>("suiButton_shanchu"), Qt::LeftButton);
    EXPECT_EQ(deleted, QList<int>{2});

    QTest::mouseClick(browser.findChild<QPushButton*>("suiButton_quanshan"), Qt::LeftButton);
    EXPECT_EQ(browser.list()->count(), 0);
    QTest::mouseClick(browser.findChild<QPushButton*>("suiButton_quanshan"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "没有找到相片文件！");
}

TEST(PhotoBrowser, ANewZoomDuringTheLoadStartsItOverOnce)
{
    TempTree tree;
    Session session;
    addPhotos(session, tree, 10);
    BrowserWindow browser(session, {}, nullptr);
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("p%1.jpg").arg(i);
    // The user moves the zoom with the keyboard while the third picture is made.
    // (Left and Right step through the photos; Up moves the zoom.)
    whenLoadingReaches(browser, 3, [&] { QTest::keyClick(browser.zoom(), Qt::Key_Up); });
    browser.open();
    EXPECT_EQ(browser.zoom()->value(), 2);
    EXPECT_EQ(browser.box(), QSize(110, 82));
    EXPECT_EQ(itemTexts(browser.list()), expected) << "one whole load at the new zoom, nothing twice";
    EXPECT_EQ(browser.list()->iconSize(), QSize(110, 82));
    EXPECT_FALSE(browser.loading()->isVisible());
    EXPECT_TRUE(browser.isVisible());
}

TEST(PhotoBrowser, EscapeOrClosingTheLoadingWindowClosesTheBrowserAndEndsTheLoad)
{
    TempTree tree;
    Session session;
    addPhotos(session, tree, 10);
    for (const bool inLoadingWindow : {false, true}) {
        SCOPED_TRACE(inLoadingWindow ? "Escape in the loading window" : "Escape in the browser");
        BrowserWindow browser(session, {}, nullptr);
        whenLoadingReaches(browser, 2, [&] {
            QTest::keyClick(inLoadingWindow ? static_cast<QWidget*>(browser.loading()) : browser.list(), Qt::Key_Escape);
        });
        browser.open();
        EXPECT_FALSE(browser.isVisible());
        EXPECT_FALSE(browser.loading()->isVisible());
        EXPECT_LT(browser.list()->count(), 10) << "the load stopped with the browser";
    }
}

TEST(PhotoBrowser, OpensWithThePhotoSelectedInTheMainWindow)
{
    TempTree tree;
    Session session;
    addPhotos(session, tree, 4);
    int mainSelection = 2;
    BrowserWindow::Hooks hooks;
    hooks.mainSelection = [&] { return mainSelection; };
    BrowserWindow browser(session, hooks, nullptr);
    browser.open();
    EXPECT_EQ(browser.selectedRow(), 2);
    browser.close();
    mainSelection = -1;
    browser.open();
    EXPECT_EQ(browser.selectedRow(), -1);
}
