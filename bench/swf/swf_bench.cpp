// Player frame cost against QPainter drawing the same content directly.
//   BM_PlayerFourPictures   : 1920 x 1080, four 960 x 540 JPEG bitmaps moving
//                             with rotation, scale and alpha over a gradient
//   BM_QPainterFourPictures : the same four transformed pictures and gradient
//                             drawn with QPainter directly
//   BM_PlayerGradientShapes : 500 antialiased shapes with radial gradients
//   BM_QPainterGradientShapes: the same circles and gradients drawn directly
// The ratio of each pair is the player's overhead. Compare "Time" (wall
// clock): QPainter spreads large fills over threads of its own.
#include "tests/swf/swf_builder.h"

#include "swf/player.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kFrames = 50;
constexpr int kW = 1920, kH = 1080;

QImage picture(int i)
{
    QImage img(960, 540, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 960, 540);
    g.setColorAt(0, QColor::fromHsv(i * 80, 200, 250));
    g.setColorAt(1, QColor::fromHsv(i * 80 + 40, 255, 120));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::white);
    for (int k = 0; k < 40; ++k)
        p.drawLine(k * 24, 0, 960 - k * 24, 540);
    return img;
}

QByteArray jpeg(const QImage& img)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPG", 90);
    return out;
}

struct Motion {
    double scale, angle, x, y, alpha;
};

Motion motion(int picture, int frame)
{
    const double t = frame / double(kFrames);
    return Motion{0.6 + 0.3 * std::sin(t * 6.28 + picture), (t * 40 + picture * 15) * 3.14159 / 180,
                  300 + picture * 400 + 100 * std::cos(t * 6.28), 300 + (picture % 2) * 400 + 80 * std::sin(t * 6.28),
                  0.5 + 0.5 * std::abs(std::cos(t * 3.14 + picture))};
}

QByteArray pictureMovie()
{
    swftest::Movie m;
    m.width = kW;
    m.height = kH;
    m.tag(32, swftest::rectShape(1, 3,
                                 swftest::gradientFill(0x10, swftest::matrix(kW * 20 / 32768.0, 0, 0, kH * 20 / 32768.0, kW * 10, kH * 10),
                                                       {{0, 20, 20, 60, 255}, {255, 200, 120, 40, 255}}),
                                 0, 0, kW * 20, kH * 20));
    for (int i = 0; i < 4; ++i) {
        swftest::Bits b;
        b.u16(10 + i);
        b.bytes(jpeg(picture(i)));
        m.tag(21, b.data());
        m.tag(32, swftest::rectShape(20 + i, 3, swftest::bitmapFill(0x41, 10 + i, swftest::matrix(20, 0, 0, 20, 0, 0)), 0, 0,
                                     960 * 20, 540 * 20));
    }
    swftest::Place bg;
    bg.depth = 1;
    bg.characterId = 1;
    m.tag(26, swftest::placeObject2(bg));
    for (int f = 0; f < kFrames; ++f) {
        for (int i = 0; i < 4; ++i) {
            const Motion mo = motion(i, f);
            swftest::Place p;
            p.depth = 2 + i;
            if (f == 0)
                p.characterId = 20 + i;
            else
                p.move = true;
            p.hasMatrix = true;
            // The picture is centred on (x, y): its centre is at (480, 270) px.
            const double a = mo.scale * std::cos(mo.angle), b = mo.scale * std::sin(mo.angle);
            const double tx = mo.x * 20 - (a * 9600 - b * 5400), ty = mo.y * 20 - (b * 9600 + a * 5400);
            p.matrixBytes = swftest::matrix(a, b, -b, a, int(tx), int(ty));
            p.hasCx = true;
            p.mul[3] = int(mo.alpha * 256);
            m.tag(26, swftest::placeObject2(p));
        }
        m.showFrame();
    }
    return m.finish();
}

void BM_PlayerFourPictures(benchmark::State& state)
{
    fotarel::swf::Player player;
    player.loadData(pictureMovie(), QStringLiteral("/tmp/bench.swf"));
    player.stopPlaying();
    QImage target(kW, kH, QImage::Format_ARGB32_Premultiplied);
    int f = 0;
    for (auto _ : state) {
        f = (f + 1) % kFrames;
        player.setFrameNum(f);
        player.paint(target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PlayerFourPictures)->Unit(benchmark::kMillisecond);

void BM_QPainterFourPictures(benchmark::State& state)
{
    std::vector<QImage> pics;
    for (int i = 0; i < 4; ++i)
        pics.push_back(QImage::fromData(jpeg(picture(i))).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    QImage target(kW, kH, QImage::Format_ARGB32_Premultiplied);
    int f = 0;
    for (auto _ : state) {
        f = (f + 1) % kFrames;
        QPainter p(&target);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, kW, 0);
        g.setColorAt(0, QColor(20, 20, 60));
        g.setColorAt(1, QColor(200, 120, 40));
        p.fillRect(target.rect(), g);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        for (int i = 0; i < 4; ++i) {
            const Motion mo = motion(i, f);
            QTransform t;
            t.translate(mo.x, mo.y);
            t.rotateRadians(mo.angle);
            t.scale(mo.scale, mo.scale);
            t.translate(-480, -270);
            p.setTransform(t);
            p.setOpacity(mo.alpha);
            p.drawImage(0, 0, pics[size_t(i)]);
        }
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_QPainterFourPictures)->Unit(benchmark::kMillisecond);

void BM_PlayerGradientShapes(benchmark::State& state)
{
    swftest::Movie m;
    m.width = kW;
    m.height = kH;
    for (int i = 0; i < 500; ++i) {
        // A circle-like shape of four curves with a radial gradient.
        swftest::Bits b;
        b.u16(1 + i);
        b.bytes(swftest::rect(-1000, 1000, -1000, 1000));
        b.bytes(swftest::fillArray({swftest::gradientFill(0x12, swftest::matrix(1000 / 16384.0, 0, 0, 1000 / 16384.0, 0, 0),
                                                          {{0, 255, uint8_t(i % 256), 0, 255}, {255, 0, 0, uint8_t(255 - i % 256), 128}})}));
        b.u8(0);
        swftest::ShapeWriter s(1, 0);
        s.change(-1, 1, -1, true, 1000, 0).curve(0, 1000, -1000, 0).curve(-1000, 0, 0, -1000).curve(0, -1000, 1000, 0).curve(1000, 0, 0, 1000);
        b.bytes(s.finish());
        m.tag(32, b.data());
        swftest::Place p;
        p.depth = 1 + i;
        p.characterId = 1 + i;
        p.hasMatrix = true;
        p.matrixBytes = swftest::matrix(0.5 + (i % 7) * 0.2, 0, 0, 0.5 + (i % 5) * 0.2, (i * 377) % (kW * 20), (i * 611) % (kH * 20));
        m.tag(26, swftest::placeObject2(p));
    }
    m.showFrame();
    fotarel::swf::Player player;
    player.loadData(m.finish(), QStringLiteral("/tmp/bench.swf"));
    QImage target(kW, kH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        player.paint(target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PlayerGradientShapes)->Unit(benchmark::kMillisecond);

void BM_QPainterGradientShapes(benchmark::State& state)
{
    // The same 500 circles (radius 50 px before scaling) with the same radial
    // gradients, drawn directly.
    QImage target(kW, kH, QImage::Format_ARGB32_Premultiplied);
    QPainterPath circle;
    circle.addEllipse(QPointF(0, 0), 50, 50);
    for (auto _ : state) {
        target.fill(Qt::white);
        QPainter p(&target);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 500; ++i) {
            QTransform t;
            t.translate(((i * 377) % (kW * 20)) / 20.0, ((i * 611) % (kH * 20)) / 20.0);
            t.scale(0.5 + (i % 7) * 0.2, 0.5 + (i % 5) * 0.2);
            p.setTransform(t);
            QRadialGradient g(QPointF(0, 0), 50);
            g.setColorAt(0, QColor(255, i % 256, 0, 255));
            g.setColorAt(1, QColor(0, 0, 255 - i % 256, 128));
            p.fillPath(circle, g);
        }
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_QPainterGradientShapes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
