// swfrun MOVIE --ticks N: plays N ticks and prints every trace line to
// standard output, one per line; FSCommands and errors go to standard error.
#include "swf/player.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Headless tools: no display needed unless the caller picks a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: swfrun MOVIE [--ticks N]\n");
        return 2;
    }
    int ticks = 1;
    for (int i = 2; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--ticks")
            ticks = std::max(0, std::atoi(argv[i + 1]));
    }
    fotarel::swf::Player player;
    player.onTrace = [](const QString& line) {
        std::printf("%s\n", line.toUtf8().constData());
        std::fflush(stdout);
    };
    player.onFsCommand = [](const QString& cmd, const QString& args) {
        std::fprintf(stderr, "fscommand %s %s\n", qPrintable(cmd), qPrintable(args));
    };
    // The first frame runs on load; each further tick plays one frame.
    if (!player.load(QString::fromLocal8Bit(argv[1]))) {
        for (const QString& e : player.errorLog())
            std::fprintf(stderr, "%s\n", qPrintable(e));
        return 1;
    }
    for (int i = 1; i < ticks; ++i)
        player.tick();
    for (const QString& e : player.errorLog())
        std::fprintf(stderr, "%s\n", qPrintable(e));
    return 0;
}
