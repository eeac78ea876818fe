// The karaoke table, the match of karaoke rows against songs, the lyric type
// choice and the simplified/traditional conversion.
#include "audio/music_table.h"
#include "karaoke/karaoke_table.h"
#include "karaoke/lyric_type.h"
#include "karaoke/script_conversion.h"

#include <gtest/gtest.h>

namespace fotarel::karaoke {
namespace {

void addSongs(Session& session, int count)
{
    Table& songs = session.table(audio::names::MusicTable);
    for (int i = 0; i < count; ++i)
        songs.appendRow(audio::songRow(songs.rowCount() + 1, QStringLiteral("/m/song%1.mp3").arg(i + 1), 60000));
}

void addKaraoke(Session& session, int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(QStringLiteral("/k/lyric%1.ksc").arg(session.table(names::KaraokeTable).rowCount() + i + 1));
    importKaraokeFiles(session, paths);
}

TEST(KaraokeTable, NewRowIsWhiteOnBlueHeiti25BoldSimplified)
{
    Session session;
    importKaraokeFiles(session, {"/songs/甜蜜蜜.ksc"});
    const Row row = session.table(names::KaraokeTable).row(0);
    EXPECT_EQ(row, (Row{"1", "甜蜜蜜", "clWhite", "clBlue", "黑体", "25", "T", "F", "F", "/songs/甜蜜蜜.ksc",
                        "16777215", "16711680", "jianti", "", "clBlack", "0", "2"}));
    EXPECT_EQ(karaokeListRow(row),
              (Row{"1", "甜蜜蜜", "白色", "蓝色", "黑体", "25", "使用", "无", "无", "/songs/甜蜜蜜.ksc", "简体"}));
    EXPECT_EQ(styleOfRow(row), KaraokeStyle{});
}

TEST(KaraokeTable, StyleRoundTripsAndDialogDefaultsClearBold)
{
    KaraokeStyle style;
    style.baseName = "clYellow";
    style.baseValue = 0x00FFFF;
    style.sungName = "clRed";
    style.sungValue = 0x0000FF;
    style.font = "宋体";
    style.size = 33;
    style.bold = false;
    style.italic = true;
    style.underline = true;
    style.script = "fanti";
    style.outline = {"clNavy", 0x800000, 5};
    Row row = karaokeRow(1, "/k/a.ksc");
    applyStyle(row, style);
    EXPECT_EQ(styleOfRow(row), style);
    EXPECT_EQ(karaokeListRow(row).mid(6), (Row{"无", "使用", "使用", "/k/a.ksc", "繁体"}));

    const KaraokeStyle defaults = KaraokeStyle::dialogDefaults();
    EXPECT_FALSE(defaults.bold);
    EXPECT_EQ(defaults.baseName, "clWhite");
    EXPECT_EQ(defaults.font, "黑体");
    EXPECT_EQ(defaults.size, 25);
    EXPECT_EQ(defaults.script, "jianti");
}

TEST(KaraokeTable, DeletionRenumbers)
{
    Session session;
    addKaraoke(session, 5);
    deleteKaraokeRows(session, {3, 1, 3});
    const Table& table = session.table(names::KaraokeTable);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.lines(), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(table.cell(1, KscCol::Name), "lyric3");
    EXPECT_EQ(table.cell(2, KscCol::Name), "lyric5");
    deleteAllKaraokeRows(session);
    EXPECT_TRUE(table.isEmpty());
}

TEST(KaraokeTable, MatchListsTheLongerSide)
{
    struct Case {
        int songs;
        int lyrics;
    };
    for (const Case c : {Case{3, 2}, Case{3, 5}, Case{0, 2}, Case{2, 0}}) {
        Session session;
        addSongs(session, c.songs);
        addKaraoke(session, c.lyrics);
        const std::vector<MatchRow> rows = matchRows(session);
        ASSERT_EQ(static_cast<int>(rows.size()), std::max(c.songs, c.lyrics));
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            EXPECT_EQ(rows[i].song, i < c.songs ? QStringLiteral("song%1").arg(i + 1) : QString());
            EXPECT_EQ(rows[i].lyric, i < c.lyrics ? QStringLiteral("lyric%1").arg(i + 1) : QString());
        }
    }
}

// A file imported for a song goes with it, a file named after a song goes
// with that song, the rest row to row; the match window shows these pairs.
TEST(KaraokeTable, FilesGoWithTheirSongsThenByNameThenByPosition)
{
    Session session;
    Table& songs = session.table(audio::names::MusicTable);
    for (const char* path : {"/m/one.mp3", "/m/Song2.mp3", "/m/three.mp3", "/m/four.mp3"})
        songs.appendRow(audio::songRow(songs.rowCount() + 1, path, 60000));
    importKaraokeFiles(session, {"/k/SONG2.ksc"});            // row 0: by name to Song2
    importKaraokeFiles(session, {"/k/x.ksc"}, "/m/one.mp3");  // row 1: imported while "one" was chosen
    importKaraokeFiles(session, {"/k/y.ksc", "/k/z.ksc"});    // rows 2, 3: by position
    importKaraokeFiles(session, {"/k/old.ksc"}, "/m/gone.mp3"); // row 4: its song is gone, free again
    EXPECT_EQ(karaokeRowsOfSongs(session), (std::vector<int>{1, 0, 2, 3}));

    const std::vector<MatchRow> rows = matchRows(session);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].song, "one");
    EXPECT_EQ(rows[0].lyric, "x");
    EXPECT_EQ(rows[1].lyric, "SONG2");
    EXPECT_EQ(rows[3].lyric, "z");
    EXPECT_EQ(rows[4].song, "");
    EXPECT_EQ(rows[4].lyric, "old");

    // A second file for the same song replaces the first there, and the
    // first goes nowhere else.
    importKaraokeFiles(session, {"/k/w.ksc"}, "/m/one.mp3");
    EXPECT_EQ(karaokeRowsOfSongs(session)[0], 5);
    for (int k : karaokeRowsOfSongs(session))
        EXPECT_NE(k, 1);
}

TEST(LyricType, ChoiceDecidesWhichLyricsRun)
{
    struct Case {
        int songs;
        int lyrics;
        QLatin1StringView choice;
        bool asked, karaoke, lrc;
    };
    const Case cases[] = {
        {2, 0, kUseKsc, false, false, true}, // without karaoke rows LRC always runs
        {0, 1, kUseBoth, false, true, true},
        {2, 1, kUseBoth, true, true, true},
        {2, 1, kUseLrc, true, false, true},
        {2, 1, kUseKsc, true, true, false},
    };
    for (const Case& c : cases) {
        Session session;
        EXPECT_EQ(session.get(kLyricTypeVariable), kUseBoth);
        addSongs(session, c.songs);
        addKaraoke(session, c.lyrics);
        session.set(kLyricTypeVariable, c.choice);
        EXPECT_EQ(lyricTypeAsked(session), c.asked) << c.choice.data();
        EXPECT_EQ(karaokeRuns(session), c.karaoke) << c.choice.data();
        EXPECT_EQ(lrcRuns(session), c.lrc) << c.choice.data();
    }
}

TEST(ScriptConversion, BothWaysWithOpenCC)
{
    EXPECT_EQ(convertScript("甜蜜蜜你笑得甜蜜蜜", Script::Traditional), "甜蜜蜜你笑得甜蜜蜜");
    EXPECT_EQ(convertScript("好像花儿开在春风里", Script::Traditional), "好像花兒開在春風裏");
    EXPECT_EQ(convertScript("在哪里见过你", Script::Traditional), "在哪裏見過你");
    EXPECT_EQ(convertScript("好像花兒開在春風裏", Script::Simplified), "好像花儿开在春风里");
    EXPECT_EQ(convertScript("abc 123", Script::Traditional), "abc 123");
    EXPECT_EQ(scriptFromWord("fanti"), Script::Traditional);
    EXPECT_EQ(scriptFromWord("jianti"), Script::Simplified);

    // Units are converted together and cut back into the same units.
    const std::vector<QString> units{"花儿", "开", "在", "春风"};
    EXPECT_EQ(convertUnits(units, Script::Traditional), (std::vector<QString>{"花兒", "開", "在", "春風"}));
}

} // namespace
} // namespace fotarel::karaoke
