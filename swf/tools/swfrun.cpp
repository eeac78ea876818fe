// swfrun MOVIE [--frames N] [--input EVENTS.json] [--mouse-scale F]: plays N frames (the first
// is the load; --ticks is the same) and prints every trace line to standard
// output, one per line; FSCommands and errors go to standard error.
// EVENTS.json is a list of recorded input events ({"type": "MouseMove",
// "pos": [x, y]}, MouseDown, MouseUp, KeyDown, KeyUp, TextInput, Wait); the
// events up to each "Wait" are given before the next frame. F is the window's
// pixels per stage pixel, by which recorded positions are divided.
#include "swf/player.h"
#include "swf/tools/recorded_input.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Headless tools: no display needed unless the caller picks a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: swfrun MOVIE [--frames N] [--input EVENTS.json]\n");
        return 2;
    }
    int frames = 1;
    fotarel::swf::RecordedInput input;
    for (int i = 2; i + 1 < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--ticks" || a == "--frames") {
            frames = std::clamp(std::atoi(argv[i + 1]), 0, 10000000);
        } else if (a == "--mouse-scale") {
            input.setMouseScale(std::atof(argv[i + 1]));
        } else if (a == "--input") {
            QString error;
            if (!input.load(QString::fromLocal8Bit(argv[i + 1]), &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 2;
            }
        }
    }
    fotarel::swf::Player player;
    player.onTrace = [](QString line) {
        // A carriage return in traced text ends a line in the Flash Player's log too.
        line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        // Half of a surrogate pair cannot be written as UTF-8: the log shows
        // the replacement character.
        for (qsizetype i = 0; i < line.size(); ++i) {
            const bool pair = line[i].isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate();
            if (pair)
                ++i;
            else if (line[i].isSurrogate())
                line[i] = QChar(QChar::ReplacementCharacter);
        }
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
    for (int i = 1; i < frames; ++i) {
        input.giveFrame(player);
        player.tick();
    }
    // Events past the last frame (a one-frame run) still reach the movie.
    while (!input.done())
        input.giveFrame(player);
    for (const QString& e : player.errorLog())
        std::fprintf(stderr, "%s\n", qPrintable(e));
    return 0;
}
