#include "audio/music_import.h"

#include "audio/music_table.h"
#include "tests/audio/qt_print.h"
#include "tests/audio/test_songs.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

using test::ScriptedUi;
using test::TempTree;

// A lyric file row as the lyric import writes it, unbound.
Row lyricRow(int number, const QString& name)
{
    return Row{QString::number(number), name, ".lrc", "/l/" + name + ".lrc", "wu", "wu",
               "clWhite", "16777215", "10", "黑体", "cuti", "wu", "wu", "juzhong", "xiamian"};
}

class MusicImport : public ::testing::Test {
protected:
    // The program folder itself has Chinese characters, spaces and quotes.
    MusicImport() : folder(tree.path("程序 \"目录\" 'x'")) { tree.mkdir("程序 \"目录\" 'x'/smxcwjj/tp_wj/tp_slt_2"); }

    // Lengths by file name, so the import's bookkeeping is tested without
    // encoding songs; the real decoder is exercised by the batch test below.
    LengthReader lengths(std::map<QString, qint64> known)
    {
        return [known](const QString& path) -> std::optional<qint64> {
            auto it = known.find(QFileInfo(path).fileName());
            if (it == known.end())
                return std::nullopt;
            return it->second;
        };
    }

    TempTree tree;
    WorkingFolder folder;
    Session session;
    ScriptedUi ui;
};

// Records what the open dialog was asked to preselect.
class PreselectionUi : public ScriptedUi {
public:
    QStringList chooseOpenFiles(const QString& filter, const QStringList& preselectedFiles) override
    {
        preselected.append(preselectedFiles.join('|'));
        return ScriptedUi::chooseOpenFiles(filter, preselectedFiles);
    }
    QStringList preselected;
};

TEST_F(MusicImport, OpenDialogOffersTheSampleSongWhenItExists)
{
    PreselectionUi dialog;
    dialog.openAnswers.push_back({});
    EXPECT_TRUE(chooseSongs(dialog, folder).isEmpty());
    EXPECT_EQ(dialog.filtersAsked, QStringList{"添加音乐文件(MP3)|*.mp3;"});

    const QString sample = tree.write("程序 \"目录\" 'x'/yinyuegeci/甜蜜蜜.mp3", "x");
    dialog.openAnswers.push_back({sample});
    EXPECT_EQ(chooseSongs(dialog, folder), QStringList{sample});
    EXPECT_EQ(dialog.preselected, (QStringList{QString(), sample}));
}

TEST_F(MusicImport, BatchWithABrokenFileSkipsItWithOneMessage)
{
    const QString good1 = tree.path("曲 库/long 'one'.mp3");
    const QString good2 = tree.path("曲 库/short \"two\".mp3");
    ASSERT_TRUE(test::makeSong(good1, "sine=d=59.9"));
    ASSERT_TRUE(test::makeSong(good2, "sine=d=0.5"));
    const QString broken = tree.write("曲 库/broken.mp3", "not audio at all");
    const QString missing = tree.path("曲 库/gone.mp3");

    const MusicImportResult result = runMusicImport(session, folder, ui, {good1, broken, good2, missing});
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.skipped, (QStringList{broken, missing}));

    const Table& songs = session.table(names::MusicTable);
    ASSERT_EQ(songs.rowCount(), 2);
    EXPECT_EQ(songs.row(0), (QStringList{"1", "long 'one'", ".mp3", good1, "00:00:59", "1498", "wu", "wu"}));
    EXPECT_EQ(songs.row(1), (QStringList{"2", "short \"two\"", ".mp3", good2, "00:00:01", "13", "wu", "wu"}));

    const Table& list = session.table(names::MusicList);
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.row(1), (QStringList{"2", "short \"two\"", ".mp3", "00:00:01", good2, "未绑定歌词"}));

    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].startsWith(kUnreadableSongsMessage));
    EXPECT_TRUE(ui.messages[0].contains(broken));
    EXPECT_TRUE(ui.messages[0].contains(missing));
    EXPECT_FALSE(ui.messages[0].contains(good1));

    EXPECT_TRUE(QFileInfo::exists(tileImagePath(session, folder, 1)));
    EXPECT_TRUE(QFileInfo::exists(tileImagePath(session, folder, 2)));
    EXPECT_FALSE(QFileInfo::exists(tileImagePath(session, folder, 3)));
    EXPECT_EQ(QImage(tileImagePath(session, folder, 2)).size(), QSize(130, 115));

    // The bar runs to 2 x chosen files on "ProgressBar_yinyue".
    ASSERT_FALSE(ui.progressSeen.isEmpty());
    EXPECT_EQ(ui.progressSeen.last().bar, kMusicProgressBar);
    EXPECT_EQ(ui.progressSeen.last().value, 8);
    EXPECT_EQ(ui.progressSeen.last().maximum, 8);
    EXPECT_GE(ui.pumps, 4);
}

TEST_F(MusicImport, SecondBatchRebuildsEverythingAndBindsOnlyUnboundPositions)
{
    Table& lyrics = session.table(names::LyricTable);
    Table& lyricList = session.table(names::LyricList);
    for (int i = 0; i < 3; ++i) {
        lyrics.appendRow(lyricRow(i + 1, QStringLiteral("词%1").arg(i + 1)));
        lyricList.appendRow(Row{QString::number(i + 1), QStringLiteral("词%1").arg(i + 1), ".lrc", "/l", "未绑定音乐"});
    }
    // Lyric file 2 is already bound to some other key.
    lyrics.setCell(1, 4, "k-old");
    lyrics.setCell(1, 5, "other");
    lyricList.setCell(1, 4, "other");

    runMusicImport(session, folder, ui, {"/m/a.mp3"}, lengths({{"a.mp3", 3000}, {"b.mp3", 4000}, {"c.mp3", 5000}}));
    const Table& songs = session.table(names::MusicTable);
    ASSERT_EQ(songs.rowCount(), 1);
    const QString key1 = songs.cell(0, MusicCol::LyricKey);
    EXPECT_TRUE(key1.endsWith('1'));
    EXPECT_NE(key1, "wu");
    EXPECT_EQ(lyrics.cell(0, 4), key1);
    EXPECT_EQ(lyrics.cell(0, 5), "a");
    EXPECT_EQ(lyricList.cell(0, 4), "a");
    EXPECT_EQ(songs.cell(0, MusicCol::LyricName), "词1");

    // The tile image of row 1 is rewritten by the next batch.
    const QString tile1 = tileImagePath(session, folder, 1);
    QFile::remove(tile1);

    runMusicImport(session, folder, ui, {"/m/b.mp3", "/m/c.mp3"}, lengths({{"b.mp3", 4000}, {"c.mp3", 5000}}));
    ASSERT_EQ(songs.rowCount(), 3);
    EXPECT_TRUE(QFileInfo::exists(tile1));
    EXPECT_EQ(songs.cell(0, MusicCol::LyricKey), key1); // kept
    EXPECT_EQ(songs.cell(1, MusicCol::LyricKey), "wu");  // lyric file 2 was taken
    EXPECT_EQ(lyrics.cell(1, 4), "k-old");
    EXPECT_TRUE(songs.cell(2, MusicCol::LyricKey).endsWith('3'));
    EXPECT_EQ(lyrics.cell(2, 5), "c");
    EXPECT_EQ(songs.cell(2, MusicCol::LyricName), "词3");

    const Table& list = session.table(names::MusicList);
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.cell(0, MusicListCol::Lyric), "词1");
    EXPECT_EQ(list.cell(1, MusicListCol::Lyric), "未绑定歌词");
    EXPECT_EQ(list.cell(2, MusicListCol::Lyric), "词3");
    EXPECT_EQ(lyricList.cell(1, 4), "other");
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(MusicImport, ExchangeRenamesTileImagesWithTheRows)
{
    runMusicImport(session, folder, ui, {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"},
                   lengths({{"a.mp3", 1000}, {"b.mp3", 2000}, {"c.mp3", 3000}}));
    auto bytesOf = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray a = bytesOf(tileImagePath(session, folder, 1));
    const QByteArray c = bytesOf(tileImagePath(session, folder, 3));
    ASSERT_FALSE(a.isEmpty());
    ASSERT_NE(a, c);
    // A stale scratch file from an interrupted exchange must not get in the way.
    tree.write("程序 \"目录\" 'x'/smxcwjj/tp_wj/tp_slt_2/tp_slt_2_000.bmp", "stale");

    exchangeSongs(session, folder, 0, 2);
    EXPECT_EQ(bytesOf(tileImagePath(session, folder, 1)), c);
    EXPECT_EQ(bytesOf(tileImagePath(session, folder, 3)), a);
    EXPECT_FALSE(QFileInfo::exists(tileImageScratchPath(session, folder, TileSet::Music)));
    const Table& songs = session.table(names::MusicTable);
    EXPECT_EQ(songs.cell(0, MusicCol::Name), "c");
    EXPECT_EQ(songs.cell(2, MusicCol::Name), "a");
    EXPECT_EQ(session.table(names::MusicList).cell(0, MusicListCol::Name), "c");
    EXPECT_EQ(songs.cell(0, MusicCol::Number), "1");
    EXPECT_EQ(songs.cell(2, MusicCol::Number), "3");
}

} // namespace
} // namespace fotarel::audio
