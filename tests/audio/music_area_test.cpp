#include "app/audio/music_import_window.h"
#include "app/audio/audio_tile_area.h"
#include "audio/music_import.h"
#include "audio/music_table.h"
#include "tests/audio/qt_print.h"
#include "tests/audio/test_songs.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace fotarel::app {
namespace {

namespace MusicCol = audio::MusicCol;
using audio::names::MusicTable;

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sends one mouse event to `target` at `at` (target coordinates).
void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

class MusicArea : public ::testing::Test {
protected:
    MusicArea() : folder(tree.root()) { tree.mkdir("smxcwjj/tp_wj/tp_slt_2"); }

    // Imports `count` songs named s0, s1, ... and builds the tiles.
    void importSongs(int count)
    {
        QStringList files;
        for (int i = 0; i < count; ++i)
            files.append(QStringLiteral("/songs/s%1.mp3").arg(i));
        audio::runMusicImport(session, folder, ui, files, [](const QString&) { return std::optional<qint64>(61000); });
        area.rebuildTiles();
        area.refreshList();
    }

    QLabel* tile(int i) { return area.tiles().at(i); }

    // Drags tile `from` (pressed 20 pixels into it) so that its top-left
    // lands at `to` on the tile panel, and releases it.
    void drag(int from, QPoint to)
    {
        QLabel* t = tile(from);
        const QPoint grip(20, 20);
        mouse(t, QEvent::MouseMove, grip, Qt::NoButton, Qt::NoButton);
        mouse(t, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
        for (QPoint step : {to / 2, to}) {
            const QPoint cursorOnPanel = step + grip;
            mouse(t, QEvent::MouseMove, cursorOnPanel - t->pos(), Qt::NoButton, Qt::LeftButton);
        }
        EXPECT_EQ(t->pos(), to);
        mouse(t, QEvent::MouseButtonRelease, grip, Qt::LeftButton, Qt::NoButton);
    }

    test::TempTree tree;
    WorkingFolder folder;
    Session session;
    test::ScriptedUi ui;
    MusicTileArea area{session, folder};
};

TEST_F(MusicArea, TilesFillTheGridAndTheScrollBarAppearsWhenNeeded)
{
    area.show();
    importSongs(6);
    EXPECT_EQ(session.get("Edit_xianshikuang_pailie_yinyue"), "6");
    ASSERT_EQ(area.tiles().size(), 6);
    EXPECT_EQ(tile(0)->objectName(), "Imagemyinyue_0");
    EXPECT_EQ(tile(0)->size(), QSize(150, 150));
    EXPECT_EQ(tile(4)->pos(), QPoint(690, 10));
    EXPECT_EQ(tile(5)->pos(), QPoint(10, 180));
    EXPECT_FALSE(tile(0)->pixmap().isNull());
    EXPECT_EQ(area.tilePanel()->size(), QSize(880 - MusicTileArea::kScrollBarWidth, 550));
    EXPECT_FALSE(area.scrollThumb()->isVisible());
    EXPECT_EQ(session.get("Edit_xiangpian_down_id"), "wu");

    // A second batch rebuilds the tiles for all songs.
    importSongs(10);
    ASSERT_EQ(area.tiles().size(), 16);
    EXPECT_EQ(session.get("Edit_xianshikuang_pailie_yinyue"), "16");
    EXPECT_EQ(area.tilePanel()->height(), 680);
    EXPECT_TRUE(area.scrollThumb()->isVisible());
    EXPECT_EQ(area.scrollThumb()->height(), 2 * 550 - 680);
    EXPECT_EQ(session.get("Edit_Panel_xianshikuang_daxiao_yinyue"), "130");
    EXPECT_EQ(session.get("Edit_Height_chazhi_yinyue"), QString::number(550 - (10 + 420 + 10)));

    // Dragging the thumb to the bottom shows the last row.
    QLabel* thumb = area.scrollThumb();
    mouse(thumb, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(session.get("Edit_MouseDown_kaiguan_yinyue"), "anxia");
    mouse(thumb, QEvent::MouseMove, {5, 400}, Qt::NoButton, Qt::LeftButton);
    mouse(thumb, QEvent::MouseButtonRelease, {5, 400}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(session.get("Edit_MouseDown_kaiguan_yinyue"), "taiqi");
    EXPECT_EQ(area.tilePanel()->y(), -130);
    EXPECT_EQ(thumb->y() + thumb->height() + MusicTileArea::kCapHeight, 550);
}

TEST_F(MusicArea, DropOnAnotherTileExchangesSongsAndTileImages)
{
    area.show();
    importSongs(4);
    const QByteArray image0 = bytesOf(audio::tileImagePath(session, folder, 1));
    const QByteArray image2 = bytesOf(audio::tileImagePath(session, folder, 3));
    ASSERT_NE(image0, image2);
    QSignalSpy previews(&area, &MusicTileArea::previewSelected);

    drag(0, QPoint(350 + 30, 10 + 25)); // within 50 pixels of tile 2
    const Table& songs = session.table(MusicTable);
    EXPECT_EQ(songs.cell(0, MusicCol::Name), "s2");
    EXPECT_EQ(songs.cell(2, MusicCol::Name), "s0");
    EXPECT_EQ(songs.cell(0, MusicCol::Number), "1");
    EXPECT_EQ(bytesOf(audio::tileImagePath(session, folder, 1)), image2);
    EXPECT_EQ(bytesOf(audio::tileImagePath(session, folder, 3)), image0);
    EXPECT_EQ(area.list()->topLevelItem(0)->text(1), "s2");
    EXPECT_EQ(session.get("Edit_tuodong_huhuan_yes_or_no"), "tuodong_huhuan_yes");
    EXPECT_EQ(session.get("Edit_tuodong_huhuan_yes_id"), "2");
    EXPECT_EQ(session.get("Edit_tuodong_kaiguan"), "songkai");
    // The tiles keep their places; the frames mark the pressed place.
    EXPECT_EQ(tile(0)->pos(), QPoint(10, 10));
    EXPECT_EQ(area.selectionFrame()->geometry(), tile(0)->geometry());
    EXPECT_EQ(area.hoverFrame()->geometry(), tile(0)->geometry());
    EXPECT_EQ(session.get("Edit_xiangpian_down_id"), "0");
    ASSERT_EQ(previews.size(), 1);
    EXPECT_EQ(previews[0][0].toString(), MusicTileArea::kPreviewCaption);
    EXPECT_EQ(previews[0][1].toString(), audio::tileImagePath(session, folder, 1));

    // Dropped between tiles: nothing is exchanged and it goes back.
    drag(1, QPoint(265, 100));
    EXPECT_EQ(songs.cell(1, MusicCol::Name), "s1");
    EXPECT_EQ(session.get("Edit_tuodong_huhuan_yes_or_no"), "tuodong_huhuan_no");
    EXPECT_EQ(tile(1)->pos(), QPoint(180, 10));
}

TEST_F(MusicArea, DoubleClickPreviewsWithoutStartingADrag)
{
    area.show();
    importSongs(2);
    QSignalSpy previews(&area, &MusicTileArea::previewRequested);
    QLabel* t = tile(1);
    mouse(t, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(session.get("Edit_chakankongjian_shiyong_yinyue"), "Imagemyinyue_1,0");
    EXPECT_EQ(session.get("Edit_chakankongjian_shiyong_yinyue2"), "Imagemyinyue_1");
    EXPECT_TRUE(area.hoverFrame()->isVisible());
    mouse(t, QEvent::MouseButtonDblClick, {20, 20}, Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(previews.size(), 1);
    EXPECT_EQ(previews[0][0].toInt(), 1);
    // The release of the double-click is ignored.
    mouse(t, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(session.get("Edit_tuodong_kaiguan"), "songkai");
    EXPECT_EQ(session.get("Edit_tuodong_huhuan_yes_or_no"), "");
}

TEST_F(MusicArea, ListAndTileViews)
{
    area.show();
    importSongs(3);
    EXPECT_EQ(area.previewImagePath(), audio::tileImagePath(session, folder, 1)); // none selected: the first
    session.set("Edit_xiangpian_down_id", "1");
    EXPECT_EQ(area.selectedRow(), 1);
    EXPECT_EQ(area.previewImagePath(), audio::tileImagePath(session, folder, 2));

    area.showList();
    EXPECT_TRUE(area.list()->isVisible());
    EXPECT_EQ(area.list()->geometry(), QRect(0, 0, 880, 550));
    EXPECT_EQ(session.get("Edit_tubiao_liebiao"), "liebiao");
    EXPECT_EQ(session.get("Edit_xiangpian_down_id"), "wu");
    ASSERT_EQ(area.list()->topLevelItemCount(), 3);
    EXPECT_EQ(area.list()->headerItem()->text(5), "绑定歌词");
    EXPECT_EQ(area.list()->topLevelItem(2)->text(5), "未绑定歌词");
    EXPECT_EQ(area.list()->topLevelItem(2)->text(3), "00:01:01");
    EXPECT_FALSE(area.selectedRow().has_value());
    area.list()->setCurrentItem(area.list()->topLevelItem(2));
    EXPECT_EQ(area.selectedRow(), 2);

    area.showTiles();
    EXPECT_FALSE(area.list()->isVisible());
    EXPECT_EQ(session.get("Edit_tubiao_liebiao"), "tubiao");
    EXPECT_FALSE(area.selectedRow().has_value());
}

TEST_F(MusicArea, AddMusicCommandRunsTheImportWindow)
{
    const QString good = tree.path("歌曲/第 一 首.mp3");
    ASSERT_TRUE(test::makeSong(good, "sine=d=1.2"));
    const QString broken = tree.write("歌曲/坏.mp3", "no audio");
    MusicImportWindow window(session, folder, ui);
    window.setDelays(0, 0);
    int switched = 0;

    ui.openAnswers.push_back({});
    addMusicCommand(session, folder, ui, window, area, [&] { ++switched; });
    EXPECT_EQ(switched, 0); // cancelled: nothing happens
    EXPECT_TRUE(session.table(MusicTable).isEmpty());

    session.set("Edit_tubiao_liebiao", "liebiao");
    ui.openAnswers.push_back({good, broken});
    addMusicCommand(session, folder, ui, window, area, [&] { ++switched; });
    EXPECT_EQ(switched, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.progressBar()->maximum(), 4);
    EXPECT_EQ(window.progressBar()->value(), 4);
    // 1.2 s of song: 30 frames at 25 a second.
    ASSERT_EQ(session.table(MusicTable).rowCount(), 1);
    EXPECT_EQ(session.table(MusicTable).row(0),
              (QStringList{"1", "第 一 首", ".mp3", good, "00:00:01", "30", "wu", "wu"}));
    EXPECT_EQ(area.tiles().size(), 1);
    EXPECT_EQ(session.get("Edit_tubiao_liebiao"), "tubiao");
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(broken));
}

} // namespace
} // namespace fotarel::app
