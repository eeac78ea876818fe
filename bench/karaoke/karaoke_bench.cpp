// What karaoke adds to a 1080p album frame: the same frame work (the
// player's full-frame picture copied into the frame) with and without the
// karaoke overlay, frame after frame through a four-minute song of 60 lines,
// so the cost of drawing each new line's pictures is included.
//
//   karaoke_bench --benchmark_repetitions=5   (or bench/karaoke/run.sh BUILD_DIR)
#include "core/fonts.h"
#include "core/overlay.h"
#include "karaoke/karaoke_overlay.h"
#include "karaoke/karaoke_painter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

using namespace fotarel;
using namespace fotarel::karaoke;

constexpr int kSongFrames = 4 * 60 * 25;

// 60 lines of 10 to 15 characters, a line every four seconds.
QByteArray songFile()
{
    const QString text = QStringLiteral("甜蜜蜜你笑得甜蜜蜜好像花儿开在春风里开在春风里在哪里在哪里见过你");
    QByteArray file;
    for (int i = 0; i < 60; ++i) {
        const int units = 10 + i % 6;
        const int start = 2000 + i * 3900;
        QStringList durations;
        for (int u = 0; u < units; ++u)
            durations << QString::number(200 + (u * 37) % 160);
        const auto time = [](int ms) {
            return QStringLiteral("%1:%2.%3")
                .arg(ms / 60000, 2, 10, QChar(u'0'))
                .arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
                .arg(ms % 1000, 3, 10, QChar(u'0'));
        };
        file += QStringLiteral("karaoke.add('%1', '%2', '%3', '%4');\r\n")
                    .arg(time(start), time(start + 3600), text.mid(i % 20, units), durations.join(u','))
                    .toUtf8();
    }
    return file;
}

struct Album {
    QImage player{1920, 1080, QImage::Format_RGB32}; // the player's picture of a frame
    QImage frame{1920, 1080, QImage::Format_RGB32};
    std::unique_ptr<Overlay> karaoke;

    Album()
    {
        QPainter p(&player);
        QLinearGradient gradient(0, 0, 1920, 1080);
        gradient.setColorAt(0, QColor(40, 90, 140));
        gradient.setColorAt(1, QColor(200, 160, 90));
        p.fillRect(player.rect(), gradient);
        std::map<int, std::unique_ptr<KaraokePainter>> painters;
        painters.emplace(0, std::make_unique<KaraokePainter>(parseKsc(songFile()), KaraokeStyle{}));
        karaoke = std::make_unique<KaraokeOverlay>(std::move(painters));
    }

    void compose(long long index, bool withKaraoke)
    {
        QPainter p(&frame);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, player);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (withKaraoke) {
            const long long songFrame = index % kSongFrames;
            karaoke->paint(p, frame.size(), OverlayTime{index, 0, 0, songFrame, songFrame * 40});
        }
    }
};

void run(benchmark::State& state, bool withKaraoke)
{
    Album album;
    long long index = 0;
    for (auto _ : state) {
        album.compose(index++, withKaraoke);
        benchmark::DoNotOptimize(album.frame.constBits());
    }
    state.counters["frames"] = static_cast<double>(index);
}

void BM_AlbumFrame1080p(benchmark::State& state)
{
    run(state, false);
}
void BM_AlbumFrame1080pWithKaraoke(benchmark::State& state)
{
    run(state, true);
}

BENCHMARK(BM_AlbumFrame1080p)->Unit(benchmark::kMicrosecond)->Iterations(kSongFrames);
BENCHMARK(BM_AlbumFrame1080pWithKaraoke)->Unit(benchmark::kMicrosecond)->Iterations(kSongFrames);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
