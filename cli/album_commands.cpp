// The album commands of the command-line front end: the same import, fitting,
// cropping, render pass and conversion as the desktop program, with options
// in place of dialogs.
#include "cli/album_commands.h"

#include "cli/console_ui.h"
#include "cli/demo_media.h"

#include "audio/music_import.h"
#include "core/working_folder.h"
#include "engine/single_instance.h"
#include "engine/startup.h"
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

// A notice that does not stop the job.
void notice(const QString& text)
{
    std::fprintf(stderr, "fotarel-cli: 注意：%s\n", text.toLocal8Bit().constData());
}

struct AlbumJob {
    QStringList photos;
    QStringList songs;
    QStringList lyrics; // LRC and KSC files
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

int runJob(const AlbumJob& job)
{
    SingleInstanceGuard guard;
    if (!guard.acquire()) {
        fail(QStringLiteral("Fotarel 已在运行，工作文件夹正被它使用。"));
        return 1;
    }
    Session session;
    WorkingFolder folder(QCoreApplication::applicationDirPath());
    ConsoleUi ui;
    const StartupReport report = loadTemplateLibrary(session, folder, ui);
    if (report.outcome != StartupOutcome::Ready) {
        fail(QStringLiteral("无法读取程序旁的模板库（%1）。").arg(report.detail));
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
    const ImportReport imported = importPhotos(context, job.photos);
    if (!imported.refusal.isEmpty()) {
        fail(imported.refusal);
        return 1;
    }
    if (session.table(photo_tables::Photos).isEmpty()) {
        fail(QStringLiteral("没有一张相片可以读取。"));
        return 1;
    }

    // Songs.
    if (!job.songs.isEmpty() && job.type == settings::kImageSequence) {
        notice(QStringLiteral("序列图只有画面，--song 给出的音乐被忽略。"));
    } else if (!job.songs.isEmpty()) {
        const audio::MusicImportResult music = audio::runMusicImport(session, folder, ui, job.songs);
        if (music.added == 0) {
            fail(QStringLiteral("没有一首音乐可以读取。"));
            return 1;
        }
    }
    for (const QString& lyric : job.lyrics)
        std::fprintf(stderr, "fotarel-cli: %s: lyric overlays are not supported yet; the album is made without them.\n",
                     qPrintable(lyric));

    // Settings.
    session.set(settings::vars::OutputType, job.type);
    settings::setTvStandard(session, job.standard);
    settings::setPictureQuality(session, job.quality);
    if (!session.table(QStringLiteral("ListView_daoru_yinyue")).isEmpty() && job.length == QLatin1String("music"))
        settings::chooseFollowMusic(session);
    else
        settings::chooseFollowPhotos(session);
    settings::setLoopMusic(session, job.loopMusic);
    settings::setLoopPictures(session, job.loopPictures);
    if (job.size.isValid()) {
        session.setInt(settings::vars::Width, job.size.width());
        session.setInt(settings::vars::Height, job.size.height());
    }

    if (const int silent = render::silentFrames(session); silent > 0)
        notice(QStringLiteral("音乐比相册短 %1，这段时间没有声音；加 --loop-music 可循环播放音乐补足。")
                   .arg(render::timeText(silent)));

    QString out = QFileInfo(job.output).absoluteFilePath();
    if (job.type == settings::kImageSequence) {
        if (QFileInfo::exists(out)) {
            fail(QStringLiteral("%1 已存在，请为序列图另取一个新文件夹名。").arg(out));
            return 1;
        }
        if (!QDir().mkpath(out)) {
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
    render::RenderPass pass(session, folder, events);
    const render::PassResult result = pass.run();
    bar.end();
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
        fail(QStringLiteral("已停止制作。"));
        return 1;
    case render::PassOutcome::Failed:
        break;
    }
    fail(QStringLiteral("制作失败：%1").arg(result.errorText));
    return 1;
}

void addOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("输出文件（序列图为一个新文件夹）。"), QStringLiteral("路径")},
        {QStringLiteral("song"), QStringLiteral("一首音乐（MP3 或 FFmpeg 能读的音频），可重复。"), QStringLiteral("文件")},
        {QStringLiteral("lrc"), QStringLiteral("An LRC lyric file (not yet supported)."), QStringLiteral("file")},
        {QStringLiteral("ksc"), QStringLiteral("A KSC karaoke file (not yet supported)."), QStringLiteral("file")},
        {QStringLiteral("type"), QStringLiteral("DVD（默认）、SVCD、VCD、AVI，或序列图的 JPG、BMP、TGA、PCX。"), QStringLiteral("类型")},
        {QStringLiteral("standard"), QStringLiteral("电视制式 PAL（默认）或 NTSC。"), QStringLiteral("制式")},
        {QStringLiteral("quality"), QStringLiteral("画面质量 high（高清，默认）或 normal（一般）。"), QStringLiteral("质量")},
        {QStringLiteral("size"), QStringLiteral("输出尺寸 宽x高，取自该类型的尺寸列表（默认最大的一项）；VCD、SVCD、DVD 的光盘标准尺寸（如 DVD 720x576）输出可刻录光盘的文件，也可写 disc。"), QStringLiteral("宽x高")},
        {QStringLiteral("length"), QStringLiteral("相册长度以 photos（相片，默认）或 music（音乐）为准。"), QStringLiteral("规则")},
        {QStringLiteral("loop-music"), QStringLiteral("以音乐循环播放补充帧频。")},
        {QStringLiteral("loop-pictures"), QStringLiteral("以画面循环播放补充帧频（与 --length music 一起用）。")},
        {QStringLiteral("seed"), QStringLiteral("模板抽取的种子：同样的输入和种子得到同样的相册。"), QStringLiteral("n")},
    });
}

bool readJob(QCommandLineParser& parser, AlbumJob& job, QString& error)
{
    job.songs = parser.values(QStringLiteral("song"));
    job.lyrics = parser.values(QStringLiteral("lrc")) + parser.values(QStringLiteral("ksc"));
    job.output = parser.value(QStringLiteral("output"));
    if (job.output.isEmpty()) {
        error = QStringLiteral("没有给出输出文件（-o 路径）。");
        return false;
    }
    const QString type = parser.value(QStringLiteral("type")).toUpper();
    if (type.isEmpty() || type == settings::kDvd || type == settings::kSvcd || type == settings::kVcd ||
        type == settings::kAvi) {
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
    job.loopMusic = parser.isSet(QStringLiteral("loop-music"));
    job.loopPictures = parser.isSet(QStringLiteral("loop-pictures"));
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        job.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok) {
            error = QStringLiteral("--seed 必须是整数。");
            return false;
        }
        job.seeded = true;
    }
    job.photos = parser.positionalArguments();
    if (job.photos.isEmpty()) {
        error = QStringLiteral("没有给出相片。");
        return false;
    }
    for (const QString& f : job.photos + job.songs + job.lyrics) {
        if (!QFileInfo(f).isFile()) {
            error = QStringLiteral("%1：文件不存在。").arg(f);
            return false;
        }
    }
    for (QString& f : job.photos)
        f = QFileInfo(f).absoluteFilePath();
    for (QString& f : job.songs)
        f = QFileInfo(f).absoluteFilePath();
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
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
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
        std::fprintf(stderr, "用法: fotarel-cli demo 输出.mpg\n");
        return 2;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        fail(QStringLiteral("无法创建临时文件夹。"));
        return 1;
    }
    AlbumJob job;
    job.photos = writeDemoPhotos(scratch.path());
    const QString song = writeDemoSong(scratch.path() + QStringLiteral("/demo_song.mp3"), 30);
    if (song.isEmpty()) {
        fail(QStringLiteral("无法用 ffmpeg 合成演示乐曲。"));
        return 1;
    }
    job.songs = {song};
    job.output = arguments.at(2);
    job.seed = 7;
    job.seeded = true;
    std::fprintf(stderr, "正在制作演示相册：%d 张相片和一首乐曲（DVD，1920 × 1080）……\n",
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
