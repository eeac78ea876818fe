// What captions cost on a 1920 × 1080 frame, side by side with the same
// frame without them.
//   BM_FrameWithoutCaptions    : the player's picture copied into the frame,
//                                as the compositor does for every frame
//   BM_FrameWithCaptions/N     : the same plus the caption overlay with N
//                                captions flying over it (40-point text)
//   BM_CaptionPictures/N       : laying out and drawing the N captions'
//                                pictures, which happens once per pass
// The caption cost per frame is the difference of the first two.
#include "core/fonts.h"
#include "effects/caption_columns.h"
#include "effects/caption_option.h"
#include "effects/caption_overlay.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

namespace {

using namespace fotarel;

constexpr int kW = 1920, kH = 1080;

QImage playerPicture()
{
    QImage img(kW, kH, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, kW, kH);
    g.setColorAt(0, QColor(40, 80, 160));
    g.setColorAt(1, QColor(200, 120, 60));
    p.fillRect(img.rect(), g);
    p.setBrush(QColor(240, 230, 200));
    p.drawEllipse(QPointF(700, 500), 300, 300);
    return img;
}

Table captions(int n)
{
    // Every caption starts at 00:00 with its own motion, so all fly at once.
    const char* texts[] = {"生日快乐", "Happy Birthday", "我们的旅行", "2026 夏天", "美好时光"};
    Table t(effects::captionColumnCaptions());
    for (int i = 0; i < n; ++i) {
        const auto option = effects::parseCaptionOption(
            QStringLiteral("00:00|%1|%2|黑体|40|clYellow").arg(i % 30 + 1).arg(QString::fromUtf8(texts[i % 5])));
        t.appendRow(*option.row);
    }
    return t;
}

void BM_FrameWithoutCaptions(benchmark::State& state)
{
    const QImage picture = playerPicture();
    QImage frame(kW, kH, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&frame);
        p.drawImage(0, 0, picture);
        p.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
}

void BM_FrameWithCaptions(benchmark::State& state)
{
    const QImage picture = playerPicture();
    QImage frame(kW, kH, QImage::Format_RGB32);
    auto overlay = effects::makeCaptionOverlayFromTable(captions(int(state.range(0))), {});
    OverlayTime time;
    time.albumFrame = 100;
    for (auto _ : state) {
        QPainter p(&frame);
        p.drawImage(0, 0, picture);
        overlay->paint(p, frame.size(), time);
        p.end();
        benchmark::DoNotOptimize(frame.constBits());
        // Frames 100-299: every caption is inside the picture.
        time.albumFrame = time.albumFrame >= 299 ? 100 : time.albumFrame + 1;
    }
}

void BM_CaptionPictures(benchmark::State& state)
{
    const Table table = captions(int(state.range(0)));
    QImage frame(kW, kH, QImage::Format_RGB32);
    OverlayTime time;
    time.albumFrame = 100;
    for (auto _ : state) {
        auto overlay = effects::makeCaptionOverlayFromTable(table, {});
        QPainter p(&frame);
        overlay->paint(p, frame.size(), time);
        p.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
}

BENCHMARK(BM_FrameWithoutCaptions)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameWithCaptions)->Arg(1)->Arg(2)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptionPictures)->Arg(2)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    fotarel::registerFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
