// Encode-only reference for the render benchmark: the conversion library
// encodes N frames of 1920 × 1080 DVD (PAL, high quality) handed over in
// memory as 24-bit B,G,R, with no template playing or painting at all. The
// frames are 25 distinct pictures (moving gradients and shapes) in turn, so
// the encoder sees changing content as it does in an album.
//
// usage: render_encode_only FRAMES OUT.mpg   -> prints "encode_seconds <s>"
#include "media/conversion.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: render_encode_only FRAMES OUT [DVD|MP4]\n");
        return 2;
    }
    const bool mp4 = argc == 4 && std::string(argv[3]) == "MP4";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int frames = std::atoi(argv[1]);
    std::vector<QImage> pictures;
    for (int i = 0; i < 25; ++i) {
        QImage img(1920, 1080, QImage::Format_RGB32);
        QPainter p(&img);
        QLinearGradient g(0, 0, 1920, 1080);
        g.setColorAt(0, QColor::fromHsv((i * 14) % 360, 180, 230));
        g.setColorAt(1, QColor::fromHsv((i * 14 + 120) % 360, 200, 120));
        p.fillRect(img.rect(), g);
        p.setBrush(QColor(250, 240, 200));
        p.drawEllipse(QPointF(200 + i * 60, 300 + i * 10), 160, 160);
        p.end();
        pictures.push_back(img.convertToFormat(QImage::Format_BGR888));
    }
    fotarel::media::Conversion c;
    c.setFormatPreset(mp4 ? fotarel::media::Preset::Mp4 : fotarel::media::Preset::Dvd, fotarel::media::Standard::Pal);
    c.setQuality(fotarel::media::Quality::High);
    c.setFrameSize(1920, 1080);
    c.setVideoSource([&](fotarel::media::SourceAnswer& a, int index) {
        if (index >= frames) {
            a.finished();
            return;
        }
        const QImage& img = pictures[size_t(index) % pictures.size()];
        fotarel::media::RawFrame raw;
        raw.pixels = img.constBits();
        raw.width = img.width();
        raw.height = img.height();
        raw.stride = int(img.bytesPerLine());
        raw.layout = fotarel::media::RawFrame::Layout::Bgr24;
        a.setRaw(raw);
    });
    c.setVideoFileName(argv[2]);
    c.setAudioFileName(argv[2]);
    QElapsedTimer clock;
    clock.start();
    const bool ok = c.convert();
    std::printf("encode_seconds %.3f\n", double(clock.nsecsElapsed()) / 1e9);
    return ok ? 0 : 1;
}
