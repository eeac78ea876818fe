// The album commands of the command-line front end: the same import, fitting,
// cropping, render pass and conversion as the desktop program, with options
// in place of dialogs.
#include "cli/album_commands.h"

#include "cli/console_ui.h"
#include "cli/demo_media.h"
#include "cli/stop_on_signals.h"

#include "audio/binding_commands.h"
#include "audio/lyric_import.h"
#include "audio/music_import.h"
#include "audio/music_table.h"
#include "karaoke/karaoke_table.h"
#include "karaoke/ksc_file.h"
#include "karaoke/lyric_type.h"
#include "core/working_folder.h"
#include "effects/caption_columns.h"
#include "effects/caption_option.h"
#include "engine/startup.h"
#include "project/album_project.h"
#include "photos/crop.h"
#include "photos/fitting.h"
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "photos/photo_context.h"
#include "photos/random_source.h"
#include "render/output_settings.h"
#include "render/album_length.h"
#include "render/frame_compositor.h"
#include "render/output_commands.h"
#include "render/render_names.h"
#include "render/render_pass.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>

#include <chrono>
#include <functional>
#include <cstdio>
#include <map>
#include <random>

namespace fotarel::cli {

namespace {

// Template draws from a fixed seed: the same inputs and seed give the same album.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(unsigned seed) : engine_(seed) {}
    int draw(int n) override { return n <= 1 ? 0 : int(engine_() % unsigned(n)); }

private:
    std::mt19937 engine_;
};

const QString kStoppedMessage = QStringLiteral("已停止制作。");

void fail(const QString& text)
{
    std::fprintf(stderr, "fotarel-cli: %s\n", text.toLocal8Bit().constData());
}

// A notice that does not stop the job.
void notice(const QString& text)
{
    std::fprintf(stderr, "fotarel-cli: 注意：%s\n", text.toLocal8Bit().constData());
}

struct AlbumJob {
    QStringList photos;
    QStringList songs;
    // LRC and KSC files, each with the index in `songs` of the --song before it.
    QList<QPair<int, QString>> lrcFiles;
    QList<QPair<int, QString>> kscFiles;
    QString lyricType = QString(karaoke::kUseBoth);
    QList<Row> captions; // caption-table rows from --caption
    QString type = settings::kDvd;
    QString imageFormat; // for image sequences
    QString standard = settings::kPal;
    QString quality = settings::kHighQuality;
    QSize size;
    QString length = QStringLiteral("photos");
    bool loopMusic = false;
    bool loopPictures = false;
    unsigned seed = 0;
    bool seeded = false;
    QString output;
    QString project;     // --project: the album comes from this file
    QString saveProject; // --save-project: the album is saved here
    QStringList given;   // the options set on the command line
    bool timings = false; // --timings: where the render's time went
    // --keep-frames / --keep-ranges: frames written raw for the render
    // benchmark's encode-only reference, [first, end) album frames.
    QString keepFrames;
    std::vector<std::pair<int, int>> keepRanges;
    // Makes a song as long as the photos' album (its frames given) and
    // returns its path: it becomes the first song (the demo).
    std::function<QString(int frames)> songForAlbum;
    QString crop;                        // --crop: "auto" or "top-left"; empty: not given
    std::map<int, QString> templates;    // --template N=NAME
};

// The type as the user named it: "JPG" rather than the internal "XLTP".
QString typeName(const AlbumJob& job)
{
    return job.type == settings::kImageSequence ? job.imageFormat : job.type;
}

// What an image sequence wrote: "N 张图片：001.JPG … 475.JPG".
QString writtenImages(const QString& folder)
{
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    if (files.isEmpty())
        return {};
    return QStringLiteral("%1 张图片：%2 … %3").arg(files.size()).arg(files.first(), files.last());
}

// --timings: the painting time of every template (in the order they played)
// and of the other stages on the render's thread, on standard error.
void printTimings(const render::StageTimes& times)
{
    // Names are Latin text so the columns line up in any terminal; the
    // header line starts with "模板" (bench/render/run.sh looks for it).
    std::fprintf(stderr, "%s\n", "模板 (template)               帧数  绘制毫秒  每帧毫秒   （制作线程的处理器时间）");
    double paint = 0;
    int frames = 0;
    for (const render::StageTimes::Template& t : times.templates) {
        std::fprintf(stderr, "%-28s %7d %10.0f %8.2f\n", qPrintable(t.name), t.frames, t.paintMs,
                     t.frames ? t.paintMs / t.frames : 0.0);
        paint += t.paintMs;
        frames += t.frames;
    }
    std::fprintf(stderr, "%-28s %7d %10.0f %8.2f\n", "全部模板的绘制 (all)", frames, paint,
                 frames ? paint / frames : 0.0);
    std::fprintf(stderr, "%-28s %7d %10.0f %8.2f\n", "交给编码器 (hand-over)", frames, times.handOverMs,
                 frames ? times.handOverMs / frames : 0.0);
    std::fprintf(stderr, "%-28s %7d %10.0f %8.2f   （实际时间：等待编码器、音频）\n",
                 "转换中 (conversion)", frames, times.conversionMs, frames ? times.conversionMs / frames : 0.0);
}

// A text bar on standard error, redrawn when its percentage changes.
class ProgressLine {
public:
    void show(int value, int maximum)
    {
        if (maximum <= 0)
            return;
        const int percent = int(qint64(value) * 100 / maximum);
        if (percent == last_)
            return;
        last_ = percent;
        const int filled = percent * 40 / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%", QByteArray(filled, '#').constData(),
                     QByteArray(40 - filled, '.').constData(), percent);
        std::fflush(stderr);
    }
    void end()
    {
        if (last_ >= 0)
            std::fprintf(stderr, "\n");
        last_ = -1;
    }

private:
    int last_ = -1;
};

// Each --ksc goes with the --song before it; a song without one shows no
// karaoke.
void addKaraoke(Session& session, const AlbumJob& job)
{
    const Table& songs = session.table(audio::names::MusicTable);
    for (const auto& [given, file] : job.kscFiles) {
        const QString song = job.songs.value(given);
        bool read = false;
        for (int i = 0; i < songs.rowCount() && !read; ++i)
            read = songs.cell(i, audio::MusicCol::Path) == song;
        if (read) // a song that could not be read takes no karaoke file
            karaoke::importKaraokeFiles(session, {file}, song);
    }
}

// Reads every karaoke file before anything is made: a file that is no
// karaoke file ends the command. The lines it repaired are listed once, by
// the render pass's log.
bool checkKaraokeFiles(const AlbumJob& job)
{
    for (const auto& [song, path] : job.kscFiles) {
        const karaoke::KscDocument document = karaoke::readKscFile(path);
        if (!document.ok()) {
            fail(document.error);
            return false;
        }
    }
    return true;
}

// The values of `option` (--lrc, --ksc), each with the index of the --song
// given before it on the command line.
bool filesBySong(const QCommandLineParser& parser, const QString& option, QList<QPair<int, QString>>& files,
                 QString& error)
{
    const QStringList values = parser.values(option);
    int songsSeen = 0;
    int valuesSeen = 0;
    for (const QString& name : parser.optionNames()) {
        if (name == QLatin1String("song")) {
            ++songsSeen;
        } else if (name == option) {
            const QString file = values.value(valuesSeen++);
            if (songsSeen == 0) {
                error = QStringLiteral("--%1 %2 在所有 --song 之前；每个 --%1 属于它前面的 --song。")
                            .arg(option, file);
                return false;
            }
            files.append({songsSeen - 1, file});
        }
    }
    return true;
}

// Imports the --lrc files and binds each to the song of the --song before
// it; a song or lyric file that could not be read binds nothing (the import
// has said why).
void addLrcFiles(Session& session, const WorkingFolder& folder, UiPort& ui, const AlbumJob& job, int firstSongRow,
                 const QStringList& skippedSongs)
{
    if (job.lrcFiles.isEmpty())
        return;
    QList<int> songRows;
    int row = firstSongRow;
    for (const QString& song : job.songs)
        songRows.append(skippedSongs.contains(song) ? -1 : row++);
    QStringList files;
    for (const auto& [song, file] : job.lrcFiles)
        files.append(file);
    const audio::LyricImportResult lyrics = audio::runLyricImport(session, folder, ui, files);
    // The import bound the new rows by name and position; the command line
    // binds them by the order of its options.
    for (int lyric : lyrics.rows)
        if (lyric >= 0)
            audio::unbindLyric(session, lyric);
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < job.lrcFiles.size(); ++i) {
        const int song = songRows.value(job.lrcFiles[i].first, -1);
        const int lyric = lyrics.rows.value(i, -1);
        if (song >= 0 && lyric >= 0)
            audio::bindByHand(session, audio::Side::Music, song, lyric, now);
    }
}

// The crop rule of --crop: set before the photos are cropped. A project
// keeps its own rule unless --crop names one; then its crops are made anew.
bool openAndImport(PhotoContext& context, const AlbumJob& job)
{
    auto applyCrop = [&] {
        if (!job.crop.isEmpty())
            context.session.set(kTopLeftCropVariable,
                                job.crop == QLatin1String("top-left") ? QStringLiteral("True") : QStringLiteral("False"));
    };
    applyCrop();
    if (job.project.isEmpty())
        return true;
    const project::OpenReport opened = project::openProject(context, job.project);
    if (!opened.opened)
        return false; // the console has shown why
    if (!job.crop.isEmpty() && !context.session.table(photo_tables::Photos).isEmpty()) {
        applyCrop();
        makePhotoFiles(context, 0);
    }
    return true;
}

// Loads the template library into the session; false (after saying why)
// when the run's own working folder could not be made or the library cannot
// be read.
bool openLibrary(const PrivateWorkFolder& work, Session& session, UiPort& ui)
{
    if (!work.isValid()) {
        fail(workFolderUnavailableMessage());
        return false;
    }
    const StartupReport report = loadTemplateLibrary(session, work.folder(), ui);
    if (report.outcome != StartupOutcome::Ready) {
        fail(QStringLiteral("无法读取模板库（%1）。").arg(report.detail));
        return false;
    }
    return true;
}

// Whether a file can be made in `folder`: a real try, so permissions, a
// read-only disk and root's rights answer as they will for the output.
bool canWriteIn(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.fotarel-XXXXXX"));
    return probe.open();
}

// The output's place, checked before anything is imported or rendered: a
// name that is a folder, a folder that is missing or cannot be written.
// Empty when the output can be written there.
QString outputPlaceProblem(const AlbumJob& job)
{
    if (!job.output.isEmpty()) {
        const QString out = QFileInfo(job.output).absoluteFilePath();
        if (job.type == settings::kImageSequence) {
            if (QFileInfo::exists(out))
                return QStringLiteral("%1 已存在，请为序列图另取一个新文件夹名。").arg(out);
            // The nearest level that exists must take the new folders.
            QString level = QFileInfo(out).absolutePath();
            while (!QFileInfo::exists(level) && QFileInfo(level).absolutePath() != level)
                level = QFileInfo(level).absolutePath();
            if (!QFileInfo(level).isDir() || !canWriteIn(level))
                return QStringLiteral("无法创建文件夹 %1。").arg(out);
        } else {
            const QString named = render::videoOutputPath(out, job.type);
            if (QFileInfo(named).isDir())
                return QStringLiteral("%1 是一个文件夹，请给出相册文件的名字。").arg(named);
            const QString folder = QFileInfo(named).absolutePath();
            if (!QFileInfo(folder).isDir())
                return QStringLiteral("%1 所在的文件夹不存在。").arg(named);
            if (!canWriteIn(folder))
                return QStringLiteral("无法在文件夹 %1 中写入文件。").arg(folder);
        }
    }
    if (!job.saveProject.isEmpty()) {
        const QFileInfo saved(QFileInfo(job.saveProject).absoluteFilePath());
        if (saved.isDir())
            return QStringLiteral("%1 是一个文件夹，请给出工程文件的名字。").arg(saved.filePath());
        if (!QFileInfo(saved.absolutePath()).isDir() || !canWriteIn(saved.absolutePath()))
            return project::kSaveFailedMessage + saved.filePath();
    }
    return {};
}

int makeAlbumNow(AlbumJob job, ConsoleUi& ui, const std::stop_source& stop);

// The whole command. Ctrl-C and SIGTERM stop it at any step: during the
// import, the project opening and the set-up as well as during the render,
// it says it stopped, leaves no file and ends as a stopped render does.
int runJob(const AlbumJob& job)
{
    std::stop_source stop;
    const StopOnSignals interrupt(stop);
    ConsoleUi ui(stop.get_token());
    try {
        return makeAlbumNow(job, ui, stop);
    } catch (const StopRequested&) {
        std::fprintf(stderr, "\n");
        fail(kStoppedMessage);
        return 1;
    }
}

int makeAlbumNow(AlbumJob job, ConsoleUi& ui, const std::stop_source& stop)
{
    if (const QString problem = outputPlaceProblem(job); !problem.isEmpty()) {
        fail(problem);
        return 1;
    }
    if (!checkKaraokeFiles(job))
        return 1;

    // Every run works in a folder of its own, so runs side by side and the
    // desktop program never share a working file.
    const PrivateWorkFolder work(QCoreApplication::applicationDirPath());
    Session session;
    if (!openLibrary(work, session, ui))
        return 1;
    const WorkingFolder& folder = work.folder();

    // Photos: import, fitting, work folders and crops.
    std::unique_ptr<RandomSource> random;
    if (job.seeded)
        random = std::make_unique<SeededRandom>(job.seed);
    else
        random = std::make_unique<ClockRandom>();
    PhotoContext context{session, folder, ui, *random, nullptr, {},
                         {std::chrono::milliseconds(0), std::chrono::milliseconds(0), 0}};
    context.import.templates = job.templates;
    if (!openAndImport(context, job))
        return 1;
    ui.processEvents(); // a stop given while the project opened ends the command here
    const ImportReport imported = job.photos.isEmpty() ? ImportReport{} : importPhotos(context, job.photos);
    ui.processEvents();
    if (!imported.refusal.isEmpty()) {
        fail(imported.refusal);
        return 1;
    }
    if (session.table(photo_tables::Photos).isEmpty()) {
        fail(QStringLiteral("没有一张相片可以读取。"));
        return 1;
    }

    if (job.songForAlbum) {
        const QString song = job.songForAlbum(render::photoAlbumFrames(session));
        if (song.isEmpty()) {
            fail(QStringLiteral("无法用 ffmpeg 合成演示乐曲。"));
            return 1;
        }
        job.songs.prepend(song);
    }

    // Songs, then their lyric files. An image sequence has no sound: its
    // songs only time the lyrics and the album length.
    if (!job.songs.isEmpty() && job.type == settings::kImageSequence)
        notice(QStringLiteral("序列图只有画面，--song 给出的音乐不会写出（只用于歌词时间和相册长度）。"));
    QStringList skippedSongs;
    const int firstSongRow = session.table(audio::names::MusicTable).rowCount();
    if (!job.songs.isEmpty()) {
        const audio::MusicImportResult music = audio::runMusicImport(session, folder, ui, job.songs);
        if (music.added == 0) {
            fail(QStringLiteral("没有一首音乐可以读取。"));
            return 1;
        }
        skippedSongs = music.skipped;
    }
    ui.processEvents();
    addLrcFiles(session, folder, ui, job, firstSongRow, skippedSongs);
    addKaraoke(session, job);
    session.set(karaoke::kLyricTypeVariable, job.lyricType);

    // Captions, in the order given.
    for (const Row& caption : job.captions)
        session.table(effects::kCaptionTable).appendRow(caption);

    // Settings: a project keeps its own unless the command line names them.
    auto chosen = [&job](const char* option) {
        return job.project.isEmpty() || job.given.contains(QLatin1String(option));
    };
    if (chosen("type")) {
        session.set(settings::vars::OutputType, job.type);
        if (job.type == settings::kImageSequence)
            settings::chooseImageFormat(session, job.imageFormat);
    }
    if (chosen("standard"))
        settings::setTvStandard(session, job.standard);
    if (chosen("quality"))
        settings::setPictureQuality(session, job.quality);
    if (chosen("length")) {
        if (!session.table(audio::names::MusicTable).isEmpty() && job.length == QLatin1String("music"))
            settings::chooseFollowMusic(session);
        else
            settings::chooseFollowPhotos(session);
    }
    if (chosen("loop-music"))
        settings::setLoopMusic(session, job.loopMusic);
    if (chosen("loop-pictures"))
        settings::setLoopPictures(session, job.loopPictures);
    if (job.size.isValid()) {
        session.setInt(settings::vars::Width, job.size.width());
        session.setInt(settings::vars::Height, job.size.height());
    }
    // What the album is made as: a project's own type and standard unless
    // the command line named others. The output name follows it.
    job.type = session.get(settings::vars::OutputType);
    job.standard = session.get(settings::vars::TvStandard);
    if (job.type == settings::kImageSequence) {
        const QString format = session.get(settings::vars::ImageFormat);
        job.imageFormat = settings::imageSequenceFormats().contains(format) ? format
                                                                            : settings::imageSequenceFormats().first();
    }

    if (!job.saveProject.isEmpty()) {
        const QString error =
            project::saveProject(session, QFileInfo(job.saveProject).absoluteFilePath(),
                                 job.seeded ? std::optional<unsigned>(job.seed) : std::nullopt);
        if (!error.isEmpty()) {
            fail(error);
            return 1;
        }
        std::fprintf(stdout, "%s\n", qPrintable(QFileInfo(job.saveProject).absoluteFilePath()));
        if (job.output.isEmpty())
            return 0; // saved, nothing to render
    }

    if (const int silent = render::silentFrames(session); silent > 0 && job.type != settings::kImageSequence)
        notice(QStringLiteral("音乐比相册短 %1，这段时间没有声音；加 --loop-music 可循环播放音乐补足。")
                   .arg(render::timeText(silent)));

    // A sequence's folders go again when nothing was written into them
    // (stopped, failed): the name stays free.
    struct MadeFolders {
        QStringList levels;
        ~MadeFolders() { render::removeEmptyFolders(levels); }
    } madeFolders;
    QString out = QFileInfo(job.output).absoluteFilePath();
    if (job.type == settings::kImageSequence) {
        if (QFileInfo::exists(out)) {
            fail(QStringLiteral("%1 已存在，请为序列图另取一个新文件夹名。").arg(out));
            return 1;
        }
        madeFolders.levels = render::makeSequenceFolder(out);
        if (madeFolders.levels.isEmpty()) {
            fail(QStringLiteral("无法创建文件夹 %1。").arg(out));
            return 1;
        }
        out += QStringLiteral("/01.") + job.imageFormat;
    } else {
        // The same rule as the save dialog: the type's extension is added
        // unless the name has it.
        const QString named = render::videoOutputPath(out, job.type);
        if (named != out && !QFileInfo(out).suffix().isEmpty())
            notice(QStringLiteral("%1 相册的文件名应以 .%2 结尾，输出为 %3")
                       .arg(job.type, QFileInfo(named).suffix(), QFileInfo(named).fileName()));
        out = named;
        if (!QFileInfo(QFileInfo(out).absolutePath()).isDir()) {
            fail(QStringLiteral("%1 所在的文件夹不存在。").arg(out));
            return 1;
        }
        if (job.type == settings::kAvi && job.standard == settings::kNtsc)
            notice(QStringLiteral("AVI 按 NTSC 制式以 29.97 帧/秒写出，相册的每秒 25 帧按时间重复补足，时长不变。"));
    }
    session.set(render::vars::VideoOut, out);
    session.set(render::vars::AudioOut, out);

    ProgressLine bar;
    render::PassEvents events;
    events.overall = [&bar](int v, int m) { bar.show(v, m); };
    QFile kept(job.keepFrames);
    if (!job.keepFrames.isEmpty()) {
        if (!kept.open(QIODevice::WriteOnly)) {
            fail(QStringLiteral("无法写入 %1。").arg(job.keepFrames));
            return 1;
        }
        events.frame = [&job, &kept](int index, const QImage& frame) {
            for (const auto& [first, end] : job.keepRanges)
                if (index >= first && index < end)
                    for (int y = 0; y < frame.height(); ++y)
                        kept.write(reinterpret_cast<const char*>(frame.constScanLine(y)), frame.width() * 4);
        };
    }
    render::RenderPass pass(session, folder, events);
    const std::stop_callback forward(stop.get_token(), [&pass] { pass.stop(); });
    const render::PassResult result = pass.run();
    result.applyTo(session);
    bar.end();
    if (job.timings)
        printTimings(result.times);
    // What the pass could not use (a font that is not installed, ...).
    for (const QString& line : session.table(render::tables::ErrorLog).lines())
        fail(line);
    switch (result.outcome) {
    case render::PassOutcome::Completed: {
        // An image sequence numbers its files from 01 with as many digits as
        // the last number needs: its folder holds the output.
        const bool written = job.type == settings::kImageSequence
                                 ? !QDir(QFileInfo(out).absolutePath()).isEmpty(QDir::Files)
                                 : QFileInfo::exists(out);
        if (!written) {
            fail(QStringLiteral("转换已结束，但找不到 %1。").arg(out));
            return 1;
        }
        if (job.type == settings::kImageSequence)
            std::fprintf(stdout, "%s: %s\n", qPrintable(QFileInfo(out).absolutePath()),
                         qPrintable(writtenImages(QFileInfo(out).absolutePath())));
        else
            std::fprintf(stdout, "%s: %d 帧\n", qPrintable(out), result.totalFrames);
        return 0;
    }
    case render::PassOutcome::InvalidTemplate:
        fail(QStringLiteral("有一个模板动画没有有效的标记，相册没有制作。"));
        return 1;
    case render::PassOutcome::NothingToConvert:
        fail(QStringLiteral("没有可以转换的内容。"));
        return 1;
    case render::PassOutcome::Stopped:
        fail(kStoppedMessage);
        return 1;
    case render::PassOutcome::Failed:
        break;
    }
    fail(render::failureText(result));
    return 1;
}

QCommandLineOption cropOption()
{
    return {QStringLiteral("crop"),
            QStringLiteral("相片剪裁：auto（默认，保留人脸或最醒目的部分，找不到时取中间）或 top-left（从左上角剪裁）。"),
            QStringLiteral("方式")};
}

// --seed and --crop, shared by make and plan.
bool readSeedAndCrop(const QCommandLineParser& parser, AlbumJob& job, QString& error)
{
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        job.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok) {
            error = QStringLiteral("--seed 必须是整数。");
            return false;
        }
        job.seeded = true;
    }
    if (parser.isSet(QStringLiteral("crop"))) {
        job.crop = parser.value(QStringLiteral("crop")).toLower();
        if (job.crop != QLatin1String("auto") && job.crop != QLatin1String("top-left")) {
            error = QStringLiteral("未知的剪裁方式 %1（auto 或 top-left）。").arg(parser.value(QStringLiteral("crop")));
            return false;
        }
    }
    return true;
}

// The photos named on the command line, each an existing file, made absolute.
bool readPhotos(const QCommandLineParser& parser, AlbumJob& job, QString& error)
{
    job.photos = parser.positionalArguments();
    for (QString& f : job.photos) {
        if (!QFileInfo(f).isFile()) {
            error = QStringLiteral("%1：文件不存在。").arg(f);
            return false;
        }
        f = QFileInfo(f).absoluteFilePath();
    }
    return true;
}

void addOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("输出文件（序列图为一个新文件夹）。"), QStringLiteral("路径")},
        {QStringLiteral("song"), QStringLiteral("一首音乐（MP3 或 FFmpeg 能读的音频），可重复。"), QStringLiteral("文件")},
        {QStringLiteral("lrc"),
         QStringLiteral("前一个 --song 的 LRC 歌词文件（歌词按时显示，白色黑体，居中在下方），可重复。"
                        "没有歌词文件的音乐不显示歌词。"),
         QStringLiteral("文件")},
        {QStringLiteral("ksc"), QStringLiteral("前一个 --song 的 KSC 卡拉OK歌词文件，可重复。没有卡拉OK歌词文件的音乐不显示卡拉OK歌词。"), QStringLiteral("文件")},
        {QStringLiteral("lyrics"), QStringLiteral("有卡拉OK歌词时相册显示哪种歌词：lrc、ksc 或 both（两种，默认）。"), QStringLiteral("类型")},
        {QStringLiteral("type"), QStringLiteral("DVD（默认）、SVCD、VCD、AVI、MP4（H.264 与 AAC），或序列图的 JPG、BMP、TGA、PCX。"), QStringLiteral("类型")},
        {QStringLiteral("standard"), QStringLiteral("电视制式 PAL（默认）或 NTSC。"), QStringLiteral("制式")},
        {QStringLiteral("quality"), QStringLiteral("画面质量 high（高清，默认）或 normal（一般）。"), QStringLiteral("质量")},
        {QStringLiteral("size"), QStringLiteral("输出尺寸 宽x高，取自该类型的尺寸列表（默认最大的一项）；VCD、SVCD、DVD 的光盘标准尺寸（如 DVD 720x576，也可写 disc）输出可刻录光盘的文件。"), QStringLiteral("宽x高")},
        {QStringLiteral("length"), QStringLiteral("相册长度以 photos（相片，默认）或 music（音乐）为准。"), QStringLiteral("规则")},
        {QStringLiteral("loop-music"), QStringLiteral("以音乐循环播放补充帧频。")},
        {QStringLiteral("loop-pictures"), QStringLiteral("以画面循环播放补充帧频（与 --length music 一起用）。")},
        {QStringLiteral("seed"), QStringLiteral("模板抽取的种子：同样的输入和种子得到同样的相册。"), QStringLiteral("n")},
        cropOption(),
        {QStringLiteral("template"),
         QStringLiteral("第 N 组使用名为 NAME 的模板（名称见 fotarel-cli templates 或 plan）：模板须与该组相片的方向和张数相符。可重复。"),
         QStringLiteral("N=NAME")},
        {QStringLiteral("project"),
         QStringLiteral("制作保存在这个工程文件中的相册（相片、音乐、歌词、文字特效和设置）；"
                        "命令行给出的选项覆盖其设置，给出的相片和音乐加在后面。"),
         QStringLiteral("文件")},
        {QStringLiteral("save-project"),
         QStringLiteral("制作前把相册保存为工程文件；不给 -o 时只写工程文件。"),
         QStringLiteral("文件")},
        {QStringLiteral("caption"),
         QStringLiteral("飞过相册的文字：\"mm:ss|特效|文字\"，可加 \"|字体|字号|颜色\"（默认 黑体、10、白色；"
                        "字号 10-40，颜色写 黄色、天蓝色 这样的名称，也可写 clYellow）。特效写名称或编号（见下）。在相册时间 mm:ss 出现一次；"
                        "超过相册结尾的时间不会显示。可重复。"),
         QStringLiteral("说明")},
        {QStringLiteral("timings"),
         QStringLiteral("列出制作时间花在哪里：每个模板的绘制、交给编码器的时间、转换中的时间。")},
        {QStringLiteral("keep-frames"),
         QStringLiteral("把 --keep-ranges 给出的帧按画好的样子（每个像素 B,G,R,A 四个字节）依次写入这个文件，"
                        "供制作速度的基准测试使用。"),
         QStringLiteral("文件")},
        {QStringLiteral("keep-ranges"),
         QStringLiteral("--keep-frames 写出的帧：\"A-B,C-D\"，从 0 数起，含 A 不含 B。"), QStringLiteral("帧段")},
    });
}

bool readJob(QCommandLineParser& parser, AlbumJob& job, QString& error)
{
    job.songs = parser.values(QStringLiteral("song"));
    if (!filesBySong(parser, QStringLiteral("lrc"), job.lrcFiles, error)
        || !filesBySong(parser, QStringLiteral("ksc"), job.kscFiles, error))
        return false;
    for (int i = 1; i < job.kscFiles.size(); ++i) {
        if (job.kscFiles[i].first == job.kscFiles[i - 1].first) {
            error = QStringLiteral("音乐 %1 有两个 --ksc 文件。").arg(job.songs.value(job.kscFiles[i].first));
            return false;
        }
    }
    if (parser.isSet(QStringLiteral("lyrics"))) {
        const QString type = parser.value(QStringLiteral("lyrics")).toLower();
        if (type == QLatin1String("lrc"))
            job.lyricType = karaoke::kUseLrc;
        else if (type == QLatin1String("ksc"))
            job.lyricType = karaoke::kUseKsc;
        else if (type == QLatin1String("both"))
            job.lyricType = karaoke::kUseBoth;
        else {
            error = QStringLiteral("未知的歌词类型 %1（lrc、ksc 或 both）。").arg(type);
            return false;
        }
    }
    for (const QString& text : parser.values(QStringLiteral("caption"))) {
        const effects::CaptionOption caption = effects::parseCaptionOption(text);
        if (!caption.row) {
            error = caption.error;
            return false;
        }
        job.captions << *caption.row;
    }
    job.output = parser.value(QStringLiteral("output"));
    job.project = parser.value(QStringLiteral("project"));
    job.saveProject = parser.value(QStringLiteral("save-project"));
    for (const QString& option : parser.optionNames())
        job.given << option;
    if (job.output.isEmpty() && job.saveProject.isEmpty()) {
        error = QStringLiteral("没有给出输出文件（-o 路径）。");
        return false;
    }
    const QString type = parser.value(QStringLiteral("type")).toUpper();
    if (type.isEmpty() || type == settings::kDvd || type == settings::kSvcd || type == settings::kVcd ||
        type == settings::kAvi || type == settings::kMp4) {
        job.type = type.isEmpty() ? settings::kDvd : type;
    } else if (settings::imageSequenceFormats().contains(type)) {
        job.type = settings::kImageSequence;
        job.imageFormat = type;
    } else {
        error = QStringLiteral("未知的输出类型 %1。").arg(parser.value(QStringLiteral("type")));
        return false;
    }
    const QString standard = parser.value(QStringLiteral("standard")).toUpper();
    if (!standard.isEmpty() && standard != settings::kPal && standard != settings::kNtsc) {
        error = QStringLiteral("未知的电视制式 %1（PAL 或 NTSC）。").arg(standard);
        return false;
    }
    if (!standard.isEmpty())
        job.standard = standard;
    const QString quality = parser.value(QStringLiteral("quality")).toLower();
    if (quality == QLatin1String("normal"))
        job.quality = settings::kNormalQuality;
    else if (!quality.isEmpty() && quality != QLatin1String("high")) {
        error = QStringLiteral("未知的画面质量 %1（high 或 normal）。").arg(quality);
        return false;
    }
    if (parser.isSet(QStringLiteral("size"))) {
        QStringList parts = parser.value(QStringLiteral("size")).toLower().split(QLatin1Char('x'));
        const std::optional<settings::OutputSize> disc = settings::discSize(job.type, job.standard);
        if (parts == QStringList{QStringLiteral("disc")} && disc)
            parts = QStringList{QString::number(disc->width), QString::number(disc->height)};
        bool found = false;
        for (const settings::OutputSize& s : settings::sizeList(job.type, job.standard))
            if (parts.size() == 2 && parts[0].toInt() == s.width && parts[1].toInt() == s.height)
                found = true;
        if (!found) {
            error = QStringLiteral("尺寸 %1 不在 %2 的尺寸列表中。").arg(parser.value(QStringLiteral("size")), typeName(job));
            return false;
        }
        job.size = QSize(parts[0].toInt(), parts[1].toInt());
    }
    const QString length = parser.value(QStringLiteral("length"));
    if (!length.isEmpty() && length != QLatin1String("photos") && length != QLatin1String("music")) {
        error = QStringLiteral("未知的相册长度规则 %1（photos 或 music）。").arg(length);
        return false;
    }
    if (!length.isEmpty())
        job.length = length;
    job.timings = parser.isSet(QStringLiteral("timings"));
    job.keepFrames = parser.value(QStringLiteral("keep-frames"));
    for (const QString& range : parser.value(QStringLiteral("keep-ranges")).split(',', Qt::SkipEmptyParts)) {
        const QStringList ends = range.split('-');
        bool firstOk = false, endOk = false;
        const int first = ends.value(0).toInt(&firstOk), end = ends.value(1).toInt(&endOk);
        if (ends.size() != 2 || !firstOk || !endOk || first < 0 || end < first) {
            error = QStringLiteral("--keep-ranges 的帧段 %1 无效（应为 A-B）。").arg(range);
            return false;
        }
        job.keepRanges.emplace_back(first, end);
    }
    job.loopMusic = parser.isSet(QStringLiteral("loop-music"));
    job.loopPictures = parser.isSet(QStringLiteral("loop-pictures"));
    if (!readSeedAndCrop(parser, job, error))
        return false;
    for (const QString& given : parser.values(QStringLiteral("template"))) {
        const qsizetype equals = given.indexOf(QLatin1Char('='));
        bool ok = false;
        const int group = given.left(equals).toInt(&ok);
        const QString name = equals < 0 ? QString() : given.mid(equals + 1).trimmed();
        if (equals < 0 || !ok || group < 1 || name.isEmpty()) {
            error = QStringLiteral("--template %1 无效（应为 组号=模板名称，如 2=h1_03_push_pan）。").arg(given);
            return false;
        }
        job.templates[group] = name;
    }
    job.photos = parser.positionalArguments();
    if (job.photos.isEmpty() && job.project.isEmpty()) {
        error = QStringLiteral("没有给出相片。");
        return false;
    }
    QStringList lyricPaths;
    for (const auto& [song, file] : job.lrcFiles + job.kscFiles)
        lyricPaths.append(file);
    const QStringList projectFile = job.project.isEmpty() ? QStringList{} : QStringList{job.project};
    for (const QString& f : job.photos + job.songs + lyricPaths + projectFile) {
        if (!QFileInfo(f).isFile()) {
            error = QStringLiteral("%1：文件不存在。").arg(f);
            return false;
        }
    }
    for (QString& f : job.photos)
        f = QFileInfo(f).absoluteFilePath();
    for (QString& f : job.songs)
        f = QFileInfo(f).absoluteFilePath();
    for (auto& [song, file] : job.lrcFiles)
        file = QFileInfo(file).absoluteFilePath();
    for (auto& [song, file] : job.kscFiles)
        file = QFileInfo(file).absoluteFilePath();
    return true;
}

} // namespace

int makeAlbum(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("用相片和音乐制作电子相册视频。"));
    parser.addHelpOption();
    addOptions(parser);
    parser.addPositionalArgument(QStringLiteral("相片"), QStringLiteral("JPG 相片，按相册中的顺序。"),
                                 QStringLiteral("相片..."));
    if (!parser.parse(arguments)) {
        fail(parser.errorText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // The usage line names the command: "fotarel-cli make [选项] 相片...".
        QString help = parser.helpText();
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        const qsizetype at = help.left(help.indexOf(QLatin1Char('\n'))).indexOf(program);
        if (at >= 0)
            help.insert(at + program.size(), QStringLiteral(" make"));
        std::fprintf(stdout, "%s\n文字特效（--caption）：\n%s", qPrintable(help), qPrintable(effects::effectListText()));
        return 0;
    }
    AlbumJob job;
    QString error;
    if (!readJob(parser, job, error)) {
        fail(error);
        return 2;
    }
    return runJob(job);
}

// A text as a JSON string, quoted and escaped.
QString jsonString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

int printPlan(const AlbumJob& job, ConsoleUi& ui, bool json);

int planAlbum(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("列出相片会怎样放进相册（组、模板、相片位和剪裁），不制作视频。"));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("seed"), QStringLiteral("模板抽取的种子：与 make 用同样的种子得到同样的相册。"), QStringLiteral("n")},
        cropOption(),
        {QStringLiteral("json"),
         QStringLiteral("输出一个 JSON 对象：{\"photos\": [{\"file\": 路径, \"group\": 组号, \"template\": 模板名称, "
                        "\"slot\": [宽, 高], \"crop\": [X, Y, 宽, 高]}, ...]}，剪裁以摆正后的相片像素计。")},
    });
    parser.addPositionalArgument(QStringLiteral("相片"), QStringLiteral("JPG 相片，按相册中的顺序。"),
                                 QStringLiteral("相片..."));
    if (!parser.parse(arguments)) {
        fail(parser.errorText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
        return 0;
    }
    AlbumJob job;
    QString error;
    if (!readSeedAndCrop(parser, job, error) || !readPhotos(parser, job, error)) {
        fail(error);
        return 2;
    }
    if (job.photos.isEmpty()) {
        fail(QStringLiteral("没有给出相片。"));
        return 2;
    }

    // Ctrl-C and SIGTERM stop the import as they stop make.
    std::stop_source stop;
    const StopOnSignals interrupt(stop);
    ConsoleUi ui(stop.get_token());
    try {
        return printPlan(job, ui, parser.isSet(QStringLiteral("json")));
    } catch (const StopRequested&) {
        std::fprintf(stderr, "\n");
        fail(kStoppedMessage);
        return 1;
    }
}

// Imports the plan's photos and prints where each went.
int printPlan(const AlbumJob& job, ConsoleUi& ui, bool json)
{
    const PrivateWorkFolder work(QCoreApplication::applicationDirPath());
    Session session;
    if (!openLibrary(work, session, ui))
        return 1;
    const WorkingFolder& folder = work.folder();
    std::unique_ptr<RandomSource> random;
    if (job.seeded)
        random = std::make_unique<SeededRandom>(job.seed);
    else
        random = std::make_unique<ClockRandom>();
    PhotoContext context{session, folder, ui, *random, nullptr, {},
                         {std::chrono::milliseconds(0), std::chrono::milliseconds(0), 0}};
    openAndImport(context, job);
    const ImportReport imported = importPhotos(context, job.photos);
    if (!imported.refusal.isEmpty()) {
        fail(imported.refusal);
        return 1;
    }
    const Table& photos = session.table(photo_tables::Photos);
    if (photos.isEmpty()) {
        fail(QStringLiteral("没有一张相片可以读取。"));
        return 1;
    }

    // One entry per photo and the slot it fills: the slot is the size of
    // the picture cut for it (for a full-frame slot, as the crop choices
    // make it), the crop the part of the upright photo that picture shows.
    const CropChoices choices = cropChoicesFrom(session);
    QStringList entries;
    QString text = QStringLiteral("文件\t组\t模板\t相片位\t剪裁\n");
    for (int r = 0; r < photos.rowCount(); ++r) {
        const Row& row = photos.row(r);
        const QSize slot = cropGeometry(row.value(PhotoCol::Width).toInt(), row.value(PhotoCol::Height).toInt(),
                                        row.value(PhotoCol::SlotWidth).toInt(),
                                        row.value(PhotoCol::SlotHeight).toInt(), choices)
                               .canvas;
        const std::optional<QRect> crop = parseCropText(row.value(PhotoCol::Crop));
        const QString name = templateShortName(row.value(PhotoCol::MoviePackage));
        // The keys in the documented order (a JSON object of Qt's would
        // sort them).
        entries << QStringLiteral("{\"file\": %1, \"group\": %2, \"template\": %3, \"slot\": [%4, %5], \"crop\": %6}")
                       .arg(jsonString(row.value(PhotoCol::Path)))
                       .arg(row.value(PhotoCol::Group).toInt())
                       .arg(jsonString(name))
                       .arg(slot.width())
                       .arg(slot.height())
                       .arg(crop ? QStringLiteral("[%1, %2, %3, %4]")
                                       .arg(crop->x())
                                       .arg(crop->y())
                                       .arg(crop->width())
                                       .arg(crop->height())
                                 : QStringLiteral("null"));
        text += QStringLiteral("%1\t%2\t%3\t%4 × %5\t%6\n")
                    .arg(row.value(PhotoCol::Path), row.value(PhotoCol::Group), name)
                    .arg(slot.width())
                    .arg(slot.height())
                    .arg(crop ? QStringLiteral("%1,%2 %3 × %4")
                                    .arg(crop->x())
                                    .arg(crop->y())
                                    .arg(crop->width())
                                    .arg(crop->height())
                              : QStringLiteral("（无法剪裁）"));
    }
    if (json)
        text = QStringLiteral("{\"photos\": [") + entries.join(QStringLiteral(", ")) + QStringLiteral("]}\n");
    std::fputs(text.toUtf8().constData(), stdout);
    return 0;
}

QString workFolderUnavailableMessage()
{
    return QStringLiteral("无法在临时文件夹 %1 中创建工作文件夹，请检查该位置的写入权限和剩余空间。")
        .arg(QDir::toNativeSeparators(QDir::tempPath()));
}

int makeDemo(const QStringList& arguments)
{
    if (arguments.size() != 3) {
        std::fprintf(stderr, "用法: fotarel-cli demo 输出.mpg\n");
        return 2;
    }
    const PrivateFolder scratch(QStringLiteral("fotarel-demo"));
    if (!scratch.isValid()) {
        fail(QStringLiteral("无法创建临时文件夹。"));
        return 1;
    }
    AlbumJob job;
    job.photos = writeDemoPhotos(scratch.path());
    // One song as long as the pictures, with its LRC lines, karaoke lines
    // and a caption: the demo shows everything an album can carry.
    const QString songPath = scratch.path() + QStringLiteral("/demo_song.mp3");
    job.songForAlbum = [songPath](int frames) { return writeDemoSong(songPath, frames / 25.0 + 0.5); };
    const DemoWords words = writeDemoWords(scratch.path());
    if (words.lrc.isEmpty() || words.ksc.isEmpty()) {
        fail(QStringLiteral("无法在 %1 写入演示歌词。").arg(scratch.path()));
        return 1;
    }
    job.lrcFiles = {{0, words.lrc}};
    job.kscFiles = {{0, words.ksc}};
    const effects::CaptionOption caption = effects::parseCaptionOption(words.caption);
    if (caption.row)
        job.captions << *caption.row;
    job.output = arguments.at(2);
    job.seed = 7;
    job.seeded = true;
    std::fprintf(stderr, "正在制作演示相册：%d 张相片、一首乐曲、LRC 歌词、卡拉OK歌词和文字特效（DVD，1920 × 1080）……\n",
                 int(job.photos.size()));
    const int code = runJob(job);
    if (code == 0) {
        std::fprintf(stdout, "演示相册已保存在 %s\n", qPrintable(QFileInfo(job.output).absoluteFilePath()));
        std::fprintf(stdout, "启动桌面程序：%s/fotarel\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
    }
    return code;
}

} // namespace fotarel::cli
