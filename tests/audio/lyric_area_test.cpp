// The lyric area, the style window, the binding window and the previews as a
// user drives them. With FOTAREL_SCREENSHOTS set to a folder, each window is
// also saved there as a picture to look at.
#include "app/audio/audio_tile_area.h"
#include "app/audio/binding_window.h"
#include "app/audio/lyric_panel.h"
#include "app/audio/lyric_style_window.h"
#include "app/audio/audio_preview_window.h"
#include "app/widgets/outline_controls.h"
#include "audio/lyric_import.h"
#include "audio/lyric_table.h"
#include "audio/music_import.h"
#include "audio/music_table.h"
#include "tests/audio/qt_print.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace fotarel::app {
namespace {

void screenshot(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("FOTAREL_SCREENSHOTS");
    if (!folder.isEmpty())
        widget->grab().save(folder + "/" + name + ".png");
}

// A player that plays on a clock the test moves.
class ClockPlayer : public audio::AudioPlayer {
public:
    bool open(const QString& path) override
    {
        file = path;
        position = 0;
        return true;
    }
    void close() override { file.clear(); }
    QString fileName() const override { return file; }
    void play() override { playing = true; }
    void stop() override { playing = false; }
    void seek(qint64 ms) override { position = ms; }
    qint64 lengthMs() const override { return 200000; }
    qint64 positionMs() const override { return position; }
    bool isPlaying() const override { return playing; }
    QString file;
    qint64 position = 0;
    bool playing = false;
};

class LyricArea : public ::testing::Test {
protected:
    LyricArea() : folder(tree.root())
    {
        tree.mkdir("smxcwjj/tp_wj/tp_slt_2");
        tree.mkdir("smxcwjj/tp_wj/tp_slt_3");
        QStringList songs;
        for (const char* name : {"月亮代表我的心", "甜蜜蜜", "小城故事"})
            songs.append(QStringLiteral("/songs/%1.mp3").arg(QString::fromUtf8(name)));
        audio::runMusicImport(session, folder, ui, songs, [](const QString&) { return std::optional<qint64>(200000); });
        QStringList lyrics;
        lyrics.append(tree.write("月亮代表我的心.lrc",
                                 "[ti:月亮代表我的心]\n[00:01.00]你问我爱你有多深\n[00:04.00]我爱你有几分\n"
                                 "[00:08.00]这是一句特别长的歌词，长到一行放不下也不会被面板的边缘切掉，它会缩小到正好放得下为止\n"));
        lyrics.append(tree.write("甜蜜蜜.lrc", "[00:02.00]甜蜜蜜 你笑得甜蜜蜜\n"));
        audio::runLyricImport(session, folder, ui, lyrics);
    }

    test::TempTree tree;
    WorkingFolder folder;
    Session session;
    test::ScriptedUi ui;
};

TEST_F(LyricArea, TilesAndListShowTheLyricFiles)
{
    LyricTileArea area(session, folder);
    area.show();
    area.rebuildTiles();
    area.refreshList();
    ASSERT_EQ(area.tiles().size(), 2);
    EXPECT_EQ(area.tiles()[1]->objectName(), "Imagemgeci_1");
    EXPECT_FALSE(area.tiles()[0]->pixmap().isNull());
    EXPECT_EQ(session.get("Edit_xianshikuang_pailie_geci"), "2");
    screenshot(&area, "lyric_area_tiles");
    area.showList();
    ASSERT_EQ(area.list()->topLevelItemCount(), 2);
    EXPECT_EQ(area.list()->topLevelItem(0)->text(4), "月亮代表我的心");
    EXPECT_EQ(area.list()->topLevelItem(0)->text(8), "[粗体]");
    EXPECT_EQ(area.list()->headerItem()->text(10), "歌词上中下");
    screenshot(&area, "lyric_area_list");
}

TEST_F(LyricArea, StyleWindowShowsTheRowAndStoresTheChoices)
{
    LyricStyleWindow window(session);
    window.prepare(0);
    EXPECT_EQ(window.colours()->currentText(), "白色");
    EXPECT_EQ(window.fonts()->currentText(), "黑体");
    EXPECT_EQ(window.sizes()->count(), 31);
    EXPECT_EQ(window.sizes()->currentText(), "10");
    EXPECT_TRUE(window.bold()->isChecked());
    EXPECT_TRUE(window.horizontal(1)->isChecked());
    EXPECT_TRUE(window.vertical(2)->isChecked());
    // The sample sits bottom centre, its box 10 pixels above the edge.
    const QRect sample = window.sample()->lineRect();
    EXPECT_EQ(sample.bottom() + 1, audio::kSamplePanelHeight - 10);
    EXPECT_NEAR(sample.center().x(), audio::kSamplePanelWidth / 2, 1);
    window.show();
    screenshot(&window, "style_window_default");

    // Size 40 on the right stays 10 pixels from the right edge.
    window.sizes()->setCurrentText("40");
    window.horizontal(2)->setChecked(true);
    window.vertical(0)->setChecked(true);
    window.colours()->setCurrentText("黄色");
    window.italic()->setChecked(true);
    EXPECT_EQ(window.sample()->lineRect().left() + window.sample()->lineRect().width(),
              audio::kSamplePanelWidth - 10 + window.sample()->lineRect().height() / 4);
    EXPECT_EQ(window.sample()->lineRect().top(), 10);
    screenshot(&window, "style_window_changed");
    window.store();
    const Row& row = session.table(audio::names::LyricTable).row(0);
    EXPECT_EQ(row.mid(audio::LyricCol::ColourName), (QStringList{"clYellow", "65535", "40", "黑体", "cuti", "xieti",
                                                                 "wu", "youbian", "shangmian", "clBlack", "0", "2"}));
    EXPECT_EQ(session.table(audio::names::LyricList).cell(0, audio::LyricListCol::FontStyle), "[粗体][斜体]");
    EXPECT_EQ(session.table(audio::names::LyricList).cell(0, audio::LyricListCol::Vertical), "歌词在上面");

    // The command checks come first.
    EXPECT_FALSE(lyricStyleCommand(session, ui, window, std::nullopt));
    EXPECT_EQ(ui.messages.value(0), "没有选中歌词文件！");
}

// The outline is chosen with keys and the mouse like every other setting:
// the sample shows it at once and "确定" keeps it in the row.
TEST_F(LyricArea, StyleWindowOutlineShowsOnTheSampleAndIsStored)
{
    LyricStyleWindow window(session);
    window.prepare(0);
    window.show();
    OutlineControls* outline = window.outline();
    EXPECT_EQ(outline->outline(), TextOutline{});
    auto redPixels = [&] {
        const QImage sample = window.sample()->grab().toImage();
        int red = 0;
        for (int y = 0; y < sample.height(); ++y)
            for (int x = 0; x < sample.width(); ++x) {
                const QColor c = sample.pixelColor(x, y);
                red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
            }
        return red;
    };
    EXPECT_EQ(redPixels(), 0);
    // A red outline, 6 pixels wide.
    QTest::mouseClick(outline->width(), Qt::LeftButton);
    QTest::keyClick(outline->width(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(outline->width(), "6");
    outline->colours()->setFocus();
    for (int i = 0; i < outline->colours()->count() && outline->outline().colourValue != 0x0000FFu; ++i)
        QTest::keyClick(outline->colours(), Qt::Key_Down);
    EXPECT_GT(redPixels(), 20);
    screenshot(&window, "style_window_outline");
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == "确定") {
            QTest::mouseClick(b, Qt::LeftButton);
            break;
        }
    const Row& row = session.table(audio::names::LyricTable).row(0);
    EXPECT_EQ(row.mid(audio::LyricCol::Outline), (QStringList{"clRed", "255", "6"}));
}

TEST_F(LyricArea, BindingWindowNeedsAChoice)
{
    BindingWindow window(session, ui);
    window.prepare(audio::Side::Lyrics, 1); // lyric file 1 to a song
    ASSERT_EQ(window.list()->topLevelItemCount(), 3);
    EXPECT_EQ(window.list()->headerItem()->text(1), "音乐文件名");
    EXPECT_FALSE(window.confirmChoice());
    EXPECT_EQ(ui.messages.value(0), "没有选中音乐文件！");
    window.list()->setCurrentItem(window.list()->topLevelItem(2));
    EXPECT_TRUE(window.confirmChoice());
    EXPECT_EQ(session.table(audio::names::MusicTable).cell(2, audio::MusicCol::LyricName), "甜蜜蜜");
    EXPECT_EQ(session.table(audio::names::LyricTable).cell(1, audio::LyricCol::SongName), "绑定2个音乐");
}

TEST_F(LyricArea, PreviewShowsLinesInTimeOnTheBlackPanel)
{
    ClockPlayer player;
    AudioPreviewWindow window(session, player, ui, audio::LyricPreview::Kind::Lyrics);
    window.prepare();
    EXPECT_EQ(window.songChooser()->count(), 3);
    EXPECT_EQ(window.lyricChooser()->count(), 2);
    window.show();
    window.songChooser()->setCurrentIndex(0);
    emit window.songChooser()->activated(0);
    window.lyricChooser()->setCurrentIndex(0);
    emit window.lyricChooser()->activated(0);
    window.playButton()->click();
    ASSERT_TRUE(window.timer()->isActive());
    window.timer()->stop(); // the test ticks by hand
    player.position = 4500;
    window.tick();
    EXPECT_EQ(window.currentLabel()->text(), "00:04");
    EXPECT_EQ(window.lengthLabel()->text(), "03:20");
    EXPECT_EQ(window.panel()->text(), "我爱你有几分");
    screenshot(&window, "lyric_preview");
    player.position = 9000;
    window.tick();
    // The long line is shrunk to fit between the margins.
    const QRect line = window.panel()->lineRect();
    EXPECT_GE(line.left(), 10);
    EXPECT_LE(line.right(), audio::kPreviewPanelWidth - 10);
    screenshot(&window, "lyric_preview_long_line");
    player.playing = false; // the song ended
    window.tick();
    EXPECT_EQ(window.panel()->text(), "");
    EXPECT_EQ(window.currentLabel()->text(), "00:00");
    EXPECT_FALSE(window.timer()->isActive());
}

} // namespace
} // namespace fotarel::app
