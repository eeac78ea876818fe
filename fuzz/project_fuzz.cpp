// Feeds arbitrary bytes to the album project reader and on to the album it
// opens: a project file comes from outside (a user opens what another saved
// or what a crash left), and its numbers size groups, crops, frame lists and
// loops. Each input is opened as a project in a program folder with a
// template library and three photos, then the render pass is set up (the
// player, the start frame, the template-use and sequence tables, the frame
// and song lists, the overlays, the first template's movie) without
// encoding.
//
// "@PHOTOS@" in an input stands for the folder of the three photos
// (p1.jpg, p2.jpg, p3.jpg, 240 x 135) and "@PROGRAM@" for the program
// folder (its template library has one template, "t01"), so the seeds name
// files that exist.
#include "project/album_project.h"

#include "render/encoder_binding.h"
#include "render/render_driver.h"
#include "tests/render/album_fixture.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct World {
    fotarel::test::AlbumRun run;
    fotarel::Session pristine; // the session with its library, before any album
    QByteArray photoFolder;

    World()
    {
        run.addMovieTemplate(QStringLiteral("t01"), {});
        run.loadLibrary();
        pristine = run.session;
        const QColor colours[] = {QColor(230, 30, 30), QColor(30, 200, 30), QColor(30, 30, 230)};
        QString first;
        for (int i = 0; i < 3; ++i) {
            QImage picture(240, 135, QImage::Format_RGB32);
            picture.fill(colours[i]);
            const QString written = run.photo(QStringLiteral("p%1.jpg").arg(i + 1), picture);
            if (first.isEmpty())
                first = written;
        }
        photoFolder = QFileInfo(first).absolutePath().toUtf8();
    }
};

World& world()
{
    static World instance; // its temporary program folder goes at exit
    return instance;
}

} // namespace

// Qt's font database keeps fontconfig's pattern caches, which fontconfig
// never frees: not a fault of the code under test.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Template movies are painted with text: that needs a GUI application.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    World& w = world();
    QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    if (!fotarel::project::parseProject(text, &error))
        return 0; // refused before anything changes: nothing more to reach
    text.replace("@PHOTOS@", w.photoFolder);
    text.replace("@PROGRAM@", w.run.tree.root().toUtf8());

    fotarel::test::AlbumRun& run = w.run;
    run.session = w.pristine;
    // What the scripted interface and hooks record would grow input by input.
    run.ui.messages.clear();
    run.ui.progressSeen.clear();
    run.ui.pumps = 0;
    run.hookCalls.clear();
    const QString path = run.tree.path(QStringLiteral("fuzz.fotarel"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
            return 0;
    }
    if (!fotarel::project::openProject(run.ctx, path).opened)
        return 0;
    fotarel::render::RenderDriver driver(run.session, run.folder, fotarel::render::paintSize(run.session));
    driver.picture0Ticks = 50;
    driver.picture0Time = std::chrono::milliseconds(1000);
    if (driver.setUp() > 0)
        driver.nextTemplate(); // the first template's movie, as the pass loads it
    driver.removeWorkingFiles();
    return 0;
}
