// The settings window's commands and the preview, headless: a scripted UI
// checks every message by its text, a scripted player stands in for sound.
#include "audio/music_table.h"
#include "karaoke/karaoke_settings.h"
#include "tests/karaoke/scripted_player.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

namespace fotarel::karaoke {
namespace {

class KaraokeSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.table(audio::names::MusicTable).appendRow(audio::songRow(1, "/m/甜蜜蜜.mp3", 10000));
        good = tree.write("甜蜜蜜.ksc", "karaoke.add('00:02.000', '00:04.000', '甜蜜蜜', '400,400,400');\n"
                                        "karaoke.add('00:05.000', '00:07.000', 'x', 'slow');\n");
    }
    test::TempTree tree;
    WorkingFolder folder{tree.root()};
    Session session;
    test::ScriptedUi ui;
    test::ScriptedPlayer player;
    QString good;
};

TEST_F(KaraokeSettingsTest, ImportPreselectsTheSampleAndRefusesFilesThatAreNoKaraoke)
{
    const QString sample = tree.write("yinyuegeci/甜蜜蜜.ksc", "karaoke.add('00:01.000', '00:02.000', 'a', '1');");
    const QString binary = tree.write("bad.ksc", QByteArray("\0\1\2\3\4", 5));
    ui.openAnswers.push_back({good, binary});
    EXPECT_EQ(importKaraokeCommand(session, ui, folder), 1);
    EXPECT_EQ(ui.filtersAsked, QStringList{kImportFilter});
    const Table& table = session.table(names::KaraokeTable);
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.cell(0, KscCol::Path), good);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains("bad.ksc"));
    (void)sample;
    // Cancelling imports nothing and says nothing.
    EXPECT_EQ(importKaraokeCommand(session, ui, folder), 0);
    EXPECT_EQ(ui.messages.size(), 1);
}

// The file imported while the second song is chosen goes with that song,
// not with the first song by its place in the table.
TEST_F(KaraokeSettingsTest, ImportWhileASongIsChosenGoesWithThatSong)
{
    session.table(audio::names::MusicTable).appendRow(audio::songRow(2, "/m/second.mp3", 10000));
    KaraokePreview preview(session, player, ui);
    preview.chooseSong(1);
    ASSERT_EQ(preview.chosenSongRow(), 1);
    ui.openAnswers.push_back({tree.write("second_song.ksc", "karaoke.add('00:01.000', '00:02.000', 'a', '1');")});
    EXPECT_EQ(importKaraokeCommand(session, ui, folder, preview.chosenSongRow()), 1);
    EXPECT_EQ(karaokeRowsOfSongs(session), (std::vector<int>{-1, 0}));
    const std::vector<MatchRow> rows = matchRows(session);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].lyric, "");
    EXPECT_EQ(rows[1].song, "second");
    EXPECT_EQ(rows[1].lyric, "second_song");
}

TEST_F(KaraokeSettingsTest, ChecksGiveTheirMessages)
{
    KaraokePreview preview(session, player, ui);
    EXPECT_FALSE(deleteKaraokeCommand(session, ui, {0}));
    EXPECT_FALSE(deleteAllKaraokeCommand(session, ui));
    EXPECT_FALSE(canSetStyle(session, ui, preview));
    EXPECT_FALSE(preview.chooseFile(0));
    EXPECT_FALSE(preview.play());
    importKaraokeFiles(session, {good});
    EXPECT_FALSE(deleteKaraokeCommand(session, ui, {}));
    EXPECT_FALSE(canSetStyle(session, ui, preview));
    EXPECT_FALSE(preview.chooseFile(-1));
    preview.chooseSong(0);
    EXPECT_FALSE(preview.play());
    EXPECT_FALSE(preview.pause());
    EXPECT_EQ(ui.messages, (QStringList{kNoKaraokeFiles, kNoKaraokeFiles, kNoKaraokeFiles, kListEmpty, kNoSongChosen,
                                        kNoKaraokeChosen, kNoKaraokeChosen, kListNoSelection, kNoKaraokeFiles,
                                        kNoKaraokeFiles}));
    ui.messages.clear();
    EXPECT_TRUE(deleteKaraokeCommand(session, ui, {0}));
    EXPECT_EQ(ui.messages, QStringList{kKaraokeDeleted});
}

TEST_F(KaraokeSettingsTest, PreviewFollowsThePlayersPosition)
{
    importKaraokeFiles(session, {good});
    KaraokePreview preview(session, player, ui);
    ASSERT_TRUE(preview.chooseFile(0));
    // The file's bad duration is shown once, by line.
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains("第 2 行")) << ui.messages[0].toStdString();
    EXPECT_EQ(preview.chosenFileName(), "甜蜜蜜");
    preview.chooseSong(0);
    EXPECT_EQ(preview.chosenSongName(), "甜蜜蜜");
    EXPECT_EQ(preview.totalTimeText(), "00:00:10");
    EXPECT_FALSE(preview.showingLines());
    ASSERT_TRUE(preview.play());
    EXPECT_TRUE(preview.showingLines());

    player.position = 2400; // the first unit (10 frames) fully sung, the second begun
    EXPECT_EQ(preview.currentTimeText(), "00:00:02");
    const auto placed = preview.painter()->layout({800, 450}, preview.positionMs());
    EXPECT_EQ(placed[kSlotA].line, 0);
    EXPECT_GT(placed[kSlotA].sungWidth, 0);

    EXPECT_TRUE(preview.pause());
    EXPECT_FALSE(preview.tick());
    EXPECT_TRUE(preview.play());
    player.isOn = false; // the song ended
    EXPECT_TRUE(preview.tick());
    EXPECT_FALSE(preview.playing());
    EXPECT_FALSE(preview.showingLines());
    EXPECT_EQ(player.position, 0); // the next play starts from the beginning

    // Choosing the style again forgets the file until it is chosen anew.
    preview.forgetFile();
    EXPECT_FALSE(canSetStyle(session, ui, preview));
}

} // namespace
} // namespace fotarel::karaoke
