// A rendered two-song album with a karaoke file per song: each song's line
// appears and is wiped on the frames its own clock gives, decoded back from
// the written frames.
#include "tests/audio/test_songs.h"
#include "tests/render/album_fixture.h"

#include "karaoke/karaoke_table.h"
#include "karaoke/lyric_type.h"
#include "render/output_settings.h"
#include "render/render_names.h"
#include "render/render_pass.h"
#include "audio/audio_names.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace fotarel;
using fotarel::test::AlbumRun;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 360;

QString song(AlbumRun& run, const QString& name, int seconds)
{
    const QString path = run.tree.path(name);
    EXPECT_TRUE(fotarel::test::makeSong(path, QString("sine=frequency=440:duration=%1").arg(seconds)));
    return path;
}

// Sung (blue) and base (white) pixels in line A's band of a frame: the
// rightmost sung column relative to the line's left edge, -1 when none.
struct LineA {
    int whitePixels = 0;
    int sungRight = -1;
};

LineA lineA(const QImage& frame)
{
    LineA line;
    const int top = 338 * kHeight / 450;
    const int left = 75 * kWidth / 800;
    for (int y = top; y < top + 40 && y < frame.height(); ++y) {
        for (int x = left - 4; x < frame.width(); ++x) {
            const QColor c = frame.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() > 200)
                ++line.whitePixels;
            if (c.blue() > 180 && c.red() < 90 && c.green() < 90)
                line.sungRight = std::max(line.sungRight, x - left);
        }
    }
    return line;
}

TEST(KaraokeAlbum, EachSongsLineAppearsAndIsWipedOnItsOwnClock)
{
    AlbumRun run;
    fotarel::test::MovieOptions movie;
    movie.frames = 40; // three photos cover both songs' frames
    run.addMovieTemplate("t01", movie);
    run.loadLibrary();
    run.importColours({QColor(60, 60, 60), QColor(50, 50, 50), QColor(40, 40, 40)});
    // Two songs of two seconds: album frames 0-49 and 50-99.
    Table& music = run.session.table(audio::names::MusicTable);
    music.appendRow({"1", "one", ".mp3", song(run, "one.mp3", 2), "00:00:02", "50", "wu", "wu"});
    music.appendRow({"2", "two", ".mp3", song(run, "two.mp3", 2), "00:00:02", "50", "wu", "wu"});
    // Song one: appears at 0.4 s (frame 10), wiped from 1.4 s (frame 35): AB in 10 frames, C in 5.
    // Song two: appears at 0.6 s (album frame 65), wiped from 1.6 s (album frame 90).
    const QString one = run.tree.write("one.ksc", "karaoke.add('00:01.400', '00:01.900', '[AB]C', '400,200');\n");
    const QString two = run.tree.write("two.ksc", "karaoke.add('00:01.600', '00:02.000', 'XYZ', '120,120,120');\n");
    karaoke::importKaraokeFiles(run.session, {one, two});
    run.session.set(karaoke::kLyricTypeVariable, karaoke::kUseKsc);

    run.session.set(settings::vars::OutputType, settings::kImageSequence);
    run.session.set(settings::vars::Width, QString::number(kWidth));
    run.session.set(settings::vars::Height, QString::number(kHeight));
    const QString folder = run.tree.path("frames");
    QDir().mkpath(folder);
    run.session.set(render::vars::VideoOut, folder + "/01.BMP");
    run.session.set(render::vars::AudioOut, folder + "/01.BMP");
    render::RenderPass pass(run.session, run.folder);
    const render::PassResult result = pass.run();
    ASSERT_EQ(result.outcome, render::PassOutcome::Completed) << result.errorText.toStdString();

    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), result.totalFrames);
    std::vector<LineA> lines;
    for (const QString& f : files)
        lines.push_back(lineA(QImage(folder + "/" + f).convertToFormat(QImage::Format_RGB32)));

    auto firstShown = [&lines](int from) {
        for (int f = from; f < static_cast<int>(lines.size()); ++f)
            if (lines[f].whitePixels > 20 || lines[f].sungRight >= 0)
                return f;
        return -1;
    };
    EXPECT_NEAR(firstShown(0), 10, 1);
    // Searched from past the first song's last frames (±1).
    EXPECT_NEAR(firstShown(52), 65, 1);

    // The wipe of each song: nothing sung before its start, then a sung edge
    // that never moves left and reaches further than it began.
    struct Wipe {
        int start;
        int frames;
    };
    for (const Wipe w : {Wipe{35, 15}, Wipe{90, 9}}) {
        EXPECT_LT(lines[w.start - 2].sungRight, 0) << "before the wipe at " << w.start;
        int last = -1;
        int first = -1;
        for (int f = w.start; f < w.start + w.frames; ++f) {
            EXPECT_GE(lines[f].sungRight, last) << "frame " << f;
            if (first < 0 && lines[f].sungRight >= 0)
                first = f;
            last = std::max(last, lines[f].sungRight);
        }
        EXPECT_NEAR(first, w.start, 1);
        EXPECT_GT(last, lines[w.start + 1].sungRight + 10);
    }
    // The first song's line is gone when the second song starts.
    EXPECT_EQ(lines[55].whitePixels, 0);
}

} // namespace
