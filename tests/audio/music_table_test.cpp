#include "audio/music_table.h"
#include "tests/audio/qt_print.h"

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

TEST(MusicTable, LengthTextAndFramesFromMilliseconds)
{
    struct Case {
        qint64 ms;
        const char* text;
        qint64 frames;
    };
    const Case cases[] = {
        {59900, "00:00:59", 1498},   // the text drops the fraction, the frames cover it
        {35500, "00:00:35", 888},    // 887.5 frames: the last, half-filled one counts
        {500, "00:00:01", 13},       // shorter than one second, yet not nothing
        {40, "00:00:01", 1},
        {41, "00:00:01", 2},
        {0, "00:00:00", 0},
        {60000, "00:01:00", 1500},
        {245900, "00:04:05", 6148},  // 4 min 5.9 s: 6147.5 frames
        {4500000, "00:75:00", 112500}, // 75 minutes stay minutes
        {6000000, "00:100:00", 150000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(lengthText(c.ms), QString::fromLatin1(c.text));
        EXPECT_EQ(framesNeeded(c.ms), c.frames);
    }
}

TEST(MusicTable, SongRowCellsAndListRow)
{
    const QString path = QStringLiteral("/音乐 文件/甜蜜蜜 \"live\".mp3");
    const Row row = songRow(3, path, 59900);
    EXPECT_EQ(row, (QStringList{"3", "甜蜜蜜 \"live\"", ".mp3", path, "00:00:59", "1498", "wu", "wu"}));

    EXPECT_EQ(musicListRow(row, 3), (QStringList{"3", "甜蜜蜜 \"live\"", ".mp3", "00:00:59", path, "未绑定歌词"}));
    Row bound = row;
    bound[MusicCol::LyricName] = QStringLiteral("甜蜜蜜");
    EXPECT_EQ(musicListRow(bound, 1).at(MusicListCol::Lyric), QStringLiteral("甜蜜蜜"));

    // The extension is kept as the file name writes it.
    EXPECT_EQ(songRow(1, QStringLiteral("/a/SONG.MP3"), 1000).at(MusicCol::Type), QStringLiteral(".MP3"));
}

TEST(MusicTable, ExchangeMovesWholeRowsAndRenumbers)
{
    Session session;
    Table& songs = session.table(names::MusicTable);
    Table& list = session.table(names::MusicList);
    for (int i = 0; i < 3; ++i) {
        Row row = songRow(i + 1, QStringLiteral("/m/s%1.mp3").arg(i), 1000 * (i + 1));
        row[MusicCol::LyricKey] = QStringLiteral("key%1").arg(i);
        songs.appendRow(row);
        list.appendRow(musicListRow(row, i + 1));
    }
    exchangeSongRows(session, 0, 2);
    EXPECT_EQ(songs.cell(0, MusicCol::Name), "s2");
    EXPECT_EQ(songs.cell(0, MusicCol::LyricKey), "key2");
    EXPECT_EQ(songs.cell(2, MusicCol::Name), "s0");
    EXPECT_EQ(songs.cell(2, MusicCol::Length), "00:00:01");
    EXPECT_EQ(list.cell(0, MusicListCol::Path), "/m/s2.mp3");
    EXPECT_EQ(list.cell(2, MusicListCol::Path), "/m/s0.mp3");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(songs.cell(i, MusicCol::Number), QString::number(i + 1));
        EXPECT_EQ(list.cell(i, MusicListCol::Number), QString::number(i + 1));
    }
    EXPECT_TRUE(session.table(names::MusicSwap).isEmpty());
    EXPECT_TRUE(session.table(names::MusicListSwap).isEmpty());
}

TEST(MusicTable, HintOfAHoveredTile)
{
    Session session;
    Table& songs = session.table(names::MusicTable);
    songs.appendRow(songRow(1, QStringLiteral("/m/a.mp3"), 65000));
    Row bound = songRow(2, QStringLiteral("/m/b.Mp3"), 3000);
    bound[MusicCol::LyricKey] = QStringLiteral("2026-12-10 04:50:002");
    bound[MusicCol::LyricName] = QStringLiteral("词");
    songs.appendRow(bound);

    const std::optional<MusicHint> first = musicHint(session, QStringLiteral("Imagemyinyue_0"));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->name, "a");
    EXPECT_EQ(first->type, ".MP3");
    EXPECT_EQ(first->length, "00:01:05");
    EXPECT_EQ(first->state, "未绑定歌词");
    EXPECT_EQ(first->lyricFile, "无");
    EXPECT_EQ(first->number, 1);
    const std::optional<MusicHint> second = musicHint(session, QStringLiteral("Imagemyinyue_1"));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->state, "已绑定歌词");
    EXPECT_EQ(second->lyricFile, "词");
    EXPECT_EQ(second->number, 2);
    for (const char* name : {"Imagemyinyue_2", "Imagemgeci_0", "Imagemyinyue_x", ""})
        EXPECT_FALSE(musicHint(session, QString::fromLatin1(name)).has_value()) << name;
}

} // namespace
} // namespace fotarel::audio
