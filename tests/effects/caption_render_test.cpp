// Captions in a whole render pass: a yellow caption flies over the frames
// of an album of several songs, starting once at its album time and moving
// the expected pixels per frame.
#include "tests/render/album_fixture.h"

#include "effects/caption_columns.h"
#include "effects/caption_option.h"
#include "render/output_settings.h"
#include "render/render_names.h"
#include "render/render_pass.h"
#include "audio/audio_names.h"

#include <gtest/gtest.h>

#include <QProcess>

using namespace fotarel;
using fotarel::test::AlbumRun;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 360;

QList<QImage> decodeFullFrames(const QString& file)
{
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-i", file, "-fps_mode", "passthrough", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    p.waitForFinished(120000);
    const QByteArray raw = p.readAllStandardOutput();
    QList<QImage> frames;
    const int size = kWidth * kHeight * 3;
    for (qsizetype at = 0; at + size <= raw.size(); at += size)
        frames << QImage(reinterpret_cast<const uchar*>(raw.constData() + at), kWidth, kHeight, kWidth * 3,
                         QImage::Format_RGB888)
                      .copy();
    return frames;
}

// The rightmost column holding caption-yellow pixels; -1 when none.
int yellowRightEdge(const QImage& frame)
{
    for (int x = frame.width() - 1; x >= 0; --x)
        for (int y = 0; y < frame.height(); ++y) {
            const QRgb c = frame.pixel(x, y);
            if (qRed(c) > 150 && qGreen(c) > 150 && qBlue(c) < 100)
                return x;
        }
    return -1;
}

QString writeSong(AlbumRun& run, const QString& name, int seconds)
{
    const QString song = run.tree.path(name);
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", QString("sine=frequency=440:duration=%1").arg(seconds),
                       "-ac", "2", "-c:a", "libmp3lame", song});
    p.waitForFinished(30000);
    return song;
}

} // namespace

TEST(CaptionRender, CaptionStartsOnceAtItsAlbumTimeAndMovesThreePanelPixelsAFrame)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {});
    run.loadLibrary();
    run.importColours({Qt::black, Qt::black});
    // Three songs of 2 s: the caption at 00:01 must not start again when
    // the second and third songs begin (album frames 50 and 100).
    for (int i = 1; i <= 3; ++i)
        run.session.table(audio::names::MusicTable)
            .appendRow({QString::number(i), "song", ".mp3", writeSong(run, QString("s%1.mp3").arg(i), 2), "00:00:02",
                        "50", "wu", "wu"});
    const effects::CaptionOption caption = effects::parseCaptionOption("00:01|2|Hi|黑体|20|clYellow");
    ASSERT_TRUE(caption.row);
    run.session.table(effects::kCaptionTable).appendRow(*caption.row);

    run.session.set(settings::vars::OutputType, settings::kAvi);
    run.session.set(settings::vars::Width, QString::number(kWidth));
    run.session.set(settings::vars::Height, QString::number(kHeight));
    const QString out = run.tree.path("album.avi");
    run.session.set(render::vars::VideoOut, out);
    run.session.set(render::vars::AudioOut, out);
    render::RenderPass pass(run.session, run.folder);
    const render::PassResult result = pass.run();
    ASSERT_EQ(result.outcome, render::PassOutcome::Completed) << result.errorText.toStdString();

    const QList<QImage> frames = decodeFullFrames(out);
    ASSERT_EQ(frames.size(), result.totalFrames);
    ASSERT_GE(frames.size(), 110);
    // Nothing before 00:01 (album frame 25 starts it; it shows from the next).
    for (int a = 0; a < 25; ++a)
        EXPECT_EQ(yellowRightEdge(frames[a]), -1) << "frame " << a;
    // From left to right, 3 of 1920 panel pixels a frame: 1 pixel of 640.
    // Its right edge is then (frame - 24) less the glyph's right bearing, on
    // every frame, across the song changes.
    const int bearing = (60 - 24) - yellowRightEdge(frames[60]);
    EXPECT_GE(bearing, 0);
    EXPECT_LE(bearing, 6);
    int firstInk = -1;
    for (int a = 25; a < frames.size(); ++a) {
        const int edge = yellowRightEdge(frames[a]);
        if (edge >= 0 && firstInk < 0)
            firstInk = a;
        if (a >= 30) {
            EXPECT_NEAR(edge, (a - 24) - bearing, 1) << "frame " << a;
        }
    }
    // It appears on the frame its motion brings its ink into the picture.
    EXPECT_NEAR(firstInk, 24 + bearing, 1);
    EXPECT_TRUE(run.session.table(render::tables::ErrorLog).isEmpty())
        << run.session.table(render::tables::ErrorLog).lines().join('\n').toStdString();
}
