// Encode-only throughput of the media library against the ffmpeg command
// line, side by side: the same raw 1920 x 1080 BGR24 frames, the same codec
// settings (taken from the library's own plan), the same silent audio.
//
//   media_bench [frames] [rounds] [kind]
//
// For each output kind it runs the library and the command line in turn,
// `rounds` times, and prints the best wall-clock time of each and their
// ratio (library / command line; below 1 means the library is faster).
// `kind` (DVD, VCD, AVI or MP4) runs only that output kind.

#include "media/conversion.h"
#include "media/output_plan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kDistinct = 25; // distinct pictures, cycled

QImage picture(int index)
{
    QImage image(kWidth, kHeight, QImage::Format_BGR888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, kWidth, kHeight);
    sky.setColorAt(0, QColor::fromHsv((index * 11) % 360, 150, 230));
    sky.setColorAt(1, QColor::fromHsv((index * 11 + 140) % 360, 200, 80));
    painter.fillRect(image.rect(), sky);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv((i * 37 + index * 5) % 360, 180, 200, 180));
        painter.setPen(Qt::NoPen);
        const int x = (i * 211 + index * 17) % kWidth;
        const int y = (i * 97 + index * 9) % kHeight;
        painter.drawEllipse(QRect(x - 80, y - 60, 160 + i * 3, 120 + i * 2));
    }
    QFont font;
    font.setPixelSize(120);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("相册 %1").arg(index));
    return image;
}

struct Kind {
    const char* name;
    fotarel::media::Preset preset;
    const char* extension;
    const char* muxer;
    const char* videoEncoder;
    const char* audioEncoder;
    const char* codecTag; // or nullptr
};

double runLibrary(const Kind& kind, const std::vector<QImage>& frames, int count, const QString& out)
{
    using namespace fotarel::media;
    Conversion conversion;
    conversion.setVideoSource([&](SourceAnswer& answer, int index) {
        if (index >= count)
            return answer.finished();
        const QImage& image = frames[static_cast<size_t>(index % kDistinct)];
        RawFrame raw;
        raw.pixels = image.constBits();
        raw.width = image.width();
        raw.height = image.height();
        raw.stride = static_cast<int>(image.bytesPerLine());
        raw.layout = RawFrame::Layout::Bgr24;
        answer.setRaw(raw);
    });
    conversion.setFormatPreset(kind.preset, Standard::Pal);
    conversion.setFrameSize(kWidth, kHeight);
    conversion.setQuality(Quality::High);
    conversion.setVideoFileName(out.toStdString());
    QElapsedTimer timer;
    timer.start();
    if (!conversion.convert()) {
        std::fprintf(stderr, "library failed: %s\n", conversion.lastErrorText().c_str());
        return -1;
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

double runCommandLine(const Kind& kind, const fotarel::media::detail::OutputPlan& plan, const QString& raw,
                      const QString& silence, int count, const QString& out)
{
    QStringList args{"-hide_banner", "-loglevel", "error", "-y",
                     "-f", "rawvideo", "-pix_fmt", "bgr24", "-s", QStringLiteral("%1x%2").arg(kWidth).arg(kHeight),
                     "-r", "25", "-stream_loop", "-1", "-i", raw, "-i", silence,
                     "-frames:v", QString::number(count), "-map", "0:v", "-map", "1:a",
                     "-c:v", kind.videoEncoder, "-pix_fmt", "yuv420p",
                     "-g", QString::number(plan.gopSize),
                     "-bf", QString::number(plan.maxBFrames), "-threads", "0",
                     "-c:a", kind.audioEncoder, "-ar", QString::number(plan.audioRate), "-ac", "2",
                     "-b:a", QString::number(plan.audioBitRate), "-shortest", "-f", kind.muxer};
    if (plan.crf > 0)
        args << "-crf" << QString::number(plan.crf) << "-preset" << QString::fromStdString(plan.encoderPreset)
             << "-movflags" << "+faststart";
    else
        args << "-b:v" << QString::number(plan.videoBitRate);
    if (fotarel::media::detail::usesBt709(plan))
        args << "-vf" << "scale=out_color_matrix=bt709" << "-colorspace" << "bt709" << "-color_primaries" << "bt709"
             << "-color_trc" << "bt709";
    if (plan.maxRate > 0)
        args << "-maxrate" << QString::number(plan.maxRate) << "-bufsize" << QString::number(plan.bufferSize);
    if (plan.dvdMuxRate)
        args << "-muxrate" << "10080000";
    if (kind.codecTag)
        args << "-tag:v" << kind.codecTag;
    args << out;
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("ffmpeg"), args);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", process.readAllStandardError().constData());
        return -1;
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    QTemporaryDir dir;
    std::vector<QImage> frames;
    QFile raw(dir.filePath("frames.bgr24"));
    if (!raw.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < kDistinct; ++i) {
        frames.push_back(picture(i));
        for (int y = 0; y < kHeight; ++y)
            raw.write(reinterpret_cast<const char*>(frames.back().constScanLine(y)), kWidth * 3);
    }
    raw.close();

    const Kind kinds[] = {
        {"DVD (MPEG-2 + AC-3)", fotarel::media::Preset::Dvd, "mpg", "dvd", "mpeg2video", "ac3", nullptr},
        {"VCD (MPEG-1 + MP2)", fotarel::media::Preset::Vcd, "mpg", "mpeg", "mpeg1video", "mp2", nullptr},
        {"AVI (MPEG-4 + MP3)", fotarel::media::Preset::Avi, "avi", "avi", "mpeg4", "libmp3lame", "XVID"},
        {"MP4 (H.264 + AAC)", fotarel::media::Preset::Mp4, "mp4", "mp4", "libx264", "aac", nullptr},
    };
    std::printf("%d frames of %d x %d bgr24, best of %d rounds, high quality\n", count, kWidth, kHeight, rounds);
    std::printf("%-22s %10s %10s %8s %8s\n", "output", "library s", "ffmpeg s", "ratio", "fps lib");
    for (const Kind& kind : kinds) {
        if (!only.isEmpty() && !QString::fromLatin1(kind.name).startsWith(only, Qt::CaseInsensitive))
            continue;
        fotarel::media::detail::OutputPlan plan;
        fotarel::media::detail::makePlan(kind.preset, fotarel::media::Standard::Pal, fotarel::media::Quality::High,
                                         kWidth, kHeight, 0, 0, 0, "out.mpg", plan);
        // Silence as long as the video, as the library adds it.
        const QString silence = dir.filePath("silence.wav");
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                           QStringLiteral("anullsrc=r=%1:cl=stereo").arg(plan.audioRate), "-t",
                           QString::number(count / 25.0), silence});
        double bestLibrary = 1e9;
        double bestCommand = 1e9;
        for (int round = 0; round < rounds; ++round) {
            const double lib = runLibrary(kind, frames, count, dir.filePath(QStringLiteral("lib.") + kind.extension));
            const double cli = runCommandLine(kind, plan, raw.fileName(), silence, count,
                                              dir.filePath(QStringLiteral("cli.") + kind.extension));
            if (lib < 0 || cli < 0)
                return 1;
            bestLibrary = std::min(bestLibrary, lib);
            bestCommand = std::min(bestCommand, cli);
        }
        std::printf("%-22s %10.3f %10.3f %8.3f %8.1f\n", kind.name, bestLibrary, bestCommand,
                    bestLibrary / bestCommand, count / bestLibrary);
        std::fflush(stdout);
    }
    return 0;
}
