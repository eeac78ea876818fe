// swfrender MOVIE OUT_PREFIX [--frame N | --range A B | --all] [--size W H]
// Steps the movie from its first frame and writes the chosen frames (1-based)
// as OUT_PREFIX_NNNN.png.
#include "swf/player.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Headless tools: no display needed unless the caller picks a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: swfrender MOVIE OUT_PREFIX [--frame N | --range A B | --all] [--size W H]\n");
        return 2;
    }
    fotarel::swf::Player player;
    if (!player.load(QString::fromLocal8Bit(argv[1]))) {
        for (const QString& e : player.errorLog())
            std::fprintf(stderr, "%s\n", qPrintable(e));
        return 1;
    }
    player.stopPlaying();
    player.settle(); // pictures the first frame asks for are shown in it
    int first = 1, last = 1;
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
        } else if (a == "--size" && i + 2 < argc) {
            size = QSize(std::atoi(argv[i + 1]), std::atoi(argv[i + 2]));
            i += 2;
        }
    }
    if (size.isEmpty() || size.width() > 8192 || size.height() > 8192) {
        std::fprintf(stderr, "bad size\n");
        return 2;
    }
    first = std::clamp(first, 1, player.totalFrames());
    last = std::clamp(last, first, player.totalFrames());
    for (int f = 1; f <= last; ++f) {
        if (f > 1)
            player.setFrameNum(f - 1);
        if (f < first)
            continue;
        const QString out = QStringLiteral("%1_%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(f, 4, 10, QLatin1Char('0'));
        if (!player.paint(size).save(out)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
        std::printf("%s\n", qPrintable(out));
    }
    for (const QString& e : player.errorLog())
        std::fprintf(stderr, "%s\n", qPrintable(e));
    return 0;
}
