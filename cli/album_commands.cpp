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
#include "engine/single_instance.h"
#include "engine/startup.h"
#include "project/album_project.h"
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "photos/photo_context.h"
#include "photos/random_source.h"
#include "render/output_settings.h"
#include "render/render_names.h"
#include "render/render_pass.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
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

void fail(const QString& text)
{
    std::fprintf(stderr, "fotarel-cli: %s\n", text.toLocal8Bit().constData());
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
};

// --timings: the painting time of every template (in the order they played)
// and of the other stages on the render's thread, on standard error.
void printTimings(const render::StageTimes& times)
{
    std::fprintf(stderr, "%-28s %7s %10s %8s   (processor time of the render's thread)\n", "template", "frames",
                 "paint ms", "ms/frame");
    double paint = 0;
    int frames = 0;
    for (const render::StageTimes::Template& t : times.templates) {
        std::fprintf(stderr, "%-28s %7d %10.0f %8.2f\n", qPrintable(t.name), t.frames, t.paintMs,
                     t.frames ? t.paintMs / t.frames : 0.0);
        paint += t.paintMs;
        frames += t.frames;
    }
    std::fprintf(stderr, "%-28s %7d %10.0f %8.2f\n", "painting, all templates", frames, paint,
                 frames ? paint / frames : 0.0);
    std::fprintf(stderr, "%-28s %7d %10.0f %8.2f\n", "hand-over (pixel layout)", frames, times.handOverMs,
                 frames ? times.handOverMs / frames : 0.0);
    std::fprintf(stderr, "%-28s %7d %10.0f %8.2f   (wall time: waiting for the encoder, audio)\n",
                 "in the conversion", frames, times.conversionMs, frames ? times.conversionMs / frames : 0.0);
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

// Karaoke row i goes with song row i of the music table: the row of every
// song given with a --ksc gets that file; rows before it without one stay
// empty (no karaoke for that song).
void addKaraoke(Session& session, const AlbumJob& job)
{
    const Table& songs = session.table(audio::names::MusicTable);
    Table& rows = session.table(karaoke::names::KaraokeTable);
    for (const auto& [given, file] : job.kscFiles) {
        int row = -1;
        for (int i = 0; i < songs.rowCount() && row < 0; ++i)
            if (songs.cell(i, audio::MusicCol::Path) == job.songs.value(given))
                row = i;
        if (row < 0)
            continue; // the song could not be read
        while (rows.rowCount() <= row)
            rows.appendRow(karaoke::karaokeRow(rows.rowCount() + 1, QString()));
        rows.row(row) = karaoke::karaokeRow(row + 1, file);
    }
}

// Reads every karaoke file before anything is made: a file that is no
// karaoke file ends the command; repaired lines are listed.
bool checkKaraokeFiles(const AlbumJob& job)
{
    for (const auto& [song, path] : job.kscFiles) {
        const karaoke::KscDocument document = karaoke::readKscFile(path);
        if (!document.ok()) {
            fail(document.error);
            return false;
        }
        for (const QString& problem : document.problems)
            std::fprintf(stderr, "fotarel-cli: %s: %s\n", qPrintable(path), qPrintable(problem));
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
                error = QStringLiteral("--%1 %2 comes before any --song; each --%1 goes with the --song before it.")
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
    // The import bound the new rows by position; the command line binds them
    // by the order of its options.
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

int runJob(const AlbumJob& job)
{
    if (!checkKaraokeFiles(job))
        return 1;

    SingleInstanceGuard guard;
    if (!guard.acquire()) {
        fail(QStringLiteral("Fotarel is already running and uses the working folder."));
        return 1;
    }
    Session session;
    WorkingFolder folder(QCoreApplication::applicationDirPath());
    ConsoleUi ui;
    const StartupReport report = loadTemplateLibrary(session, folder, ui);
    if (report.outcome != StartupOutcome::Ready) {
        fail(QStringLiteral("the template library beside the program could not be loaded (%1).").arg(report.detail));
        return 1;
    }

    // Photos: import, fitting, work folders and crops.
    std::unique_ptr<RandomSource> random;
    if (job.seeded)
        random = std::make_unique<SeededRandom>(job.seed);
    else
        random = std::make_unique<ClockRandom>();
    PhotoContext context{session, folder, ui, *random, nullptr, {},
                         {std::chrono::milliseconds(0), std::chrono::milliseconds(0), 0}};
    if (!job.project.isEmpty()) {
        const project::OpenReport opened = project::openProject(context, job.project);
        if (!opened.opened)
            return 1; // the console has shown why
    }
    const ImportReport imported = job.photos.isEmpty() ? ImportReport{} : importPhotos(context, job.photos);
    if (!imported.refusal.isEmpty()) {
        fail(imported.refusal);
        return 1;
    }
    if (session.table(photo_tables::Photos).isEmpty()) {
        fail(QStringLiteral("none of the photos could be read."));
        return 1;
    }

    // Songs, then their lyric files.
    QStringList skippedSongs;
    const int firstSongRow = session.table(audio::names::MusicTable).rowCount();
    if (!job.songs.isEmpty()) {
        const audio::MusicImportResult music = audio::runMusicImport(session, folder, ui, job.songs);
        if (music.added == 0) {
            fail(QStringLiteral("none of the songs could be read."));
            return 1;
        }
        skippedSongs = music.skipped;
    }
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
    if (chosen("type"))
        session.set(settings::vars::OutputType, job.type);
    if (chosen("standard"))
        settings::setTvStandard(session, job.standard);
    if (chosen("quality"))
        settings::setPictureQuality(session, job.quality);
    if (chosen("length")) {
        if (!session.table(QStringLiteral("ListView_daoru_yinyue")).isEmpty() && job.length == QLatin1String("music"))
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

    QString out = QFileInfo(job.output).absoluteFilePath();
    if (job.type == settings::kImageSequence) {
        if (QFileInfo::exists(out)) {
            fail(QStringLiteral("%1 exists; name a new folder for the image sequence.").arg(out));
            return 1;
        }
        if (!QDir().mkpath(out)) {
            fail(QStringLiteral("cannot create the folder %1.").arg(out));
            return 1;
        }
        out += QStringLiteral("/01.") + job.imageFormat;
    } else if (!QFileInfo(QFileInfo(out).absolutePath()).isDir()) {
        fail(QStringLiteral("the folder of %1 does not exist.").arg(out));
        return 1;
    }
    session.set(render::vars::VideoOut, out);
    session.set(render::vars::AudioOut, out);

    ProgressLine bar;
    render::PassEvents events;
    events.overall = [&bar](int v, int m) { bar.show(v, m); };
    render::RenderPass pass(session, folder, events);
    render::PassResult result;
    {
        const StopOnSignals interrupt(pass.stopSource());
        result = pass.run();
    }
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
            fail(QStringLiteral("the conversion ended but %1 is missing.").arg(out));
            return 1;
        }
        std::fprintf(stdout, "%s: %d frames\n", qPrintable(out), result.totalFrames);
        return 0;
    }
    case render::PassOutcome::InvalidTemplate:
        fail(QStringLiteral("a template movie has no valid marker; the album was not made."));
        return 1;
    case render::PassOutcome::NothingToConvert:
        fail(QStringLiteral("nothing to convert."));
        return 1;
    case render::PassOutcome::Stopped:
        fail(QStringLiteral("stopped."));
        return 1;
    case render::PassOutcome::Failed:
        break;
    }
    fail(QStringLiteral("the conversion failed: %1").arg(result.errorText));
    return 1;
}

void addOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("Output file (a new folder for an image sequence)."), QStringLiteral("path")},
        {QStringLiteral("song"), QStringLiteral("A song (MP3 or any audio FFmpeg reads); repeatable."), QStringLiteral("file")},
        {QStringLiteral("lrc"),
         QStringLiteral("An LRC lyric file for the --song before it (its lines are drawn in time, white 黑体 at the "
                        "bottom centre); repeatable. A song without one shows the first lyric file's lines, as in "
                        "the desktop program."),
         QStringLiteral("file")},
        {QStringLiteral("ksc"), QStringLiteral("The KSC karaoke file of the --song before it; repeatable."), QStringLiteral("file")},
        {QStringLiteral("lyrics"), QStringLiteral("Which lyrics the album shows with karaoke files: lrc, ksc or both (default)."), QStringLiteral("type")},
        {QStringLiteral("type"), QStringLiteral("DVD (default), SVCD, VCD, AVI, MP4 (H.264 and AAC), or JPG, BMP, TGA, PCX for an image sequence."), QStringLiteral("type")},
        {QStringLiteral("standard"), QStringLiteral("PAL (default) or NTSC."), QStringLiteral("standard")},
        {QStringLiteral("quality"), QStringLiteral("high (default) or normal."), QStringLiteral("quality")},
        {QStringLiteral("size"), QStringLiteral("Output size WxH from the type's size list (default its largest)."), QStringLiteral("WxH")},
        {QStringLiteral("length"), QStringLiteral("photos (default) or music: what the album's length follows."), QStringLiteral("rule")},
        {QStringLiteral("loop-music"), QStringLiteral("Loop the songs to fill the album.")},
        {QStringLiteral("loop-pictures"), QStringLiteral("Loop the templates to fill the songs (with --length music).")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the template draws: same inputs and seed, same album."), QStringLiteral("n")},
        {QStringLiteral("project"),
         QStringLiteral("Make the album saved in this project file (photos, songs, lyrics, captions and settings); "
                        "options given on the command line override its settings, photos and songs given are added."),
         QStringLiteral("file")},
        {QStringLiteral("save-project"),
         QStringLiteral("Save the album as a project file before rendering; without -o only the project is written."),
         QStringLiteral("file")},
        {QStringLiteral("caption"),
         QStringLiteral("A caption flying over the album: \"mm:ss|EFFECT|TEXT\" with optional \"|font|size|colour\" "
                        "(defaults 黑体, 10, clWhite; size 10-40 points of the editor's preview; colour a name such as "
                        "clYellow). EFFECT is an effect name or its number (listed below). It starts at mm:ss of "
                        "album time, once; a time past the album's end never shows. Repeatable."),
         QStringLiteral("spec")},
        {QStringLiteral("timings"),
         QStringLiteral("Print where the render's time went: painting per template, the hand-over to the encoder, "
                        "the time spent inside the conversion.")},
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
            error = QStringLiteral("two --ksc files for the song %1.").arg(job.songs.value(job.kscFiles[i].first));
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
            error = QStringLiteral("unknown lyric type %1 (lrc, ksc or both).").arg(type);
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
        error = QStringLiteral("no output given (-o PATH).");
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
        error = QStringLiteral("unknown type %1.").arg(parser.value(QStringLiteral("type")));
        return false;
    }
    const QString standard = parser.value(QStringLiteral("standard")).toUpper();
    if (!standard.isEmpty() && standard != settings::kPal && standard != settings::kNtsc) {
        error = QStringLiteral("unknown TV standard %1.").arg(standard);
        return false;
    }
    if (!standard.isEmpty())
        job.standard = standard;
    const QString quality = parser.value(QStringLiteral("quality")).toLower();
    if (quality == QLatin1String("normal"))
        job.quality = settings::kNormalQuality;
    else if (!quality.isEmpty() && quality != QLatin1String("high")) {
        error = QStringLiteral("unknown quality %1.").arg(quality);
        return false;
    }
    if (parser.isSet(QStringLiteral("size"))) {
        const QStringList parts = parser.value(QStringLiteral("size")).split(QLatin1Char('x'));
        bool found = false;
        for (const settings::OutputSize& s : settings::sizeList(job.type))
            if (parts.size() == 2 && parts[0].toInt() == s.width && parts[1].toInt() == s.height)
                found = true;
        if (!found) {
            error = QStringLiteral("size %1 is not in the size list of %2.").arg(parser.value(QStringLiteral("size")), job.type);
            return false;
        }
        job.size = QSize(parts[0].toInt(), parts[1].toInt());
    }
    const QString length = parser.value(QStringLiteral("length"));
    if (!length.isEmpty() && length != QLatin1String("photos") && length != QLatin1String("music")) {
        error = QStringLiteral("unknown length rule %1 (photos or music).").arg(length);
        return false;
    }
    if (!length.isEmpty())
        job.length = length;
    job.timings = parser.isSet(QStringLiteral("timings"));
    job.loopMusic = parser.isSet(QStringLiteral("loop-music"));
    job.loopPictures = parser.isSet(QStringLiteral("loop-pictures"));
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        job.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok) {
            error = QStringLiteral("the seed must be a whole number.");
            return false;
        }
        job.seeded = true;
    }
    job.photos = parser.positionalArguments();
    if (job.photos.isEmpty() && job.project.isEmpty()) {
        error = QStringLiteral("no photos given.");
        return false;
    }
    QStringList lyricPaths;
    for (const auto& [song, file] : job.lrcFiles + job.kscFiles)
        lyricPaths.append(file);
    const QStringList projectFile = job.project.isEmpty() ? QStringList{} : QStringList{job.project};
    for (const QString& f : job.photos + job.songs + lyricPaths + projectFile) {
        if (!QFileInfo(f).isFile()) {
            error = QStringLiteral("%1: no such file.").arg(f);
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
    parser.setApplicationDescription(QStringLiteral("Makes a photo-album video from photos and songs."));
    parser.addHelpOption();
    addOptions(parser);
    parser.addPositionalArgument(QStringLiteral("photos"), QStringLiteral("JPEG photos, in album order."),
                                 QStringLiteral("PHOTO..."));
    if (!parser.parse(arguments)) {
        fail(parser.errorText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fprintf(stdout, "%s\nCaption effects (--caption):\n%s", qPrintable(parser.helpText()),
                     qPrintable(effects::effectListText()));
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

int makeDemo(const QStringList& arguments)
{
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: fotarel-cli demo OUT.mpg\n");
        return 2;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        fail(QStringLiteral("cannot create a temporary folder."));
        return 1;
    }
    AlbumJob job;
    job.photos = writeDemoPhotos(scratch.path());
    const QString song = writeDemoSong(scratch.path() + QStringLiteral("/demo_song.mp3"), 30);
    if (song.isEmpty()) {
        fail(QStringLiteral("could not make the demo song with ffmpeg."));
        return 1;
    }
    job.songs = {song};
    job.output = arguments.at(2);
    job.seed = 7;
    job.seeded = true;
    std::fprintf(stderr, "Rendering a demo album of %d photos and a song (DVD, 1920 × 1080)...\n",
                 int(job.photos.size()));
    const int code = runJob(job);
    if (code == 0) {
        std::fprintf(stdout, "The demo album is at %s\n", qPrintable(QFileInfo(job.output).absoluteFilePath()));
        std::fprintf(stdout, "Start the desktop program with: %s/fotarel\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
    }
    return code;
}

} // namespace fotarel::cli
