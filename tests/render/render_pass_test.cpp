// Whole render passes through the real pipeline: imported photos, template
// movies played by our player, frames encoded by our conversion library,
// checked with ffprobe and by decoding frames back.
#include "tests/render/album_fixture.h"

#include "render/album_length.h"
#include "render/frame_compositor.h"
#include "render/output_settings.h"
#include "render/render_names.h"
#include "render/render_pass.h"
#include "templates/package.h"
#include "audio/audio_names.h"
#include "photos/photo_columns.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

using namespace fotarel;
using namespace fotarel::render;
using fotarel::test::AlbumRun;
using fotarel::test::MovieOptions;

namespace {

bool near(QRgb c, QColor want, int tolerance = 60)
{
    return std::abs(qRed(c) - want.red()) <= tolerance && std::abs(qGreen(c) - want.green()) <= tolerance &&
           std::abs(qBlue(c) - want.blue()) <= tolerance;
}

void prepareOutput(AlbumRun& run, const QString& type, const QString& name)
{
    run.session.set(settings::vars::OutputType, type);
    run.session.set(settings::vars::Width, "320");
    run.session.set(settings::vars::Height, "180");
    const QString out = run.tree.path(name);
    run.session.set(vars::VideoOut, out);
    run.session.set(vars::AudioOut, out);
}

QString makeSong(AlbumRun& run, double seconds)
{
    const QString song = run.tree.path("song.mp3");
    EXPECT_TRUE(fotarel::test::makeTone(song, seconds));
    return song;
}

void addSongRow(AlbumRun& run, const QString& path, int seconds)
{
    run.session.table(audio::names::MusicTable)
        .appendRow({"1", "song", ".mp3", path, "00:00:0" + QString::number(seconds), QString::number(seconds * 25),
                    "wu", "wu"});
}

} // namespace

TEST(RenderPass, ThreePhotoDvdAlbumShowsEachGroupInOrderThenTheEnding)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {});
    run.loadLibrary();
    const QList<QColor> colours{QColor(230, 30, 30), QColor(30, 200, 30), QColor(30, 30, 230)};
    run.importColours(colours);
    ASSERT_EQ(run.session.table(photo_tables::Photos).rowCount(), 3);
    addSongRow(run, makeSong(run, 8), 8);
    prepareOutput(run, settings::kDvd, "album.mpg");

    QList<int> overall;
    PassEvents events;
    events.overall = [&](int v, int) { overall << v; };
    RenderPass pass(run.session, run.folder, events);
    const PassResult result = pass.run();
    ASSERT_EQ(result.outcome, PassOutcome::Completed) << result.errorText.toStdString();
    // The pass worked on its own copy; the caller's session takes what it wrote.
    EXPECT_EQ(run.session.get(vars::EndingSwitch), kEndingOff);
    result.applyTo(run.session);

    const int T = 3 * 6 + 100;
    EXPECT_EQ(result.totalFrames, T);
    EXPECT_EQ(overall.last(), 2 * T);
    const QString out = run.tree.path("album.mpg");
    EXPECT_EQ(fotarel::test::probe(out, "v:0", "stream=nb_read_frames"), QString::number(T));
    EXPECT_EQ(fotarel::test::probe(out, "v:0", "stream=r_frame_rate"), "25/1");
    EXPECT_EQ(fotarel::test::probe(out, "v:0", "stream=width"), "320");
    EXPECT_EQ(fotarel::test::probe(out, "a:0", "stream=codec_type"), "audio");
    // The song (8 s) is cut to the album (4.72 s).
    EXPECT_LT(fotarel::test::probe(out, "", "format=duration").toDouble(), 5.3);

    const QList<QImage> frames = fotarel::test::decodeFrames(out);
    ASSERT_EQ(frames.size(), T);
    // The album opens on its first picture, not on black.
    EXPECT_TRUE(near(frames[0].pixel(16, 9), colours[0])) << "start frame";
    for (int g = 0; g < 3; ++g)
        for (int f = 1; f <= 6; ++f)
            EXPECT_TRUE(near(frames[g * 6 + f].pixel(8, 9), colours[g])) << "group " << g << " frame " << f;
    for (int f = 19; f < T; f += 20) {
        EXPECT_TRUE(near(frames[f].pixel(8, 9), colours[2])) << "ending carry-over, frame " << f;
        EXPECT_TRUE(near(frames[f].pixel(26, 9), Qt::white)) << "ending template, frame " << f;
    }

    // Working files are gone; the sequence and logs are as the pass left them.
    EXPECT_FALSE(run.exists("smxcwjj/tp_load/tp_load_1.bmp"));
    EXPECT_FALSE(run.exists("smxcwjj/tp_wjj/pic/picture_0.rar"));
    EXPECT_EQ(run.session.table(tables::Sequence).rowCount(), 3);
    const QStringList load = run.session.table(tables::LoadLog).lines();
    ASSERT_GE(load.size(), 2);
    EXPECT_EQ(load[0], "1B-卸载创建的FLASH完成！");
    EXPECT_EQ(load[1], "2B-创建FLASH控件完成！");
    EXPECT_EQ(run.session.get(vars::EndingSwitch), kEndingOn);
    const QStringList log = run.session.table(tables::ConversionLog).lines();
    EXPECT_EQ(log.value(0), QString("Total frames:  %1").arg(T));
    EXPECT_TRUE(log.contains("Starting conversion..."));
    EXPECT_TRUE(log.contains("Conversion ended."));
    EXPECT_TRUE(log.contains("Multiplexing done: 100%"));

    // A second pass in the same run starts again from -1 and gives the same album.
    run.session.set(vars::VideoOut, run.tree.path("again.avi"));
    run.session.set(vars::AudioOut, run.tree.path("again.avi"));
    run.session.set(settings::vars::OutputType, settings::kAvi);
    RenderPass second(run.session, run.folder);
    ASSERT_EQ(second.run().outcome, PassOutcome::Completed);
    const QList<QImage> again = fotarel::test::decodeFrames(run.tree.path("again.avi"));
    ASSERT_EQ(again.size(), T);
    EXPECT_TRUE(near(again[1].pixel(8, 9), colours[0]));
    EXPECT_TRUE(near(again[13].pixel(8, 9), colours[2]));
}

TEST(RenderPass, TemplateWithoutMarkerEndsThePassWithoutOutput)
{
    AlbumRun run;
    MovieOptions bad;
    bad.marker = false;
    run.addMovieTemplate("t01", bad);
    run.loadLibrary();
    run.importColours({Qt::red});
    prepareOutput(run, settings::kAvi, "bad.avi");
    RenderPass pass(run.session, run.folder);
    EXPECT_EQ(pass.run().outcome, PassOutcome::InvalidTemplate);
    EXPECT_FALSE(QFileInfo::exists(run.tree.path("bad.avi")));
    EXPECT_FALSE(run.exists("smxcwjj/tp_load/tp_load_1.bmp"));
}

TEST(RenderPass, MovieThatNeverSendsPicture0IsLoggedAndSkipped)
{
    AlbumRun run;
    MovieOptions silent;
    silent.sendsPicture0 = false;
    run.addMovieTemplate("t01", silent);
    run.loadLibrary();
    run.importColours({Qt::red});
    prepareOutput(run, settings::kAvi, "silent.avi");
    RenderPass pass(run.session, run.folder);
    pass.setPicture0Bound(20, std::chrono::milliseconds(2000));
    const PassResult result = pass.run();
    ASSERT_EQ(result.outcome, PassOutcome::Completed);
    const QStringList errors = result.state->table(tables::ErrorLog).lines();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("picture_0"));
    // The skipped template's frames went to the ending template.
    const QList<QImage> frames = fotarel::test::decodeFrames(run.tree.path("silent.avi"));
    ASSERT_EQ(frames.size(), 106);
    EXPECT_TRUE(near(frames[1].pixel(26, 9), Qt::white));
}

// A stop at any moment ends the pass as stopped, with no file under the
// output's name, no ".part" and no working files: during set-up (before the
// conversion starts), mid-frame while the templates play, while the ending
// template plays, and after the last frame while the output is finished
// (just before it would get its name).
TEST(RenderPass, StopAtAnyMomentEndsCleanly)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {});
    run.loadLibrary();
    run.importColours({Qt::red, Qt::green});
    const int T = 2 * 6 + 100;
    const struct {
        const char* name;
        // On ProgressBar1's reports (value, maximum) and the log's lines.
        std::function<bool(int value, int maximum, const QString& line)> at;
    } cases[] = {
        {"set-up", [](int v, int m, const QString&) { return v == 0 && m == 2 * T; }},
        {"a template's frame", [](int v, int, const QString&) { return v == T + 5; }},
        {"the ending template", [](int v, int, const QString&) { return v == T + 60; }},
        {"the last frame", [](int, int, const QString& line) { return line.startsWith(QString("Frame: %1,").arg(T)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = run.tree.path("stopped.mpg");
        prepareOutput(run, settings::kDvd, "stopped.mpg");
        std::stop_source stop;
        bool hit = false;
        PassEvents events;
        auto watch = [&](int v, int m, const QString& line) {
            if (!hit && c.at(v, m, line)) {
                hit = true;
                stop.request_stop();
            }
        };
        events.overall = [&](int v, int m) { watch(v, m, {}); };
        events.log = [&](const QString& line) { watch(-1, -1, line); };
        RenderPass pass(run.session, run.folder, events);
        stop = pass.stopSource();
        const PassResult result = pass.run();
        EXPECT_TRUE(hit);
        EXPECT_EQ(result.outcome, PassOutcome::Stopped) << result.errorText.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_FALSE(QFileInfo::exists(out + ".part"));
        EXPECT_FALSE(run.exists("smxcwjj/tp_load/tp_load_1.bmp"));
        EXPECT_FALSE(run.exists("smxcwjj/tp_load/tp_load_1_2_1.jpg"));
        EXPECT_FALSE(run.exists("smxcwjj/tp_wjj/pic/picture_0.rar"));
    }
}

// The pass runs on a worker thread while this thread keeps reading and
// writing its own session, as the status panel and the windows do: the pass
// touches only its copy (the ThreadSanitizer build checks this), and the
// caller's session changes only when it merges the result.
TEST(RenderPass, RunsOnAWorkerWhileTheCallerUsesItsSession)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {});
    run.loadLibrary();
    run.importColours({Qt::red});
    prepareOutput(run, settings::kAvi, "worker.avi");
    RenderPass pass(run.session, run.folder);
    std::atomic<bool> done{false};
    PassResult result;
    std::thread worker([&] {
        result = pass.run();
        done = true;
    });
    int reads = 0;
    while (!done.load()) {
        (void)settings::statusLines(run.session);
        run.session.setInt(vars::AlbumFrame, ++reads);
        run.session.table(tables::ConversionLog).appendLine(QStringLiteral("caller"));
    }
    worker.join();
    ASSERT_EQ(result.outcome, PassOutcome::Completed) << result.errorText.toStdString();
    EXPECT_EQ(run.session.getInt(vars::AlbumFrame), reads);
    result.applyTo(run.session);
    EXPECT_EQ(run.session.getInt(vars::AlbumFrame), 6 + 100 - 1);
    EXPECT_FALSE(run.session.table(tables::ConversionLog).lines().contains(QStringLiteral("caller")));
}

// A broken invariant on the pass's thread (here an unknown table name in the
// pass's own copy) ends the pass as failed, instead of escaping the thread.
TEST(RenderPass, BrokenInvariantFailsThePass)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {});
    run.loadLibrary();
    run.importColours({Qt::red});
    prepareOutput(run, settings::kAvi, "broken.avi");
    PassEvents events;
    events.overall = [&](int v, int) {
        if (v > 0)
            (void)Session().table(QStringLiteral("no such table"));
    };
    RenderPass pass(run.session, run.folder, events);
    const PassResult result = pass.run();
    EXPECT_EQ(result.outcome, PassOutcome::Failed);
    EXPECT_TRUE(result.errorText.contains("no such table")) << result.errorText.toStdString();
    EXPECT_FALSE(QFileInfo::exists(run.tree.path("broken.avi")));
    EXPECT_FALSE(run.exists("smxcwjj/tp_load/tp_load_1.bmp"));
}

TEST(RenderPass, FollowingLongerMusicHoldsTheLastPictureAndEndsWithTheEndingTemplate)
{
    AlbumRun run;
    // An ending template that fades to black at its last frame, as the real one does.
    MovieOptions ending;
    ending.frames = 4;
    ending.photoSlot = false;
    ending.whiteRight = true;
    ending.blackFrom = 3;
    run.tree.write("smxcwjj/wj_0_or_1/wj_1.rar", packPayload(fotarel::test::templateMovie(ending)));
    run.addMovieTemplate("t01", {});
    run.loadLibrary();
    const QList<QColor> colours{QColor(230, 30, 30), QColor(30, 200, 30), QColor(30, 30, 230)};
    run.importColours(colours);
    addSongRow(run, makeSong(run, 20), 20);
    settings::chooseFollowMusic(run.session);
    prepareOutput(run, settings::kAvi, "music.avi");

    RenderPass pass(run.session, run.folder);
    const PassResult result = pass.run();
    ASSERT_EQ(result.outcome, PassOutcome::Completed) << result.errorText.toStdString();
    const int T = 500;
    ASSERT_EQ(result.totalFrames, T);
    const QList<QImage> frames = fotarel::test::decodeFrames(run.tree.path("music.avi"));
    ASSERT_EQ(frames.size(), T);
    // The last group's picture holds from the end of the templates until the
    // ending template's own frames fill the album's last 100 frames.
    for (int f = 19; f < T - 100 + 3; f += 7)
        EXPECT_TRUE(near(frames[f].pixel(8, 9), colours[2])) << "held picture, frame " << f;
    EXPECT_TRUE(near(frames[T - 98].pixel(8, 9), colours[2]));
    for (int f = T - 97; f < T; f += 8)
        EXPECT_TRUE(near(frames[f].pixel(8, 9), Qt::black, 30)) << "the ending's fade, frame " << f;
}

TEST(RenderPass, CountsBeyondAnyAlbumEndTheSetUpWithAMessage)
{
    // Counts no album has (a hand-edited session or a template description
    // out of all measure): the pass neither wraps them round to "nothing to
    // convert" nor sizes its lists by them; it fails at once and says why.
    AlbumRun run;
    run.addMovieTemplate("t01", {});
    run.loadLibrary();
    run.importColours({QColor(230, 30, 30), QColor(30, 200, 30)});
    prepareOutput(run, settings::kAvi, "long.avi");
    struct Case {
        const char* what;
        QString frameCount;
        QString groups;
        QString songFrames;
        long long frames; // what the message names
    };
    const Case cases[] = {
        {"frame count 2^31-1", "2147483647", "2", "", 2147483647LL + 6 + kEndingReserve},
        {"group count 2^31-1, song of 2^31-1 frames", "6", "2147483647", "2147483647", 2147483647LL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session session = run.session;
        session.table(photo_tables::Photos).setCell(0, PhotoCol::FrameCount, c.frameCount);
        session.set(vars::GroupCount, c.groups);
        if (!c.songFrames.isEmpty()) {
            session.table(audio::names::MusicTable)
                .appendRow({"1", "song", ".mp3", run.tree.path("song.mp3"), "00:00:01", c.songFrames, "wu", "wu"});
            settings::chooseFollowMusic(session);
        }
        RenderPass pass(session, run.folder);
        const PassResult result = pass.run();
        EXPECT_EQ(result.outcome, PassOutcome::Failed);
        EXPECT_EQ(failureText(result), "制作失败：" + albumTooLongText(c.frames));
        EXPECT_FALSE(QFileInfo::exists(run.tree.path("long.avi")));
        EXPECT_LE(result.state->table(tables::FrameList).rowCount(), kMaxAlbumFrames);
        EXPECT_LE(result.state->table(tables::TemplateUse).rowCount(), 2);
    }
}

TEST(AlbumLength, RulesGiveTheFrameCountSequenceAndSongs)
{
    struct Case {
        const char* name;
        bool followMusic, loopMusic, loopPictures;
        int songSeconds;
        int frames, sequenceRows, audioEntries;
    };
    // Two templates of 50 frames: the photos give 200 frames.
    const Case cases[] = {
        {"photos, no loop", false, false, false, 3, 200, 2, 1},
        {"photos, loop music", false, true, false, 3, 200, 2, 3},
        {"music longer", true, false, false, 20, 500, 2, 1},
        {"music longer, loop pictures", true, false, true, 20, 500, 10, 1},
        {"music shorter than photos", true, false, false, 2, 200, 2, 1},
    };
    for (const Case& c : cases) {
        Session session;
        session.table(tables::TemplateUse).appendRow({"1", "1", "0", "1", "p", "|heng|", "|picture_1|", "50", "m1"});
        session.table(tables::TemplateUse).appendRow({"2", "2", "0", "1", "p", "|heng|", "|picture_1|", "50", "m2"});
        session.table(photo_tables::Photos).appendRow({"1"});
        session.table(audio::names::MusicTable)
            .appendRow({"1", "s", ".mp3", "/s.mp3", "", QString::number(c.songSeconds * 25), "wu", "wu"});
        if (c.followMusic)
            settings::chooseFollowMusic(session);
        settings::setLoopMusic(session, c.loopMusic);
        settings::setLoopPictures(session, c.loopPictures);
        const AlbumLength plan = planAlbumLength(session);
        EXPECT_EQ(plan.totalFrames, c.frames) << c.name;
        EXPECT_EQ(plan.sequenceRows, c.sequenceRows) << c.name;
        EXPECT_EQ(plan.audioEntries, c.audioEntries) << c.name;
    }
}

TEST(TimeText, FramesToMinutesAndSeconds)
{
    const std::pair<long long, const char*> cases[] = {
        {0, "00:00"}, {1625, "01:05"}, {1500, "01:00"}, {90000, "60:00"}, {61 * 1500, "01:00"}, {24, "00:00"}};
    for (const auto& [frames, text] : cases)
        EXPECT_EQ(timeText(frames), QString(text)) << frames;
}
