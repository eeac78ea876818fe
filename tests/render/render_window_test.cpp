// The render window runs a pass on its worker thread and stays responsive:
// a whole pass closes it with the file written; "停止制作" during encoding
// closes it within a second, with no output and no working files left.
#include "app/render/render_window.h"
#include "render/output_settings.h"
#include "render/render_names.h"
#include "tests/render/album_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

using namespace fotarel;
using fotarel::test::AlbumRun;

namespace {

void prepare(AlbumRun& run, const QString& name)
{
    run.session.set(settings::vars::OutputType, settings::kAvi);
    run.session.set(settings::vars::Width, "320");
    run.session.set(settings::vars::Height, "180");
    run.session.set(render::vars::VideoOut, run.tree.path(name));
    run.session.set(render::vars::AudioOut, run.tree.path(name));
}

template <typename F>
bool pumpUntil(F done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && !clock.hasExpired(ms))
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

} // namespace

TEST(RenderWindow, WholePassThenStopDuringEncoding)
{
    AlbumRun run;
    test::MovieOptions movie;
    movie.frames = 150;
    run.addMovieTemplate("t01", movie);
    run.loadLibrary();
    run.importColours({Qt::red, Qt::green});

    prepare(run, "whole.avi");
    {
        app::RenderWindow window(run.session, run.folder);
        window.setTimerIntervals(0, 0);
        window.show();
        ASSERT_TRUE(pumpUntil([&] { return window.finished(); }, 60000));
        EXPECT_EQ(window.outcome(), render::PassOutcome::Completed);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.findChild<QProgressBar*>("ProgressBar1")->value(), 2 * 400);
        EXPECT_TRUE(QFileInfo::exists(run.tree.path("whole.avi")));
    }

    prepare(run, "stopped.avi");
    app::RenderWindow window(run.session, run.folder);
    window.setTimerIntervals(0, 0);
    window.show();
    auto* overall = window.findChild<QProgressBar*>("ProgressBar1");
    auto* stop = window.findChild<QPushButton*>("suiButton1");
    ASSERT_TRUE(pumpUntil([&] { return overall->value() > 420 || window.finished(); }, 60000));
    ASSERT_FALSE(window.finished()) << "the pass ended before it could be stopped";
    EXPECT_TRUE(stop->isEnabled());
    stop->click();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(pumpUntil([&] { return window.finished(); }, 5000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(window.outcome(), render::PassOutcome::Stopped);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFileInfo::exists(run.tree.path("stopped.avi")));
    EXPECT_FALSE(run.exists("smxcwjj/tp_load/tp_load_1.bmp"));
    EXPECT_FALSE(run.exists("smxcwjj/tp_wjj/pic/picture_0.rar"));
}
