// Painting cost of each shipped template as the render pays it: the
// template plays from its first frame to its last with sample pictures and
// every frame is painted at 1920 × 1080 into a reused 32-bit picture.
// Prints processor time (the whole process: Qt spreads some work over
// threads of its own) per frame for every template, for
// profiling one template at a time (valgrind --tool=callgrind, perf).
//
// It paints on a thread of QThreadPool::globalInstance(), as the render pass
// does (render_pass.cpp); --split paints on the main thread instead, where
// Qt hands pieces of large fills and conversions to that pool, to compare
// the processor time of the two.
//
// --paint-hidden paints what opaque objects hide too (as before that was
// left out), to compare the cost.
//
// usage: render_template_paint LIBRARY_DIR [NAME_FILTER] [--size WxH] [--split] [--paint-hidden]
#include "tools/templatec/movie.h"
#include "tools/templatec/preview.h"

#include <QDir>
#include <QGuiApplication>
#include <QThreadPool>

#include <cstdio>
#include <ctime>

using namespace fotarel::templatec;

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: render_template_paint LIBRARY_DIR [NAME_FILTER] [--size WxH] [--split] [--paint-hidden]\n");
        return 2;
    }
    QString filter = QStringLiteral("*.tpl");
    QSize size(1920, 1080);
    bool split = false;
    bool paintHidden = false;
    for (int i = 2; i < args.size(); ++i) {
        if (args[i] == "--size" && i + 1 < args.size()) {
            const QStringList wh = args[++i].split('x');
            size = QSize(wh.value(0).toInt(), wh.value(1).toInt());
        } else if (args[i] == "--split") {
            split = true;
        } else if (args[i] == "--paint-hidden") {
            paintHidden = true;
        } else {
            filter = args[i];
        }
    }
    auto body = [&]() {
    double all = 0;
    int allFrames = 0;
    std::printf("%-28s %7s %10s %8s\n", "template", "frames", "paint ms", "ms/frame");
    for (const QString& file : QDir(args[1]).entryList({filter}, QDir::Files, QDir::Name)) {
        const Scene scene = loadScene(QDir(args[1]).filePath(file));
        const QSize full = scene.photoSlots.size() == 1 && scene.photoSlots[0].orientation == "shu" ? QSize(810, 1080)
                                                                                                   : QSize(1440, 1080);
        TemplateRun run(scene, compileMovie(scene), full);
        if (!run.ok()) {
            std::printf("%-28s %s\n", qPrintable(file), qPrintable(run.error()));
            continue;
        }
        run.player().renderer().setSkipHidden(!paintHidden);
        QImage frame(size, QImage::Format_RGB32);
        double ms = 0;
        for (int f = 0; f < scene.frames; ++f) {
            if (run.player().frameNum() != f)
                run.player().setFrameNum(f);
            const double start = cpuMs();
            run.player().paint(frame);
            ms += cpuMs() - start;
        }
        std::printf("%-28s %7d %10.0f %8.2f\n", qPrintable(QFileInfo(file).completeBaseName()), scene.frames, ms,
                    ms / scene.frames);
        all += ms;
        allFrames += scene.frames;
    }
    std::printf("%-28s %7d %10.0f %8.2f\n", "all", allFrames, all, allFrames ? all / allFrames : 0.0);
    };
    if (split) {
        body();
    } else {
        QThreadPool::globalInstance()->start(body);
        QThreadPool::globalInstance()->waitForDone();
    }
    return 0;
}
