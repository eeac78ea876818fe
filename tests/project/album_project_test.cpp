// Album project files: a saved album opens as the same album (tables and
// decoded frames), missing files are listed and left out, and a broken or
// newer file leaves the current album as it was.
#include "project/album_project.h"

#include "tests/render/album_fixture.h"

#include "audio/lyric_table.h"
#include "audio/music_table.h"
#include "render/output_settings.h"
#include "photos/editing.h"
#include "render/render_names.h"
#include "render/render_pass.h"
#include "audio/audio_names.h"
#include "effects/caption_columns.h"
#include "photos/photo_columns.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

using namespace fotarel;
using fotarel::test::AlbumRun;

namespace {

const QString kPhotos = photo_tables::Photos;
const QString kMusic = audio::names::MusicTable;
const QString kLyrics = audio::names::LyricTable;

QString makeSong(AlbumRun& run, const QString& name)
{
    const QString song = run.tree.path(name);
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac", "2", "-c:a",
                       "libmp3lame", song});
    p.waitForFinished(30000);
    return song;
}

QList<Row> rowsOf(const Table& table)
{
    QList<Row> rows;
    for (int r = 0; r < table.rowCount(); ++r)
        rows.append(table.row(r));
    return rows;
}

QList<QImage> render(AlbumRun& run, const QString& name)
{
    run.session.set(settings::vars::OutputType, settings::kAvi);
    run.session.set(settings::vars::Width, "320");
    run.session.set(settings::vars::Height, "180");
    run.session.set(render::vars::VideoOut, run.tree.path(name));
    run.session.set(render::vars::AudioOut, run.tree.path(name));
    render::RenderPass pass(run.session, run.folder);
    EXPECT_EQ(pass.run().outcome, render::PassOutcome::Completed);
    return fotarel::test::decodeFrames(run.tree.path(name));
}

// A lyric outline other than the default: it must come back from the file.
const TextOutline kOutline{"clNavy", 0x800000, 5};

struct ProjectAlbum : AlbumRun {
    ProjectAlbum()
    {
        addMovieTemplate("t01", {});
        loadLibrary();
        importColours({QColor(230, 30, 30), QColor(30, 200, 30), QColor(30, 30, 230)});
        session.table(kMusic).appendRow({"1", "song", ".mp3", makeSong(*this, "song.mp3"), "00:00:02", "50", "wu", "wu"});
        // A lyric file bound to the song, and a caption.
        const QString lrc = tree.path("song.lrc");
        QFile file(lrc);
        file.open(QIODevice::WriteOnly);
        file.write("[00:00.50]第一行\n[00:01.20]第二行\n");
        file.close();
        Row lyric = audio::lyricRow(1, lrc);
        audio::LyricStyle style;
        style.outline = kOutline;
        audio::writeStyle(lyric, style);
        lyric[audio::LyricCol::SongKey] = "20261210-1";
        lyric[audio::LyricCol::SongName] = "song";
        session.table(kLyrics).appendRow(lyric);
        session.table(kMusic).setCell(0, audio::MusicCol::LyricKey, "20261210-1");
        session.table(kMusic).setCell(0, audio::MusicCol::LyricName, "song");
        session.table(effects::kCaptionTable).appendRow({"1", "片头"});
        session.set(settings::vars::Quality, settings::kHighQuality);
        session.set(settings::vars::LoopMusic, "True");
    }
    QString projectPath() { return tree.path("album.fotarel"); }
};

TEST(AlbumProject, SavedAlbumOpensAsTheSameTablesAndFrames)
{
    ProjectAlbum run;
    const QList<QImage> before = render(run, "before.avi");
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(project::saveProject(run.session, run.projectPath(), 7u).isEmpty());
    QFile saved(run.projectPath());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    EXPECT_FALSE(project::albumChanged(run.session, text));

    // The album changes, then the project brings it back.
    PhotoContext& ctx = run.ctx;
    clearAllPhotos(ctx);
    run.session.table(kMusic).clear();
    run.session.table(kLyrics).clear();
    run.session.table(effects::kCaptionTable).clear();
    run.session.set(settings::vars::Quality, settings::kNormalQuality);
    EXPECT_TRUE(project::albumChanged(run.session, text));

    const project::OpenReport report = project::openProject(ctx, run.projectPath());
    ASSERT_TRUE(report.opened) << report.error.toStdString();
    EXPECT_EQ(report.seed, std::optional<unsigned>(7u));
    EXPECT_TRUE(report.missing.isEmpty());
    EXPECT_TRUE(run.ui.messages.isEmpty());
    EXPECT_FALSE(project::albumChanged(run.session, text));
    EXPECT_EQ(run.session.get(settings::vars::Quality), settings::kHighQuality);
    EXPECT_EQ(run.session.table(kLyrics).cell(0, audio::LyricCol::SongKey), "20261210-1");
    EXPECT_EQ(audio::styleOfRow(run.session.table(kLyrics).row(0)).outline, kOutline);
    EXPECT_EQ(run.session.table(effects::kCaptionTable).rowCount(), 1);
    EXPECT_EQ(run.session.table(audio::names::LyricList).rowCount(), 1);

    const QList<QImage> after = render(run, "after.avi");
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i)
        ASSERT_EQ(after[i], before[i]) << "frame " << i;
}

TEST(AlbumProject, MissingFilesAreListedOnceAndLeftOut)
{
    ProjectAlbum run;
    ASSERT_TRUE(project::saveProject(run.session, run.projectPath()).isEmpty());
    const QString gonePhoto = run.session.table(kPhotos).cell(1, 1);
    const QString goneSong = run.session.table(kMusic).cell(0, 3);
    ASSERT_TRUE(QFile::remove(gonePhoto));
    ASSERT_TRUE(QFile::remove(goneSong));

    const project::OpenReport report = project::openProject(run.ctx, run.projectPath());
    ASSERT_TRUE(report.opened);
    EXPECT_EQ(report.missing, (QStringList{gonePhoto, goneSong}));
    ASSERT_EQ(run.ui.messages.size(), 1);
    EXPECT_TRUE(run.ui.messages[0].startsWith(project::kMissingMessage));
    EXPECT_TRUE(run.ui.messages[0].contains(gonePhoto));
    const Table& photos = run.session.table(kPhotos);
    ASSERT_EQ(photos.rowCount(), 2);
    for (int r = 0; r < photos.rowCount(); ++r) {
        EXPECT_NE(photos.cell(r, 1), gonePhoto);
        EXPECT_EQ(photos.cell(r, 21), "jiancai_yes") << "crop of row " << r;
    }
    EXPECT_EQ(run.session.table(kMusic).rowCount(), 0);
    EXPECT_EQ(run.session.table(audio::names::MusicList).rowCount(), 0);
    // The lyric file stays; its binding to the song that is gone does not.
    ASSERT_EQ(run.session.table(kLyrics).rowCount(), 1);
    EXPECT_EQ(run.session.table(kLyrics).cell(0, audio::LyricCol::SongKey), "wu");
    EXPECT_EQ(run.session.table(kLyrics).cell(0, audio::LyricCol::SongName), "wu");
}

TEST(AlbumProject, BrokenOrNewerFilesLeaveTheAlbumUntouched)
{
    ProjectAlbum run;
    const QByteArray good = project::projectText(run.session);
    QByteArray newer = good;
    newer.replace("\"fotarel_album\": 1", "\"fotarel_album\": 2");
    QByteArray shortRow = good;
    shortRow.replace("\"jiancai_yes\",\n                \"jiancai_yes\"", "\"jiancai_yes\"");
    struct Case {
        const char* what;
        QByteArray text;
        QString message;
    };
    const Case cases[] = {
        {"empty", "", project::kBrokenMessage},
        {"not json", "\x01\x02garbage{", project::kBrokenMessage},
        {"half written", good.left(good.size() / 2), project::kBrokenMessage},
        {"no version", "{\"settings\":{},\"tables\":{}}", project::kBrokenMessage},
        {"newer version", newer, project::kNewerMessage},
        {"unknown table", "{\"fotarel_album\":1,\"settings\":{},\"tables\":{\"x\":[]}}", project::kBrokenMessage},
        {"photo row too short", shortRow, project::kBrokenMessage},
        {"cell not text", "{\"fotarel_album\":1,\"settings\":{},\"tables\":{\"ListView_Label\":[[1]]}}",
         project::kBrokenMessage},
    };
    const QList<Row> photosBefore = rowsOf(run.session.table(kPhotos));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile file(run.projectPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.text);
        file.close();
        run.ui.messages.clear();
        const project::OpenReport report = project::openProject(run.ctx, run.projectPath());
        EXPECT_FALSE(report.opened);
        ASSERT_EQ(run.ui.messages.size(), 1);
        EXPECT_EQ(run.ui.messages[0], c.message + run.projectPath());
        EXPECT_EQ(rowsOf(run.session.table(kPhotos)), photosBefore);
    }
    ASSERT_NE(shortRow, good) << "the short-row case must really cut a cell";
}

TEST(AlbumProject, SavingOverAnUnwritablePlaceSaysSoAndKeepsTheOldFile)
{
    ProjectAlbum run;
    const QString missingFolder = run.tree.path("no/such/folder/album.fotarel");
    EXPECT_EQ(project::saveProject(run.session, missingFolder), project::kSaveFailedMessage + missingFolder);
}

} // namespace
