// Album project files: a saved album opens as the same album (tables and
// decoded frames), missing files are listed and left out, and a broken or
// newer file leaves the current album as it was.
#include "project/album_project.h"

#include "tests/render/album_fixture.h"

#include "audio/lyric_table.h"
#include "audio/music_table.h"
#include "render/output_settings.h"
#include "photos/editing.h"
#include "photos/import.h"
#include "render/render_names.h"
#include "render/render_pass.h"
#include "audio/audio_names.h"
#include "effects/caption_columns.h"
#include "photos/photo_columns.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <string>

#include <sys/mount.h>
#include <unistd.h>

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

TEST(AlbumProject, TemplatesAreKeptByNameSoTheAlbumOpensWhereverTheProgramIs)
{
    ProjectAlbum first;
    const QList<QImage> before = render(first, "before.avi");
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(project::saveProject(first.session, first.projectPath()).isEmpty());
    QFile saved(first.projectPath());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray named = saved.readAll();
    EXPECT_FALSE(named.contains("wj_0_or_2")) << "the project names the program's own library";
    const std::optional<project::ProjectContent> content = project::parseProject(named, nullptr);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->tables.at(kPhotos).value(0).value(PhotoCol::MoviePackage), "t01.rar");

    // A program elsewhere (its library in another folder) opens the project,
    // one saved by an older program that kept the library's paths, and one
    // whose template the library no longer has: the first template with the
    // same slots stands in, and a message says so.
    QByteArray withPath = named;
    withPath.replace("\"t01.rar\"", "\"/old/place/bin/smxcwjj/wj_0_or_2/wjj_01/t01.rar\"");
    QByteArray gone = named;
    gone.replace("\"t01.rar\"", "\"gone.rar\"");
    const struct {
        const char* what;
        QByteArray text;
        QStringList messages;
    } cases[] = {
        {"named", named, {}},
        {"old path", withPath, {}},
        {"template gone", gone, {project::kTemplateReplacedMessage + "\ngone.rar → t01.rar"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProjectAlbum moved;
        QFile file(moved.projectPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.text);
        file.close();
        const project::OpenReport report = project::openProject(moved.ctx, moved.projectPath());
        ASSERT_TRUE(report.opened);
        EXPECT_TRUE(report.missing.isEmpty()) << report.missing.join(", ").toStdString();
        EXPECT_EQ(moved.ui.messages, c.messages);
        EXPECT_TRUE(moved.session.table(kPhotos).cell(0, PhotoCol::MoviePackage).startsWith(moved.tree.root()));
        const QList<QImage> after = render(moved, "after.avi");
        ASSERT_EQ(after.size(), before.size());
        for (int i = 0; i < before.size(); ++i)
            ASSERT_EQ(after[i], before[i]) << "frame " << i;
    }

    // No template with the same slots: the template is listed as missing.
    QByteArray noneLikeIt = gone;
    noneLikeIt.replace("\"|heng|\"", "\"|shu|\"");
    ProjectAlbum moved;
    QFile file(moved.projectPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(noneLikeIt);
    file.close();
    const project::OpenReport report = project::openProject(moved.ctx, moved.projectPath());
    ASSERT_TRUE(report.opened);
    EXPECT_TRUE(report.missing.join(",").contains("gone.rar")) << report.missing.join(", ").toStdString();
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

TEST(AlbumProject, HandCropsComeBackAndOneForAReplacedPhotoFallsBackToAutomatic)
{
    ProjectAlbum run;
    Table& photos = run.session.table(kPhotos);
    ASSERT_EQ(photos.rowCount(), 3);
    // The photos are 240 x 135 in a full frame: hand crops of a 16:9 part.
    // Row 0's reaches past the right edge; row 1's photo is replaced by one
    // of another size after saving.
    photos.setCell(0, PhotoCol::Crop, "200,10,96,54");
    photos.setCell(0, PhotoCol::CropByHand, "T");
    photos.setCell(1, PhotoCol::Crop, "0,0,160,90");
    photos.setCell(1, PhotoCol::CropByHand, "T");
    ASSERT_TRUE(project::saveProject(run.session, run.projectPath()).isEmpty());
    const QString replaced = photos.cell(1, PhotoCol::Path);
    QImage other(300, 300, QImage::Format_RGB32);
    other.fill(Qt::white);
    ASSERT_TRUE(other.save(replaced, "JPG"));

    const project::OpenReport report = project::openProject(run.ctx, run.projectPath());
    ASSERT_TRUE(report.opened);
    ASSERT_EQ(run.ui.messages.size(), 1);
    EXPECT_EQ(run.ui.messages[0], cropsResetMessage({replaced}));
    // Clamped into the photo, still by hand.
    EXPECT_EQ(photos.cell(0, PhotoCol::Crop), "144,10,96,54");
    EXPECT_EQ(photos.cell(0, PhotoCol::CropByHand), "T");
    // The replaced photo: the automatic crop of the square photo it is now
    // in a 16:9 frame (its middle, as a white photo shows nothing), no
    // longer by hand.
    EXPECT_EQ(photos.cell(1, PhotoCol::CropByHand), "");
    EXPECT_EQ(photos.cell(1, PhotoCol::Crop), "0,66,300,169");
    EXPECT_EQ(photos.cell(2, PhotoCol::CropByHand), "");
    EXPECT_EQ(photos.cell(2, PhotoCol::Crop), "0,0,240,135");
    EXPECT_EQ(photos.cell(0, PhotoCol::CropDone), "jiancai_yes");
    EXPECT_EQ(photos.cell(1, PhotoCol::CropDone), "jiancai_yes");
}

TEST(AlbumProject, BrokenOrNewerFilesLeaveTheAlbumUntouched)
{
    ProjectAlbum run;
    const QByteArray good = project::projectText(run.session);
    QByteArray newer = good;
    newer.replace("\"fotarel_album\": 1", "\"fotarel_album\": 2");
    QByteArray shortRow = good;
    // The first photo row ends after its thumbnail flag: no crop flag.
    shortRow.replace("\"jiancai_yes\",\n                \"jiancai_yes\",\n                \"0,0,240,135\",\n                \"\"",
                     "\"jiancai_yes\"");
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

// The good project's text with one cell of a table (or one setting) replaced.
QByteArray withCell(const QByteArray& good, const QString& table, int row, int column, const QString& value)
{
    QJsonObject root = QJsonDocument::fromJson(good).object();
    QJsonObject tables = root["tables"].toObject();
    QJsonArray rows = tables[table].toArray();
    QJsonArray cells = rows[row].toArray();
    cells[column] = value;
    rows[row] = cells;
    tables[table] = rows;
    root["tables"] = tables;
    return QJsonDocument(root).toJson();
}

QByteArray withSetting(const QByteArray& good, const QString& name, const QString& value)
{
    QJsonObject root = QJsonDocument::fromJson(good).object();
    QJsonObject settings = root["settings"].toObject();
    settings[name] = value;
    root["settings"] = settings;
    return QJsonDocument(root).toJson();
}

TEST(AlbumProject, NumbersBeyondWhatTheAlbumCanHoldAreRefusedAndNamed)
{
    ProjectAlbum run;
    const QByteArray good = project::projectText(run.session);
    const QString photos = kPhotos;
    struct Case {
        const char* what;
        QByteArray text;
        QString reason; // the message's second line
    };
    const Case cases[] = {
        {"group beyond the photos", withCell(good, photos, 1, PhotoCol::Group, "2147483647"),
         "相片第 2 行的组号“2147483647”不在 1 到 3 之间。"},
        {"group 100000", withCell(good, photos, 0, PhotoCol::Group, "100000"),
         "相片第 1 行的组号“100000”不在 1 到 3 之间。"},
        {"frame count 2^31-1", withCell(good, photos, 2, PhotoCol::FrameCount, "2147483647"),
         "相片第 3 行的模板帧数“2147483647”不在 1 到 65535 之间。"},
        {"slot larger than any picture", withCell(good, photos, 0, PhotoCol::SlotWidth, "100000"),
         "相片第 1 行的照片位宽度“100000”不在 0 到 7680 之间。"},
        {"photo without a size", withCell(good, photos, 0, PhotoCol::Height, "0"),
         "相片第 1 行的高度“0”不在 1 到 65535 之间。"},
        {"no number", withCell(good, photos, 0, PhotoCol::Width, "wide"),
         "相片第 1 行的宽度“wide”不在 1 到 65535 之间。"},
        {"picture outside the work folder", withCell(good, photos, 0, PhotoCol::PictureName, "../../picture_1"),
         "相片第 1 行的图片名“../../picture_1”不是 picture_1 到 picture_1 之一。"},
        {"song of 2^31-1 frames", withCell(good, kMusic, 0, audio::MusicCol::Frames, "2147483647"),
         "音乐第 1 行的帧数“2147483647”不在 1 到 900000 之间。"},
        {"lyric size", withCell(good, kLyrics, 0, audio::LyricCol::Size, "99999"),
         "歌词第 1 行的字号“99999”不在 1 到 200 之间。"},
        {"lyric colour", withCell(good, kLyrics, 0, audio::LyricCol::ColourValue, "-1"),
         "歌词第 1 行的颜色值“-1”不在 0 到 16777215 之间。"},
        {"output size beyond the panel", withSetting(good, settings::vars::Width, "100000"),
         "输出尺寸“100000 × 1080”不在 16 × 16 到 1920 × 1080 之间。"},
        {"output size of no pixels", withSetting(good, settings::vars::Height, "0"),
         "输出尺寸“1920 × 0”不在 16 × 16 到 1920 × 1080 之间。"},
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
        EXPECT_EQ(run.ui.messages[0], project::kBrokenMessage + run.projectPath() + "\n" + c.reason);
        EXPECT_EQ(rowsOf(run.session.table(kPhotos)), photosBefore);
    }

    // Two songs of 900000 frames each: every number in range, the album not.
    QJsonObject root = QJsonDocument::fromJson(withCell(good, kMusic, 0, audio::MusicCol::Frames, "900000")).object();
    QJsonObject tables = root["tables"].toObject();
    QJsonArray songs = tables[kMusic].toArray();
    songs.append(songs[0]);
    tables[kMusic] = songs;
    root["tables"] = tables;
    QString error, reason;
    EXPECT_FALSE(project::parseProject(QJsonDocument(root).toJson(), &error, &reason));
    EXPECT_EQ(error, project::kBrokenMessage);
    EXPECT_EQ(reason, "相册有 1800000 帧，超过了最长的 900000 帧（10 小时）。");
    // The untouched project is in range.
    EXPECT_TRUE(project::parseProject(good, &error, &reason)) << reason.toStdString();
}

TEST(AlbumProject, SavingOverAnUnwritablePlaceSaysSoAndKeepsTheOldFile)
{
    ProjectAlbum run;
    const QString missingFolder = run.tree.path("no/such/folder/album.fotarel");
    EXPECT_EQ(project::saveProject(run.session, missingFolder), project::kSaveFailedMessage + missingFolder);
}

// A small file system of its own, mounted for the test (needs root and a
// machine that allows mounts; the test says why it is skipped otherwise).
class SmallDisk {
public:
    explicit SmallDisk(const QString& where) : where_(where)
    {
        if (geteuid() != 0) {
            why_ = "mounting a small file system needs root";
            return;
        }
        if (::mount("tmpfs", where.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0) {
            why_ = std::string("this machine does not allow mounting a tmpfs: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(where_.toLocal8Bit().constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return why_; }
    bool makeReadOnly()
    {
        return ::mount(nullptr, where_.toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    // Writes zeros until the file system is full.
    void fill() const
    {
        QFile filler(where_ + "/filler");
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(512, '\0');
        while (filler.write(block) == block.size()) {
        }
    }

private:
    QString where_;
    bool mounted_ = false;
    std::string why_;
};

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

TEST(AlbumProject, AFullOrReadOnlyDiskKeepsTheOldProjectAndSaysSo)
{
    ProjectAlbum run;
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        const QString disk = run.tree.path(readOnly ? "ro-disk" : "full-disk");
        ASSERT_TRUE(QDir().mkpath(disk));
        SmallDisk small(disk);
        if (!small.mounted())
            GTEST_SKIP() << small.whyNot();
        const QString path = disk + "/album.fotarel";
        const QByteArray old("{\"fotarel_album\": 1, \"settings\": {}, \"tables\": {}}\n");
        QFile oldFile(path);
        ASSERT_TRUE(oldFile.open(QIODevice::WriteOnly));
        ASSERT_EQ(oldFile.write(old), old.size());
        oldFile.close();
        if (readOnly)
            ASSERT_TRUE(small.makeReadOnly());
        else
            small.fill();

        EXPECT_EQ(project::saveProject(run.session, path), project::kSaveFailedMessage + path);
        EXPECT_EQ(contentOf(path), old);
        QStringList left = QDir(disk).entryList(QDir::Files | QDir::Hidden);
        left.removeAll("filler");
        EXPECT_EQ(left, QStringList{"album.fotarel"}) << "no temporary file is left";
    }
}

} // namespace
