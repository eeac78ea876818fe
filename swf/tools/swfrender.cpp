// swfrender MOVIE OUT_PREFIX [--frame N | --range A B | --all | --ticks N] [--size W H]
//           [--quality low|high] [--compare EXPECTED.png [--tolerance T] [--max-outliers M]
//           [--check T M]...]
// Steps the movie from its first frame and writes the chosen frames (1-based)
// as OUT_PREFIX_NNNN.png. Frames past the root's last frame are further
// ticks: the root stays on its last frame while clips and scripts go on.
// --ticks N plays the movie as a player would (the first tick is the load)
// and writes the picture after N ticks to OUT_PREFIX.png; "-" writes nothing.
// --input EVENTS.json (with --ticks) gives recorded input as swfrun does: the
// events up to the first Wait right after the load, those up to the next
// Wait after each further tick, so the picture after N ticks shows what the
// first N groups of events did. --mouse-scale F divides recorded positions.
// --compare checks that picture against EXPECTED: each channel (red, green,
// blue, alpha) of a pixel that differs by more than T is an outlier, and at
// most M may be (a pixel off in three channels counts three); prints the
// count and the pictures' structural similarity (SSIM of the luminance over
// 8 x 8 blocks) and exits 3 when there are more. Each --check T M is one
// more such test (T and M together), all of which must hold. --quality low paints as
// the Flash Player's low quality does: no antialiasing, no bitmap smoothing.
#include "swf/player.h"
#include "swf/renderer.h"
#include "swf/tools/recorded_input.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace {

struct Difference {
    qint64 outliers = 0;
    int largest = 0;
};

Difference compareImages(const QImage& actual, const QImage& expected, int tolerance)
{
    const QImage a = actual.convertToFormat(QImage::Format_RGBA8888);
    const QImage e = expected.convertToFormat(QImage::Format_RGBA8888);
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* pa = a.constScanLine(y);
        const uchar* pe = e.constScanLine(y);
        for (int x = 0; x < a.width() * 4; ++x) {
            const int diff = std::abs(int(pa[x]) - int(pe[x]));
            d.largest = std::max(d.largest, diff);
            d.outliers += diff > tolerance;
        }
    }
    return d;
}

// Structural similarity of the two pictures' luminance (composited on
// white), averaged over 8 x 8 blocks: 1 for equal pictures.
double similarity(const QImage& actual, const QImage& expected)
{
    auto luminance = [](const QImage& img) {
        QImage flat(img.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, img);
        return flat.convertToFormat(QImage::Format_Grayscale8);
    };
    const QImage a = luminance(actual), e = luminance(expected);
    constexpr double c1 = 6.5025, c2 = 58.5225; // (0.01 * 255)^2, (0.03 * 255)^2
    double sum = 0;
    int blocks = 0;
    for (int by = 0; by + 8 <= a.height(); by += 8) {
        for (int bx = 0; bx + 8 <= a.width(); bx += 8) {
            double ma = 0, me = 0, va = 0, ve = 0, cov = 0;
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x) {
                    ma += a.constScanLine(y)[x];
                    me += e.constScanLine(y)[x];
                }
            ma /= 64;
            me /= 64;
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x) {
                    const double da = a.constScanLine(y)[x] - ma, de = e.constScanLine(y)[x] - me;
                    va += da * da;
                    ve += de * de;
                    cov += da * de;
                }
            va /= 63;
            ve /= 63;
            cov /= 63;
            sum += ((2 * ma * me + c1) * (2 * cov + c2)) / ((ma * ma + me * me + c1) * (va + ve + c2));
            ++blocks;
        }
    }
    return blocks ? sum / blocks : 1.0;
}

} // namespace

int main(int argc, char** argv)
{
    // Headless tools: no display needed unless the caller picks a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: swfrender MOVIE OUT_PREFIX [--frame N | --range A B | --all | --ticks N] "
                             "[--size W H] [--compare EXPECTED [--tolerance T] [--max-outliers M]]\n");
        return 2;
    }
    fotarel::swf::Player player;
    if (!player.load(QString::fromLocal8Bit(argv[1]))) {
        for (const QString& e : player.errorLog())
            std::fprintf(stderr, "%s\n", qPrintable(e));
        return 1;
    }
    int first = 1, last = 1, ticks = 0, tolerance = 0;
    qint64 maxOutliers = 0;
    std::vector<std::pair<int, qint64>> checks; // further (tolerance, outliers) tests
    bool highQuality = true;
    QString expectedPath;
    fotarel::swf::RecordedInput input;
    QSize size = player.stageSize().toSize();
    for (int i = 3; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--frame" && i + 1 < argc) {
            first = last = std::atoi(argv[++i]);
        } else if (a == "--range" && i + 2 < argc) {
            first = std::atoi(argv[++i]);
            last = std::atoi(argv[++i]);
        } else if (a == "--all") {
            first = 1;
            last = player.totalFrames();
        } else if (a == "--ticks" && i + 1 < argc) {
            ticks = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--size" && i + 2 < argc) {
            size = QSize(std::atoi(argv[i + 1]), std::atoi(argv[i + 2]));
            i += 2;
        } else if (a == "--compare" && i + 1 < argc) {
            expectedPath = QString::fromLocal8Bit(argv[++i]);
        } else if (a == "--quality" && i + 1 < argc) {
            highQuality = QByteArray(argv[++i]).toLower() != "low";
        } else if (a == "--check" && i + 2 < argc) {
            checks.emplace_back(std::atoi(argv[i + 1]), std::atoll(argv[i + 2]));
            i += 2;
        } else if (a == "--input" && i + 1 < argc) {
            QString error;
            if (!input.load(QString::fromLocal8Bit(argv[++i]), &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 2;
            }
        } else if (a == "--mouse-scale" && i + 1 < argc) {
            input.setMouseScale(std::atof(argv[++i]));
        } else if (a == "--tolerance" && i + 1 < argc) {
            tolerance = std::atoi(argv[++i]);
        } else if (a == "--max-outliers" && i + 1 < argc) {
            maxOutliers = std::atoll(argv[++i]);
        }
    }
    if (size.isEmpty() || size.width() > 8192 || size.height() > 8192) {
        std::fprintf(stderr, "bad size\n");
        return 2;
    }
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    fotarel::swf::Renderer renderer(player);
    renderer.setHighQuality(highQuality);
    auto paint = [&] {
        QImage img(size, QImage::Format_ARGB32_Premultiplied);
        renderer.paint(img);
        return img;
    };
    auto finish = [&](const QImage& picture, const QString& out) {
        if (prefix != QLatin1String("-")) {
            if (!picture.save(out)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
                return 1;
            }
            std::printf("%s\n", qPrintable(out));
        }
        if (expectedPath.isEmpty())
            return 0;
        const QImage expected(expectedPath);
        if (expected.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(expectedPath));
            return 1;
        }
        if (expected.size() != picture.size()) {
            std::printf("size %dx%d, expected %dx%d\n", picture.width(), picture.height(), expected.width(),
                        expected.height());
            return 3;
        }
        int rc = 0;
        for (const auto& [t, m] : checks) {
            const Difference c = compareImages(picture, expected, t);
            std::printf("tolerance %d: %lld outliers (at most %lld)\n", t, static_cast<long long>(c.outliers),
                        static_cast<long long>(m));
            if (c.outliers > m)
                rc = 3;
        }
        const Difference d = compareImages(picture, expected, tolerance);
        std::printf("%lld outliers (at most %lld), largest difference %d, SSIM %.4f\n",
                    static_cast<long long>(d.outliers), static_cast<long long>(maxOutliers), d.largest,
                    similarity(picture, expected));
        return d.outliers > maxOutliers ? 3 : rc;
    };

    int rc = 0;
    if (ticks > 0) {
        // As a player plays it: the load is the first tick; each tick's
        // recorded events come after it.
        for (int i = 1; i <= ticks; ++i) {
            if (i > 1)
                player.tick();
            input.giveFrame(player);
        }
        rc = finish(paint(), prefix + QStringLiteral(".png"));
    } else {
        player.stopPlaying();
        player.settle(); // pictures the first frame asks for are shown in it
        first = std::max(first, 1);
        last = std::clamp(last, first, 1000000);
        const int total = player.totalFrames();
        for (int f = 1; f <= last && rc == 0; ++f) {
            if (f > 1) {
                if (f <= total)
                    player.setFrameNum(f - 1);
                else
                    player.tick(); // past the last frame: clips and scripts keep running
            }
            if (f < first)
                continue;
            rc = finish(paint(),
                        QStringLiteral("%1_%2.png").arg(prefix).arg(f, 4, 10, QLatin1Char('0')));
        }
    }
    for (const QString& e : player.errorLog())
        std::fprintf(stderr, "%s\n", qPrintable(e));
    return rc;
}
