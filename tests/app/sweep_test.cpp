// Every visible command of the main window, of its context menus and of each
// window it opens is pressed the way a user presses it — found by its
// caption, real mouse events — on a prepared album (photos, songs, a GBK
// LRC, a KSC, a caption). Each press must show something: a window, a
// change of the album, or a change of what the windows show. The test names
// every control that showed nothing.
#include "app/main_window.h"
#include "app/photos/browser_window.h"
#include "app/wizard/wizard_window.h"
#include "app/photos/photo_area.h"
#include "app/photos/photo_tiles.h"
#include "app/audio/audio_tile_area.h"
#include "audio/audio_names.h"
#include "core/text_decode.h"
#include "effects/caption_columns.h"
#include "karaoke/karaoke_names.h"
#include "photos/photo_columns.h"
#include "tests/app/gui_helpers.h"
#include "tests/render/album_fixture.h"
#include "tests/support/temp_tree.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

using namespace fotarel;
using namespace fotarel::test;
using fotarel::app::MainWindow;

namespace {

// The windows that only come and go with the cursor, and Qt's own helpers.
bool passing(const QWidget* w)
{
    static const QStringList hints{"TForm30", "TForm31", "TForm32", "TForm33"};
    return hints.contains(w->objectName()) || w->inherits("QTipLabel") || qobject_cast<const QMenu*>(w) ||
           w->inherits("QComboBoxPrivateContainer") || w->windowType() == Qt::Desktop;
}

QList<QWidget*> shownWindows()
{
    QList<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !passing(w))
            shown << w;
    return shown;
}

QString windowName(const QWidget* w)
{
    return w->windowTitle().isEmpty() ? w->objectName() : w->windowTitle();
}

// What a user sees of one widget, keyed by where it is.
void describe(const QWidget* w, const QString& path, std::map<QString, QString>& seen)
{
    if (!w->isVisible())
        return;
    const QString key = path + QLatin1Char('/') + QString::fromLatin1(w->metaObject()->className()) +
                        QLatin1Char(':') + w->objectName();
    QString value;
    if (auto* l = qobject_cast<const QLabel*>(w))
        value = l->text() + QString::number(l->pixmap().cacheKey());
    else if (auto* b = qobject_cast<const QAbstractButton*>(w))
        value = b->text() + (b->isChecked() ? "+" : "-") + (b->isEnabled() ? "e" : "d");
    else if (auto* e = qobject_cast<const QLineEdit*>(w))
        value = e->text();
    else if (auto* c = qobject_cast<const QComboBox*>(w))
        value = c->currentText() + QString::number(c->count());
    else if (auto* v = qobject_cast<const QAbstractItemView*>(w)) {
        const QAbstractItemModel* m = v->model();
        value = QStringLiteral("%1 rows, current %2").arg(m ? m->rowCount() : 0).arg(v->currentIndex().row());
        if (v->selectionModel())
            value += QStringLiteral(", %1 selected").arg(v->selectionModel()->selectedIndexes().size());
    } else if (auto* p = qobject_cast<const QProgressBar*>(w))
        value = p->text();
    else if (auto* s = qobject_cast<const QAbstractSlider*>(w))
        value = QString::number(s->value());
    seen[key] = value + QStringLiteral(" shown");
    int i = 0;
    for (const QObject* child : w->children())
        if (auto* cw = qobject_cast<const QWidget*>(child); cw && !cw->isWindow())
            describe(cw, key + QLatin1Char('#') + QString::number(i++), seen);
}

struct Control {
    QString where;
    QString what;
};

class Sweep {
public:
    explicit Sweep(MainWindow& window) : window_(window) {}

    // Everything the user could notice: the windows shown with their
    // contents, the main window's place, and the album.
    std::map<QString, QString> fingerprint() const
    {
        std::map<QString, QString> seen;
        for (QWidget* w : shownWindows()) {
            describe(w, w->objectName(), seen);
            const QRect r = w->geometry();
            seen[w->objectName() + " geometry"] =
                QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        const QRect g = window_.geometry();
        seen["geometry"] = QStringLiteral("%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
        const Session& s = window_.session();
        for (const QString& name : s.variableNames())
            seen["var " + name] = s.get(name);
        for (const QString& name : s.tableNames())
            seen["table " + name] = s.table(name).lines().join('\n');
        for (const QString& key : noise_)
            seen.erase(key);
        return seen;
    }

    // What changes by itself (scrolling help text, clocks): watched for a
    // while with nobody pressing anything, then left out.
    void learnNoise()
    {
        for (int i = 0; i < 10; ++i) {
            const auto a = fingerprint();
            QTest::qWait(60);
            const auto b = fingerprint();
            for (const auto& [key, value] : a)
                if (!b.count(key) || b.at(key) != value)
                    noise_.insert(key);
        }
    }

    // Presses through `act` and tells whether anything showed. Windows that
    // open are noted and closed (the first of each kind is swept inside
    // first, unless it only confirms or picks files).
    bool press(const Control& control, const std::function<void()>& act, int depth)
    {
        const auto before = fingerprint();
        QSet<QWidget*> baseline;
        for (QWidget* w : shownWindows())
            baseline.insert(w);
        QStringList opened;
        QTimer watcher;
        watcher.setInterval(5);
        bool busy = false;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (busy)
                return;
            busy = true;
            handleNewWindows(baseline, opened, depth, watcher);
            busy = false;
        });
        watcher.start();
        act();
        // Some commands answer through a timer: give them a moment.
        waitUntil([&] { return !opened.isEmpty() || fingerprint() != before; }, 400);
        QTest::qWait(20);
        // Windows still open that the command left (not modal) go now.
        for (QWidget* w : shownWindows())
            if (!baseline.contains(w)) {
                note(opened, w);
                w->close();
            }
        watcher.stop();
        const bool effect = !opened.isEmpty() || fingerprint() != before;
        log_ << QStringLiteral("%1 › %2: %3").arg(control.where, control.what,
                                                 opened.isEmpty() ? (effect ? QStringLiteral("changed") : QStringLiteral("nothing"))
                                                                  : opened.join(QStringLiteral(", ")));
        return effect;
    }

    bool click(const QString& where, QAbstractButton* button, int depth)
    {
        const QPointer<QAbstractButton> b(button);
        return press({where, caption(button)}, [b] {
            // On the caption itself: a check box or radio button stretched by
            // its layout does not answer a click in its empty part.
            if (b && b->isVisible() && b->isEnabled())
                QTest::mouseClick(b, Qt::LeftButton, {}, QRect(QPoint(), b->size().boundedTo(b->sizeHint())).center());
        }, depth);
    }

    // Presses every visible, enabled button of `root` in reading order;
    // closers last. Buttons that showed nothing are pressed once more after
    // everything else (a "停止" needs something playing, an "图标" the list
    // shown first) and after the choosers moved; what still shows nothing is
    // dead.
    void sweepButtons(const QString& where, QWidget* root, int depth, bool isWindow, const QStringList& skip = {})
    {
        QList<QPointer<QAbstractButton>> buttons, closers;
        for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
            if (!b->isVisible() || !b->isEnabled() || b->window() != root->window() || skip.contains(b->text()) ||
                (b->text().isEmpty() && b->toolTip().isEmpty()))
                continue;
            if (isWindow && isCloser(b->text()))
                closers << b;
            else
                buttons << b;
        }
        std::sort(buttons.begin(), buttons.end(), [](const auto& a, const auto& b) {
            const QPoint pa = a->mapTo(a->window(), QPoint()), pb = b->mapTo(b->window(), QPoint());
            return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
        });
        QList<QPointer<QAbstractButton>> quiet;
        for (const auto& b : buttons)
            if (b && b->isVisible() && b->isEnabled() && !click(where, b, depth))
                quiet << b;
        if (!quiet.isEmpty()) {
            if (isWindow)
                moveChoosers(where, root, depth);
            for (const auto& b : buttons) {
                if (!b || !b->isVisible() || !b->isEnabled())
                    continue;
                const bool effect = click(where, b, depth);
                if (effect)
                    quiet.removeAll(b);
            }
        }
        for (const auto& b : quiet)
            if (b)
                dead_ << where + " › " + caption(b);
        if (isWindow && !closers.isEmpty() && closers.first() && closers.first()->isVisible()) {
            closersLeft_[root->objectName()] = {};
            for (int i = 1; i < closers.size(); ++i)
                if (closers[i])
                    closersLeft_[root->objectName()] << closers[i]->text();
            if (!click(where, closers.first(), depth))
                dead_ << where + " › " + caption(closers.first());
        }
    }

    // Opens the context menu of `target` and chooses each entry in turn.
    void sweepMenu(const QString& where, QWidget* target)
    {
        const QPoint at = target->rect().center();
        // A right click: the cursor comes, the button goes down and up,
        // and the menu is asked for.
        auto open = [target, at] {
            QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(target, &move);
            QTest::mousePress(target, Qt::RightButton, {}, at);
            QTest::mouseRelease(target, Qt::RightButton, {}, at);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
            QApplication::sendEvent(target, &event);
        };
        // First look at the entries.
        auto seen = std::make_shared<QStringList>();
        QTimer::singleShot(50, [seen] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions())
                    *seen << (a->isSeparator() || !a->isVisible() || !a->isEnabled() ? QString() : a->text());
                menu->close();
            }
        });
        open();
        waitUntil([&] { return !seen->isEmpty(); }, 1000);
        const QStringList entries = *seen;
        if (entries.isEmpty()) {
            dead_ << where + " › 右键菜单";
            return;
        }
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].isEmpty())
                continue;
            const bool effect = press({where, entries[i]}, [&, i] {
                QTimer::singleShot(50, [i] {
                    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    if (!menu)
                        return;
                    QAction* a = menu->actions().value(i);
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                });
                open();
            }, 0);
            if (!effect)
                dead_ << where + " › " + entries[i];
        }
    }

    void doubleClick(const QString& where, QWidget* target)
    {
        const QPointer<QWidget> t(target);
        if (!press({where, "双击"}, [t] {
                if (!t)
                    return;
                const QPoint at = t->rect().center();
                QMouseEvent move(QEvent::MouseMove, at, t->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(t, &move);
                QTest::mouseDClick(t, Qt::LeftButton, {}, at);
            }, 0))
            dead_ << where + " › 双击";
    }

    const QStringList& dead() const { return dead_; }
    const QStringList& log() const { return log_; }
    const std::set<QString>& sweptWindows() const { return swept_; }

private:
    static bool isCloser(const QString& text)
    {
        return text.startsWith("返") || text == "确定" || text == "取消" || text == "关闭" || text == "开始制作";
    }

    static QString caption(const QAbstractButton* b)
    {
        return b->text().isEmpty() || b->text().size() == 1 ? b->text() + b->toolTip() : b->text();
    }

    // Windows whose buttons would answer a question or pick files: they are
    // answered with their close box.
    static bool onlyAnswers(const QWidget* w)
    {
        static const QStringList names{"TForm8", "TForm25", "TFormConfirm", "TMainForm", "TForm55"};
        return qobject_cast<const QFileDialog*>(w) || names.contains(w->objectName()) ||
               w->windowTitle() == QStringLiteral("删除相片") || w->inherits("fotarel::app::ConfirmWindow") ||
               w->inherits("fotarel::app::MusicImportWindow");
    }

    void note(QStringList& opened, QWidget* w)
    {
        QString name = windowName(w);
        if (w->objectName() == "TForm8")
            if (auto* text = w->findChild<QLabel*>("Label_xianshi_xiaoxi"))
                name += "「" + text->text() + "」";
        if (!opened.contains(name))
            opened << name;
    }

    void handleNewWindows(const QSet<QWidget*>& baseline, QStringList& opened, int depth, QTimer& watcher)
    {
        QWidget* modal = QApplication::activeModalWidget();
        for (QWidget* w : shownWindows()) {
            if (baseline.contains(w))
                continue;
            note(opened, w);
            // Only the window on top can be acted on.
            if (modal && modal != w)
                continue;
            const QString kind = w->objectName();
            QPointer<QWidget> alive(w);
            if (!onlyAnswers(w) && depth < 2 && !swept_.count(kind)) {
                swept_.insert(kind);
                watcher.stop();
                sweepButtons(windowName(w), w, depth + 1, true);
                watcher.start();
            } else if (closersLeft_.count(kind) && !closersLeft_[kind].isEmpty()) {
                const QString closer = closersLeft_[kind].takeFirst();
                watcher.stop();
                if (QAbstractButton* b = buttonByText(w, closer); b && b->isEnabled())
                    if (!click(windowName(w), b, depth + 1))
                        dead_ << windowName(w) + " › " + closer;
                watcher.start();
            }
            if (alive && alive->isVisible())
                alive->close();
            return;
        }
    }

    void moveChoosers(const QString& where, QWidget* root, int depth)
    {
        for (QComboBox* c : root->findChildren<QComboBox*>())
            if (c->isVisible() && c->isEnabled() && c->count() > 1) {
                const QPointer<QComboBox> box(c);
                press({where, "选择 " + c->objectName()}, [box] {
                    if (box)
                        QTest::keyClick(box, box->currentIndex() + 1 < box->count() ? Qt::Key_Down : Qt::Key_Up);
                }, depth);
            }
        for (QAbstractItemView* v : root->findChildren<QAbstractItemView*>())
            if (v->isVisible() && v->isEnabled() && v->model() && v->model()->rowCount() > 0 &&
                !v->inherits("QComboBoxListView")) {
                const QPointer<QAbstractItemView> view(v);
                press({where, "选中 " + v->objectName()}, [view] {
                    if (view)
                        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                          view->visualRect(view->model()->index(0, 0)).center());
                }, depth);
            }
    }

    MainWindow& window_;
    std::set<QString> noise_;
    std::set<QString> swept_;
    std::map<QString, QStringList> closersLeft_;
    QStringList dead_;
    QStringList log_;
};

// A started main window over a library of real template movies, with an
// album made through its own windows.
struct PreparedAlbum {
    TempTree tree;
    SingleInstanceGuard guard{tree.path("lock")};
    std::unique_ptr<MainWindow> window;

    bool prepare()
    {
        MovieOptions movie;
        movie.frames = 25;
        addTemplate(tree, "a1", descriptionIni("|heng|", "|192|", "|108|", 1, movie.frames), templateMovie(movie));
        window = std::make_unique<MainWindow>(tree.root(), guard);
        window->show();
        if (!waitUntil([&] { return window->startupDone(); }) ||
            !waitUntil([&] { return window->wizard() && window->wizard()->isVisible(); }))
            return false;
        window->wizard()->close();

        QStringList photos;
        for (int i = 0; i < 3; ++i) {
            QImage picture(240, 135, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(i * 100, 180, 220));
            photos << tree.path(QStringLiteral("photos/p%1.jpg").arg(i + 1));
            tree.mkdir("photos");
            if (!picture.save(photos.last(), "JPG"))
                return false;
        }
        tree.mkdir("songs");
        const QStringList songs{tree.path("songs/song1.mp3"), tree.path("songs/song2.mp3")};
        for (const QString& song : songs)
            if (!makeTone(song, 3))
                return false;
        const QString lrc =
            tree.write("songs/song1.lrc", encodeGb18030(QStringLiteral("[00:00.50]第一行歌词\r\n[00:01.50]第二行歌词\r\n")));
        const QString ksc = tree.write("songs/song2.ksc", "karaoke.add('00:00.400', '00:01.900', '卡拉OK', '500,500,500');\n");

        ModalScript script;
        script.files(photos).files(songs).files({lrc});
        for (const char* command : {"添加相片", "添加音乐", "添加歌词"})
            if (!fotarel::test::press(window.get(), QString::fromUtf8(command)))
                return false;
        script.then("TForm46", [](QWidget* w) { fotarel::test::press(w, "导入卡拉OK歌词"); })
            .files({ksc})
            .press("TForm46", "返     回")
            .then("TForm3", [](QWidget* w) {
                fotarel::test::press(w, "添加特效");
                fotarel::test::press(w, "返     回");
            });
        fotarel::test::press(window.get(), "卡拉OK设置");
        fotarel::test::press(window.get(), "文字特效");
        if (!script.finish())
            return false;
        const Session& s = window->session();
        return s.table(photo_tables::Photos).rowCount() == 3 && s.table(audio::names::MusicTable).rowCount() == 2 &&
               s.table(audio::names::LyricTable).rowCount() == 1 &&
               s.table(karaoke::names::KaraokeTable).rowCount() == 1 &&
               s.table(effects::kCaptionTable).rowCount() == 1;
    }
};

} // namespace

TEST(Sweep, EveryVisibleCommandShowsSomething)
{
    PreparedAlbum album;
    ASSERT_TRUE(album.prepare());
    MainWindow& window = *album.window;
    Sweep sweep(window);
    sweep.learnNoise();

    QWidget* commands = window.findChild<QWidget*>("Panel_mingling");
    ASSERT_TRUE(commands);
    sweep.sweepButtons("命令栏", commands, 0, false);
    QWidget* areaBar = window.findChild<QWidget*>("Panel_quyu");
    ASSERT_TRUE(areaBar);
    const QStringList areas{"相片区域", "音乐区域", "歌词区域"};
    for (const QString& area : areas) {
        QAbstractButton* switcher = buttonByText(areaBar, area);
        ASSERT_TRUE(switcher) << area.toStdString();
        // Choosing the area shown already changes nothing: start from another.
        QTest::mouseClick(buttonByText(areaBar, areas.value((areas.indexOf(area) + 1) % 3)), Qt::LeftButton);
        if (!sweep.click("区域栏", switcher, 0))
            ADD_FAILURE() << "the area switch " << area.toStdString() << " showed nothing";
        sweep.sweepButtons(area, areaBar, 0, false, areas);
    }
    sweep.sweepButtons("右侧面板", window.findChild<QWidget*>("Panel_youbian"), 0, false);

    // The tiles: their menus and a double click.
    QTest::mouseClick(buttonByText(areaBar, "相片区域"), Qt::LeftButton);
    app::PhotoTileView* photoTiles = window.photos()->tiles();
    ASSERT_GT(photoTiles->tileCount(), 0);
    sweep.sweepMenu("相片", photoTiles->tile(0));
    QTest::mouseClick(buttonByText(areaBar, "相片区域"), Qt::LeftButton);
    if (window.photos()->tiles()->isVisible())
        sweep.doubleClick("相片", window.photos()->tiles()->tile(0));
    const std::pair<const char*, QWidget*> audioAreas[] = {{"音乐区域", window.musicArea()},
                                                           {"歌词区域", window.lyricArea()}};
    for (const auto& [area, frame] : audioAreas) {
        QTest::mouseClick(buttonByText(areaBar, QString::fromUtf8(area)), Qt::LeftButton);
        QLabel* tile = nullptr;
        for (QLabel* l : frame->findChildren<QLabel*>())
            if (l->objectName().startsWith("Imagem") && l->objectName().endsWith("_0") && l->isVisible())
                tile = l;
        ASSERT_TRUE(tile) << area;
        sweep.sweepMenu(QString::fromUtf8(area), tile);
        sweep.doubleClick(QString::fromUtf8(area), tile);
    }

    // The title bar last: its close box asks whether to leave.
    QWidget* titleBar = window.findChild<QWidget*>("TitleBar", Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(titleBar);
    sweep.sweepButtons("标题栏", titleBar, 0, false);
    // Back to the start layout, which the next start remembers.
    for (QToolButton* b : titleBar->findChildren<QToolButton*>())
        if (b->toolTip() == "开始布局")
            QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(window.session().get("Edit_jiemian"), "kaishibuju");

    for (const char* kind : {"TForm3", "TForm46", "TForm2", "TForm17", "TForm54"})
        EXPECT_TRUE(sweep.sweptWindows().count(QString::fromLatin1(kind))) << "never opened: " << kind;
    EXPECT_TRUE(sweep.dead().isEmpty()) << "controls that showed nothing:\n  " << sweep.dead().join("\n  ").toStdString()
                                        << "\n\nall presses:\n  " << sweep.log().join("\n  ").toStdString();
}

TEST(Sweep, TheSelectedPhotoIsTheSameInTheSidePanelAndTheBrowser)
{
    PreparedAlbum album;
    ASSERT_TRUE(album.prepare());
    MainWindow& window = *album.window;
    QWidget* areaBar = window.findChild<QWidget*>("Panel_quyu");
    auto* sidePanels = window.findChild<QWidget*>("Panel_youbian");
    QLabel* sideTitle = sidePanels->findChild<QLabel*>("Label_chakanxiangpian");
    QLabel* sidePicture = sidePanels->findChild<QLabel*>("Image_chakanxiangpian");
    ASSERT_TRUE(sideTitle && sidePicture);

    // A photo pressed: the panel shows it, and the browser opens on it.
    QTest::mouseClick(buttonByText(areaBar, "相片区域"), Qt::LeftButton);
    app::PhotoTileView* tiles = window.photos()->tiles();
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), tiles->tile(1)->mapToGlobal(QPointF(20, 20)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tiles->tile(1), &move);
    QTest::mouseClick(tiles->tile(1), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(sideTitle->text(), "        相片缩略图预览");
    EXPECT_FALSE(sidePicture->pixmap().isNull());
    EXPECT_TRUE(tiles->selectionFrame()->isVisible());
    QTest::mouseClick(buttonByText(sidePanels, "大图片浏览"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return window.browser()->isVisible(); }));
    EXPECT_EQ(window.browser()->selectedRow(), 1);
    QTest::keyClick(window.browser(), Qt::Key_Escape);
    EXPECT_FALSE(window.browser()->isVisible());

    // A song pressed in the music area: the panel is about the song.
    QTest::mouseClick(buttonByText(areaBar, "音乐区域"), Qt::LeftButton);
    QLabel* song = window.musicArea()->findChild<QLabel*>("Imagemyinyue_0");
    ASSERT_TRUE(song);
    QTest::mouseClick(song, Qt::LeftButton, {}, song->rect().center());
    EXPECT_EQ(sideTitle->text(), "        音乐缩略图预览");
    // Back in the photos area: the photo was let go on leaving, and the
    // panel, the frame and the browser all say that nothing is selected.
    QTest::mouseClick(buttonByText(areaBar, "相片区域"), Qt::LeftButton);
    EXPECT_EQ(sideTitle->text(), "        缩略图预览");
    EXPECT_TRUE(sidePicture->pixmap().isNull());
    EXPECT_FALSE(tiles->selectionFrame()->isVisible());
    QTest::mouseClick(buttonByText(sidePanels, "大图片浏览"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return window.browser()->isVisible(); }));
    EXPECT_EQ(window.browser()->selectedRow(), -1);
    QTest::keyClick(window.browser(), Qt::Key_Escape);
    EXPECT_FALSE(window.browser()->isVisible());
}

TEST(Sweep, SavingTheAlbumSaysWhereItWent)
{
    TempTree tree;
    addTemplate(tree, "a1", descriptionIni("|heng|", "|0|", "|0|", 1, 125));
    SingleInstanceGuard guard(tree.path("lock"));
    MainWindow window(tree.root(), guard);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.wizard() && window.wizard()->isVisible(); }));
    window.wizard()->close();
    const QString chosen = tree.path("my_album");
    ModalScript script;
    script.files({chosen}).message();
    ASSERT_TRUE(fotarel::test::press(&window, "保存相册"));
    ASSERT_TRUE(script.finish());
    EXPECT_TRUE(QFileInfo::exists(chosen + ".fotarel"));
    EXPECT_EQ(script.messages(), QStringList{"相册已保存：" + QDir::toNativeSeparators(chosen + ".fotarel")});
}
