#include "audio/binding_commands.h"
#include "audio/lrc.h"
#include "audio/lyric_import.h"
#include "audio/lyric_table.h"
#include "audio/music_import.h"
#include "audio/music_table.h"
#include "core/text_decode.h"
#include "tests/audio/qt_print.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"
#include "audio/audio_names.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

using test::ScriptedUi;
using test::TempTree;

const QDateTime kWhen(QDate(2026, 12, 10), QTime(16, 0, 0));

class Lyrics : public ::testing::Test {
protected:
    Lyrics() : folder(tree.root())
    {
        tree.mkdir("smxcwjj/tp_wj/tp_slt_2");
        tree.mkdir("smxcwjj/tp_wj/tp_slt_3");
    }

    // Songs s0.. and lyric files l0.. (real files, one timed line each),
    // imported as the commands do, so binding by position has run.
    void add(int songs, int lyrics)
    {
        QStringList songFiles;
        for (int i = 0; i < songs; ++i)
            songFiles.append(QStringLiteral("/songs/s%1.mp3").arg(i));
        runMusicImport(session, folder, ui, songFiles, [](const QString&) { return std::optional<qint64>(61000); });
        QStringList lyricFiles;
        for (int i = 0; i < lyrics; ++i)
            lyricFiles.append(tree.write(QStringLiteral("lrc/l%1.lrc").arg(i), "[00:01.00]line"));
        runLyricImport(session, folder, ui, lyricFiles);
    }

    QString songCell(int row, int column) { return session.table(names::MusicTable).cell(row, column); }
    QString lyricCell(int row, int column) { return session.table(names::LyricTable).cell(row, column); }
    QString musicListLyric(int row) { return session.table(names::MusicList).cell(row, MusicListCol::Lyric); }
    QString lyricListSong(int row) { return session.table(names::LyricList).cell(row, LyricListCol::Song); }
    QStringList files(const QString& relative) { return QDir(tree.path(relative)).entryList(QDir::Files, QDir::Name); }

    TempTree tree;
    WorkingFolder folder;
    Session session;
    ScriptedUi ui;
};

TEST_F(Lyrics, ImportWritesDefaultStyleAndBindsByPosition)
{
    add(2, 3);
    const Table& lyrics = session.table(names::LyricTable);
    ASSERT_EQ(lyrics.rowCount(), 3);
    const Row& row = lyrics.row(2);
    EXPECT_EQ(row.mid(LyricCol::SongKey), (QStringList{"wu", "wu", "clWhite", "16777215", "10", "黑体", "cuti", "wu",
                                                       "wu", "juzhong", "xiamian", "clBlack", "0", "2"}));
    EXPECT_EQ(session.table(names::LyricList).row(2).mid(LyricListCol::Song),
              (QStringList{"未绑定音乐", "白色", "10", "黑体", "[粗体]", "歌词居中", "歌词在下面"}));
    for (int q = 0; q < 2; ++q) {
        EXPECT_NE(songCell(q, MusicCol::LyricKey), "wu");
        EXPECT_EQ(songCell(q, MusicCol::LyricKey), lyricCell(q, LyricCol::SongKey));
        EXPECT_EQ(musicListLyric(q), QStringLiteral("l%1").arg(q));
        EXPECT_EQ(lyricListSong(q), QStringLiteral("s%1").arg(q));
    }
    EXPECT_EQ(files("smxcwjj/tp_wj/tp_slt_3"), (QStringList{"tp_slt_3_1.bmp", "tp_slt_3_2.bmp", "tp_slt_3_3.bmp"}));
}

TEST_F(Lyrics, ImportLeavesOutFilesThatShowNothingWithOneMessage)
{
    const QString good = tree.write("good.lrc", "[00:01.00]a");
    const QString empty = tree.write("empty.lrc", "");
    const QString words = tree.write("words.lrc", "no times here");
    const LyricImportResult result = runLyricImport(session, folder, ui, {good, empty, words, tree.path("gone.lrc")});
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(session.table(names::LyricTable).rowCount(), 1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], kUnusableLyricsMessage + "\n" + empty + "（空文件）\n" + words + "（没有带时间的歌词行）\n"
                                  + tree.path("gone.lrc") + "（无法读取）");
}

TEST_F(Lyrics, AutomaticBindingCountsUnboundSongs)
{
    add(3, 2);
    unbindAll(session);
    ui.confirmAnswers = {true};
    EXPECT_TRUE(automaticBindingCommand(session, ui, Side::Music, kWhen));
    EXPECT_EQ(ui.confirmations, QStringList{kAutoBindTitle + "|" + kAutoBindQuestion});
    EXPECT_EQ(ui.acceptCaptions, QStringList{"确定"});
    EXPECT_EQ(songCell(0, MusicCol::LyricKey), "2026-12-10 16:00:001");
    EXPECT_EQ(songCell(1, MusicCol::LyricKey), "2026-12-10 16:00:002");
    EXPECT_EQ(songCell(2, MusicCol::LyricKey), "wu");
    EXPECT_EQ(ui.messages, QStringList{"添加的歌词数量与添加的音乐数量不一致,还有 1 个音乐没有绑定"});

    Session other;
    std::swap(session, other);
    ui.messages.clear();
    add(2, 3);
    ui.confirmAnswers = {true};
    automaticBindingCommand(session, ui, Side::Lyrics, kWhen);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(lyricCell(2, LyricCol::SongKey), "wu");
}

TEST_F(Lyrics, BindingByHandSharesAndRecountsLyricFiles)
{
    add(3, 2);
    unbindAll(session);
    bindByHand(session, Side::Music, 0, 1, kWhen);
    bindByHand(session, Side::Lyrics, 1, 1, kWhen); // lyric file 1 to song 1
    EXPECT_EQ(songCell(0, MusicCol::LyricKey), songCell(1, MusicCol::LyricKey));
    EXPECT_EQ(lyricCell(1, LyricCol::SongName), "绑定2个音乐");
    EXPECT_EQ(lyricListSong(1), "绑定2个音乐");

    // A song moved to another lyric file leaves the first one recounted.
    bindByHand(session, Side::Music, 1, 0, kWhen);
    EXPECT_EQ(lyricCell(1, LyricCol::SongName), "s0");
    EXPECT_NE(songCell(1, MusicCol::LyricKey), songCell(0, MusicCol::LyricKey));
    EXPECT_EQ(lyricCell(0, LyricCol::SongName), "s1");

    // Moving the only song away unbinds the lyric file.
    bindByHand(session, Side::Music, 0, 0, kWhen);
    EXPECT_EQ(lyricCell(1, LyricCol::SongKey), "wu");
    EXPECT_EQ(lyricListSong(1), "未绑定音乐");
    EXPECT_EQ(lyricCell(0, LyricCol::SongName), "绑定2个音乐");

    // Unbinding one of two songs keeps the file bound to the other.
    unbindSong(session, 0);
    EXPECT_EQ(musicListLyric(0), "未绑定歌词");
    EXPECT_EQ(lyricCell(0, LyricCol::SongName), "s1");
    // Unbinding the lyric file clears every song holding it.
    bindByHand(session, Side::Music, 2, 0, kWhen);
    unbindLyric(session, 0);
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(songCell(s, MusicCol::LyricKey), "wu") << s;
}

TEST_F(Lyrics, HandKeysMadeInOneSecondDiffer)
{
    add(2, 2);
    unbindAll(session);
    bindByHand(session, Side::Music, 0, 0, kWhen);
    bindByHand(session, Side::Music, 1, 1, kWhen);
    EXPECT_NE(lyricCell(0, LyricCol::SongKey), lyricCell(1, LyricCol::SongKey));
    EXPECT_EQ(lyricCell(1, LyricCol::SongName), "s1");
}

TEST_F(Lyrics, ChecksShowTheirMessages)
{
    struct Case {
        int songs, lyrics;
        Side side;
        std::optional<int> selected;
        const char* message; // nullptr: nothing happens
    };
    const Case cases[] = {
        {0, 1, Side::Music, 0, nullptr},
        {1, 0, Side::Music, 0, "没有找到歌词文件！"},
        {1, 1, Side::Music, std::nullopt, "没有选中音乐文件！"},
        {1, 1, Side::Music, 5, "没有选中音乐文件！"},
        {0, 1, Side::Lyrics, 0, "没有找到音乐文件！"},
        {1, 0, Side::Lyrics, 0, nullptr},
        {1, 1, Side::Lyrics, std::nullopt, "没有选中歌词文件！"},
    };
    for (const Case& c : cases) {
        Session fresh;
        std::swap(session, fresh);
        add(c.songs, c.lyrics);
        ui.messages.clear();
        ui.confirmations.clear();
        EXPECT_FALSE(mayBindByHand(session, ui, c.side, c.selected));
        EXPECT_FALSE(unbindOneCommand(session, ui, c.side, c.selected));
        const QStringList expected = c.message ? QStringList{c.message, c.message} : QStringList{};
        EXPECT_EQ(ui.messages, expected) << c.songs << c.lyrics << int(c.side);
        EXPECT_TRUE(ui.confirmations.isEmpty());
    }
}

TEST_F(Lyrics, DeletingASongRenumbersTilesAndKeepsSharedLyricsBound)
{
    add(3, 1);
    bindByHand(session, Side::Lyrics, 0, 2, kWhen); // lyric file 0 now holds songs 0 and 2
    ASSERT_EQ(lyricCell(0, LyricCol::SongName), "绑定2个音乐");
    ASSERT_TRUE(QFileInfo::exists(tileImagePath(session, folder, 3)));
    QFile::resize(tileImagePath(session, folder, 3), 7); // marks song 3's tile

    ui.confirmAnswers = {true};
    EXPECT_TRUE(deleteOneCommand(session, folder, ui, Side::Music, 1));
    EXPECT_EQ(ui.confirmations, QStringList{kDeleteSongTitle + "|" + kDeleteOneSong});
    EXPECT_EQ(ui.acceptCaptions, QStringList{"确定删除"});
    const Table& songs = session.table(names::MusicTable);
    ASSERT_EQ(songs.rowCount(), 2);
    EXPECT_EQ(songs.cell(1, MusicCol::Name), "s2");
    EXPECT_EQ(songs.cell(1, MusicCol::Number), "2");
    EXPECT_EQ(session.table(names::MusicList).cell(1, MusicListCol::Number), "2");
    EXPECT_EQ(files("smxcwjj/tp_wj/tp_slt_2"), (QStringList{"tp_slt_2_1.bmp", "tp_slt_2_2.bmp"}));
    EXPECT_EQ(QFileInfo(tileImagePath(session, folder, 2)).size(), 7);

    // Deleting song 0 leaves song s2 bound to the lyric file.
    ui.confirmAnswers = {true};
    deleteOneCommand(session, folder, ui, Side::Music, 0);
    EXPECT_EQ(lyricCell(0, LyricCol::SongName), "s2");
    EXPECT_EQ(lyricCell(0, LyricCol::SongKey), songCell(0, MusicCol::LyricKey));
}

TEST_F(Lyrics, DeletingLyricFilesUnbindsTheirSongs)
{
    add(2, 2);
    lrc::storeParse(session, lrc::parseText("[00:01.00]x"));
    ui.confirmAnswers = {true};
    deleteOneCommand(session, folder, ui, Side::Lyrics, 0);
    EXPECT_EQ(songCell(0, MusicCol::LyricKey), "wu");
    EXPECT_EQ(musicListLyric(0), "未绑定歌词");
    EXPECT_EQ(songCell(1, MusicCol::LyricName), "l1");
    EXPECT_EQ(lyricCell(0, LyricCol::Number), "1");
    EXPECT_EQ(files("smxcwjj/tp_wj/tp_slt_3"), QStringList{"tp_slt_3_1.bmp"});

    ui.confirmAnswers = {false};
    EXPECT_FALSE(deleteAllCommand(session, folder, ui, Side::Lyrics));
    EXPECT_EQ(session.table(names::LyricTable).rowCount(), 1);
    ui.confirmAnswers = {true};
    EXPECT_TRUE(deleteAllCommand(session, folder, ui, Side::Lyrics));
    EXPECT_TRUE(session.table(names::LyricTable).isEmpty());
    EXPECT_TRUE(session.table(names::LyricList).isEmpty());
    EXPECT_TRUE(session.table(audio::names::LrcTimed).isEmpty());
    EXPECT_EQ(songCell(1, MusicCol::LyricKey), "wu");
    EXPECT_TRUE(files("smxcwjj/tp_wj/tp_slt_3").isEmpty());
}

TEST_F(Lyrics, DeletingAllSongsUnbindsEveryLyricFile)
{
    add(2, 2);
    ui.confirmAnswers = {true};
    EXPECT_TRUE(deleteAllCommand(session, folder, ui, Side::Music));
    EXPECT_EQ(ui.confirmations, QStringList{kDeleteSongTitle + "|" + kDeleteAllSongs});
    EXPECT_TRUE(session.table(names::MusicTable).isEmpty());
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(lyricCell(f, LyricCol::SongKey), "wu");
        EXPECT_EQ(lyricListSong(f), "未绑定音乐");
    }
    EXPECT_EQ(session.get("Edit_xianshikuang_pailie_yinyue"), "0");
    EXPECT_TRUE(files("smxcwjj/tp_wj/tp_slt_2").isEmpty());
}

TEST_F(Lyrics, ExchangingLyricRowsCarriesStyleAndBinding)
{
    add(2, 2);
    Row styled = session.table(names::LyricTable).row(1);
    LyricStyle style;
    style.colourName = "clRed";
    style.colourValue = 255;
    style.size = 30;
    style.vertical = LyricStyle::Vertical::Top;
    writeStyle(styled, style);
    session.table(names::LyricTable).row(1) = styled;
    rebuildLyricList(session);
    exchangeLyricRows(session, 0, 1);
    EXPECT_EQ(styleOfRow(session.table(names::LyricTable).row(0)), style);
    EXPECT_EQ(lyricCell(0, LyricCol::SongName), "s1");
    EXPECT_EQ(lyricCell(0, LyricCol::Number), "1");
    EXPECT_EQ(session.table(names::LyricList).cell(0, LyricListCol::Vertical), "歌词在上面");
}

TEST(LyricRowOfSong, OnlyTheRowHoldingTheSongsKey)
{
    Session session;
    Table& songs = session.table(names::MusicTable);
    Table& lyrics = session.table(names::LyricTable);
    songs.appendRow(songRow(1, "/a.mp3", 1000));
    songs.appendRow(songRow(2, "/b.mp3", 1000));
    lyrics.appendRow(lyricRow(1, "/x.lrc"));
    lyrics.appendRow(lyricRow(2, "/y.lrc"));
    lyrics.appendRow(lyricRow(3, "/z.lrc"));
    songs.setCell(0, MusicCol::LyricKey, "k");
    lyrics.setCell(1, LyricCol::SongKey, "k");
    EXPECT_EQ(lyricRowOfSong(session, 0), 1);
    EXPECT_EQ(lyricRowOfSong(session, 1), std::nullopt); // unbound: no lyric file, though two are unbound
    songs.setCell(1, MusicCol::LyricKey, "k2");
    EXPECT_EQ(lyricRowOfSong(session, 1), std::nullopt); // a key no file holds
    lyrics.setCell(2, LyricCol::SongKey, "k2");
    EXPECT_EQ(lyricRowOfSong(session, 1), 2);
    EXPECT_EQ(lyricRowOfSong(session, 2), std::nullopt);
}

// Files named after a song go to that song whatever the order of the lists;
// the rest bind row to row where both are free.
TEST_F(Lyrics, AutomaticBindingPairsNamesFirstThenPositions)
{
    runMusicImport(session, folder, ui, {"/m/song2.mp3", "/m/Song1.mp3", "/m/third.mp3", "/m/fourth.mp3"},
                   [](const QString&) { return std::optional<qint64>(61000); });
    runLyricImport(session, folder, ui,
                   {tree.write("lrc/SONG1.lrc", "[00:01.00]a"), tree.write("lrc/song2.LRC", "[00:01.00]b"),
                    tree.write("lrc/other.lrc", "[00:01.00]c")});
    auto lyricOf = [&](int song) { return lyricRowOfSong(session, song); };
    EXPECT_EQ(lyricOf(0), 1);            // song2 <- song2.LRC
    EXPECT_EQ(lyricOf(1), 0);            // Song1 <- SONG1.lrc
    EXPECT_EQ(lyricOf(2), 2);            // third <- other.lrc, by position
    EXPECT_EQ(lyricOf(3), std::nullopt); // fourth: no file left
    EXPECT_EQ(musicListLyric(0), "song2");
    EXPECT_EQ(lyricListSong(0), "Song1");
    QSet<QString> keys;
    for (int s = 0; s < 3; ++s)
        keys.insert(songCell(s, MusicCol::LyricKey));
    EXPECT_EQ(keys.size(), 3);

    // "自动绑定" pairs the same way after unbinding everything.
    bindByHand(session, Side::Music, 0, 2, kWhen);
    ui.confirmAnswers = {true};
    ASSERT_TRUE(automaticBindingCommand(session, ui, Side::Music, kWhen));
    EXPECT_EQ(lyricOf(0), 1);
    EXPECT_EQ(lyricOf(1), 0);
    EXPECT_EQ(lyricOf(2), 2);
    EXPECT_EQ(ui.messages.last(), "添加的歌词数量与添加的音乐数量不一致,还有 1 个音乐没有绑定");
}

} // namespace
} // namespace fotarel::audio
