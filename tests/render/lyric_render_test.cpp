// Albums with lyrics, karaoke and captions through the real pass: the
// overlays change on the very frames they are due and stay unchanged in
// between, song after song; a lyric file that has gone is logged.
#include "tests/render/album_fixture.h"

#include "audio/lyric_table.h"
#include "audio/music_table.h"
#include "effects/caption_columns.h"
#include "effects/caption_option.h"
#include "effects/caption_overlay.h"
#include "karaoke/karaoke_table.h"
#include "render/output_settings.h"
#include "render/render_names.h"
#include "render/render_pass.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <functional>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::render;
using fotarel::test::AlbumRun;

namespace {

QString makeSong(AlbumRun& run, const QString& name, double seconds)
{
    const QString song = run.tree.path(name);
    EXPECT_TRUE(fotarel::test::makeTone(song, seconds));
    return song;
}

// Songs of whole seconds, each bound to its own lyric file.
void addSongWithLyrics(AlbumRun& run, const QString& name, int seconds, const QByteArray& lrc)
{
    Table& songs = run.session.table(audio::names::MusicTable);
    Table& lyrics = run.session.table(audio::names::LyricTable);
    Row song = audio::songRow(songs.rowCount() + 1, makeSong(run, name + ".mp3", seconds), seconds * 1000);
    Row lyric = audio::lyricRow(lyrics.rowCount() + 1, run.tree.write(name + ".lrc", lrc));
    // Red lines, so the lyric is told apart from the pictures under it.
    audio::LyricStyle red;
    red.colourName = "clRed";
    red.colourValue = 0x0000FF;
    audio::writeStyle(lyric, red);
    song[audio::MusicCol::LyricKey] = lyric[audio::LyricCol::SongKey] = "key-" + name;
    songs.appendRow(song);
    lyrics.appendRow(lyric);
}

QList<QImage> renderFrames(AlbumRun& run, QStringList* log = nullptr)
{
    run.session.set(settings::vars::OutputType, settings::kImageSequence);
    run.session.set(settings::vars::ImageFormat, "BMP");
    run.session.set(settings::vars::Quality, settings::kNormalQuality);
    run.session.set(settings::vars::Width, "480");
    run.session.set(settings::vars::Height, "270");
    // Follow the music so both songs play in full.
    run.session.set(settings::vars::FollowPhotos, "False");
    run.session.set(settings::vars::FollowMusic, "True");
    run.session.set(settings::vars::LengthRule, settings::kFollowMusic);
    const QString folder = run.tree.path("frames");
    QDir().mkpath(folder);
    run.session.set(vars::VideoOut, folder + "/01.bmp");
    run.session.set(vars::AudioOut, folder + "/01.bmp");
    RenderPass pass(run.session, run.folder);
    const PassResult result = pass.run();
    EXPECT_EQ(result.outcome, PassOutcome::Completed) << result.errorText.toStdString();
    result.applyTo(run.session);
    if (log)
        *log = run.session.table(tables::ErrorLog).lines();
    QList<QImage> frames;
    for (const QString& file : QDir(folder).entryList(QDir::Files, QDir::Name))
        frames.append(QImage(folder + "/" + file).convertToFormat(QImage::Format_RGB32));
    return frames;
}

// The lyric box (the bottom fifth of the frame, where the style puts a line)
// as a mask of its red pixels.
QImage lyricBox(const QImage& frame)
{
    const QImage box = frame.copy(0, frame.height() * 4 / 5, frame.width(), frame.height() / 5);
    QImage mask(box.size(), QImage::Format_RGB32);
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QRgb c = box.pixel(x, y);
            mask.setPixel(x, y, qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90 ? 0xFFFFFFFFu : 0xFF000000u);
        }
    return mask;
}

// The first frame holding a pixel that `match` accepts, -1 when none does.
int firstFrameWith(const QList<QImage>& frames, const std::function<bool(QRgb)>& match)
{
    for (int f = 0; f < frames.size(); ++f)
        for (int y = 0; y < frames[f].height(); ++y)
            for (int x = 0; x < frames[f].width(); ++x)
                if (match(frames[f].pixel(x, y)))
                    return f;
    return -1;
}

bool yellow(QRgb c)
{
    return qRed(c) > 150 && qGreen(c) > 150 && qBlue(c) < 100;
}

// The rightmost column holding a yellow pixel, -1 when none does.
int yellowRight(const QImage& frame)
{
    for (int x = frame.width() - 1; x >= 0; --x)
        for (int y = 0; y < frame.height(); ++y)
            if (yellow(frame.pixel(x, y)))
                return x;
    return -1;
}

} // namespace

// Frame n of the album is at n × 40 ms of its song: every overlay shows from
// the first frame whose time reaches its own, and what is due at 00:00 is on
// frame 0 (the first frame of the file).
TEST(LyricRender, OverlaysShowFromTheFirstFrameWhoseTimeReachesTheirs)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {.frames = 6, .photoSlot = true});
    run.loadLibrary();
    run.importColours({QColor(40, 40, 40)});
    addSongWithLyrics(run, "a", 3, "[00:00.00]起\n[00:01.00]第二行\n");
    // Karaoke sung in lime from 00:01.000 (frame 25).
    Table& karaokeRows = run.session.table(karaoke::names::KaraokeTable);
    // Its first unit takes one frame: sung whole on the frame the wipe starts.
    Row ksc = karaoke::karaokeRow(1, run.tree.write("a.ksc", "karaoke.add('00:01.000', '00:02.000', '[WW]b', '40,400');\n"));
    karaoke::KaraokeStyle lime;
    lime.sungName = "clLime";
    lime.sungValue = 0x00FF00;
    karaoke::applyStyle(ksc, lime);
    karaokeRows.appendRow(ksc);
    // A yellow caption at 00:00 across the middle.
    const effects::CaptionOption caption = effects::parseCaptionOption("00:00|从1/2左向1/2右(横)|MOVE|黑体|20|clYellow");
    ASSERT_TRUE(caption.row);
    run.session.table(effects::kCaptionTable).appendRow(*caption.row);

    const QList<QImage> frames = renderFrames(run);
    ASSERT_GE(frames.size(), 75);

    // LRC: the 00:00 line on frame 0, the next one from frame 25.
    const QImage box0 = lyricBox(frames[0]);
    int red = 0;
    for (int y = 0; y < box0.height(); ++y)
        for (int x = 0; x < box0.width(); ++x)
            red += box0.pixel(x, y) == 0xFFFFFFFFu;
    EXPECT_GT(red, 20);
    // (The first template's 6 frames have another picture under the line.)
    for (int f = 8; f < 24; ++f)
        EXPECT_EQ(lyricBox(frames[f]), lyricBox(frames[24])) << "frame " << f;
    EXPECT_NE(lyricBox(frames[25]), lyricBox(frames[24]));
    // Karaoke: the first sung pixels on frame 25.
    EXPECT_EQ(firstFrameWith(frames, [](QRgb c) { return qGreen(c) > 200 && qRed(c) < 90 && qBlue(c) < 90; }), 25);
    // Caption: on every frame where the overlay itself puts it at that frame's time.
    Table captions(effects::captionColumnCaptions());
    captions.appendRow(*caption.row);
    const auto overlay = effects::makeCaptionOverlayFromTable(captions, {});
    ASSERT_TRUE(overlay);
    int compared = 0;
    for (int f = 0; f < 75; ++f) {
        QImage expected(frames[f].size(), QImage::Format_RGB32);
        expected.fill(frames[f].pixel(frames[f].width() - 1, 0));
        QPainter painter(&expected);
        OverlayTime time;
        time.albumFrame = f;
        overlay->paint(painter, expected.size(), time);
        painter.end();
        const int right = yellowRight(expected);
        EXPECT_EQ(yellowRight(frames[f]), right) << "frame " << f;
        compared += right >= 0;
    }
    EXPECT_GT(compared, 50);
}

TEST(LyricRender, TwoSongsShowTheirLinesAtTheirFrames)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {.frames = 6, .photoSlot = true});
    run.loadLibrary();
    run.importColours({QColor(40, 40, 40)});
    addSongWithLyrics(run, "a", 3, "[00:00.40]第一首[00:01.20]\n[00:02.00]最后一行\n");
    addSongWithLyrics(run, "b", 3, "[ti:b]\n[00:01.00]第二首歌\n");
    QStringList log;
    const QList<QImage> frames = renderFrames(run, &log);
    ASSERT_GE(frames.size(), 150);

    // Song a starts with the album's first frame; song b at frame 75.
    // Changes are due at frames 10, 30, 50 (a), 75 (song change clears), 100 (b).
    QList<int> changes;
    for (int f = 1; f < 150; ++f)
        if (lyricBox(frames[f]) != lyricBox(frames[f - 1]))
            changes.append(f);
    const QList<int> expected{10, 30, 50, 75, 100};
    ASSERT_EQ(changes.size(), expected.size()) << "changes at " << QStringList([&] {
        QStringList s;
        for (int c : changes)
            s << QString::number(c);
        return s;
    }()).join(',').toStdString();
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(changes[i], expected[i]) << "change " << i;
    EXPECT_TRUE(log.filter("歌词").isEmpty()) << log.join('\n').toStdString();
}

TEST(LyricRender, LyricFileGoneBeforeTheRenderIsLogged)
{
    AlbumRun run;
    run.addMovieTemplate("t01", {.frames = 6, .photoSlot = true});
    run.loadLibrary();
    run.importColours({QColor(40, 40, 40)});
    addSongWithLyrics(run, "a", 2, "[00:00.40]gone\n");
    addSongWithLyrics(run, "b", 2, "[00:00.40]kept\n");
    QFile::remove(run.tree.path("a.lrc"));
    QStringList log;
    const QList<QImage> frames = renderFrames(run, &log);
    ASSERT_GE(frames.size(), 100);
    EXPECT_EQ(lyricBox(frames[20]), lyricBox(frames[5])); // song a: nothing
    EXPECT_NE(lyricBox(frames[70]), lyricBox(frames[55])); // song b: its line
    EXPECT_EQ(log.filter("a.lrc").size(), 1) << log.join('\n').toStdString();
}
