// Encode-only reference for the render benchmark: the conversion library
// encodes FRAMES frames of 1920 × 1080 (DVD PAL or MP4, high quality) with
// no template playing or painting at all. The frames are the album's own:
// RAW holds pictures as the render painted them (B,G,R,A bytes, 1920 × 1080
// each, in runs of consecutive frames taken across the whole album; written
// by fotarel-cli make --keep-frames),
// and they are handed over in turn, as the 32-bit pictures the render hands
// over, so the library converts and encodes the same kind of content
// through the same path. Only the conversion is timed; the file is mapped,
// not read into memory first.
//
// usage: render_encode_only FRAMES OUT RAW [DVD|MP4]  -> prints "encode_seconds <s>"
#include "media/conversion.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: render_encode_only FRAMES OUT RAW [DVD|MP4]\n");
        return 2;
    }
    const bool mp4 = argc == 5 && std::string(argv[4]) == "MP4";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int frames = std::atoi(argv[1]);
    constexpr int width = 1920, height = 1080;
    constexpr qint64 frameBytes = qint64(width) * height * 4;
    QFile raw(QString::fromLocal8Bit(argv[3]));
    if (!raw.open(QIODevice::ReadOnly) || raw.size() < frameBytes) {
        std::fprintf(stderr, "render_encode_only: no frames in %s\n", argv[3]);
        return 2;
    }
    const qint64 samples = raw.size() / frameBytes;
    const uchar* pixels = raw.map(0, samples * frameBytes);
    if (!pixels) {
        std::fprintf(stderr, "render_encode_only: cannot map %s\n", argv[3]);
        return 2;
    }
    fotarel::media::Conversion c;
    c.setFormatPreset(mp4 ? fotarel::media::Preset::Mp4 : fotarel::media::Preset::Dvd, fotarel::media::Standard::Pal);
    c.setQuality(fotarel::media::Quality::High);
    c.setFrameSize(width, height);
    c.setVideoSource([&](fotarel::media::SourceAnswer& a, int index) {
        if (index >= frames) {
            a.finished();
            return;
        }
        // A picture over the mapped bytes, no copy; the mapping outlives
        // the conversion.
        a.setImage(QImage(pixels + (index % samples) * frameBytes, width, height, width * 4, QImage::Format_RGB32));
    });
    c.setVideoFileName(argv[2]);
    c.setAudioFileName(argv[2]);
    QElapsedTimer clock;
    clock.start();
    const bool ok = c.convert();
    std::printf("encode_seconds %.3f\n", double(clock.nsecsElapsed()) / 1e9);
    return ok ? 0 : 1;
}
