// The host API: stepping rule, jumps, determinism, variables, loading.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/player.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace fotarel::swf;
using swftest::Bits;
using swftest::Place;

namespace {

Place at(int depth, int id)
{
    Place p;
    p.depth = depth;
    p.characterId = id;
    return p;
}

// Root: frame 1 places a red square (depth 1) and a two-frame sprite that
// moves a blue square 200 twips per frame; frame 2 moves the red square;
// frame 3 removes it. Four root frames in all.
QByteArray steppingMovie()
{
    swftest::Movie inner;
    inner.tag(26, swftest::placeObject2(at(1, 2)));
    inner.showFrame();
    Place move;
    move.depth = 1;
    move.move = true;
    move.hasMatrix = true;
    move.matrixBytes = swftest::matrix(1, 0, 0, 1, 200, 0);
    inner.tag(26, swftest::placeObject2(move));
    inner.showFrame();

    swftest::Movie m;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 400, 400));
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(0, 0, 255, 255, false), 0, 1000, 200, 1200));
    m.tag(39, swftest::defineSprite(10, inner));
    m.tag(26, swftest::placeObject2(at(1, 1)));
    Place clip = at(2, 10);
    clip.name = "mover";
    m.tag(26, swftest::placeObject2(clip));
    m.showFrame();
    Place shift;
    shift.depth = 1;
    shift.move = true;
    shift.hasMatrix = true;
    shift.matrixBytes = swftest::matrix(1, 0, 0, 1, 1000, 0);
    m.tag(26, swftest::placeObject2(shift));
    m.showFrame();
    m.tag(28, QByteArray("\x01\x00", 2));
    m.showFrame();
    m.showFrame();
    return m.finish();
}

bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 50 && qBlue(c) < 50; }
bool isBlue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 50; }

} // namespace

TEST(SwfPlayerStepping, NextFrameIsOneTickAndOtherValuesJump)
{
    Player p;
    ASSERT_TRUE(p.loadData(steppingMovie(), "/tmp/m.swf"));
    p.stopPlaying();
    EXPECT_EQ(p.totalFrames(), 4);
    EXPECT_EQ(p.frameNum(), 0);
    QImage img = p.paint(QSize(100, 100));
    EXPECT_TRUE(isRed(img.pixel(5, 5)));
    EXPECT_TRUE(isBlue(img.pixel(5, 55)));  // sprite frame 1
    EXPECT_FALSE(isBlue(img.pixel(15, 55)));

    p.setFrameNum(1); // a tick: root to frame 2, the sprite to its frame 2
    img = p.paint(QSize(100, 100));
    EXPECT_FALSE(isRed(img.pixel(5, 5)));
    EXPECT_TRUE(isRed(img.pixel(55, 5)));
    EXPECT_TRUE(isBlue(img.pixel(15, 55)));

    p.setFrameNum(3); // a jump: only the root moves; the red square is gone
    EXPECT_EQ(p.frameNum(), 3);
    img = p.paint(QSize(100, 100));
    EXPECT_FALSE(isRed(img.pixel(55, 5)));
    EXPECT_TRUE(isBlue(img.pixel(15, 55)));

    p.setFrameNum(0); // backwards: the display list is rebuilt from the frame tags
    img = p.paint(QSize(100, 100));
    EXPECT_TRUE(isRed(img.pixel(5, 5)));
    EXPECT_TRUE(isBlue(img.pixel(15, 55))); // the sprite kept its own state

    p.setFrameNum(99); // past the end: the last frame stays shown
    EXPECT_EQ(p.frameNum(), 3);
}

TEST(SwfPlayerStepping, SameCallsGiveBitIdenticalPictures)
{
    auto run = [] {
        Player p;
        p.loadData(steppingMovie(), "/tmp/m.swf");
        p.stopPlaying();
        std::vector<QImage> frames;
        for (int f : {20, 0, 1, 2, 3, 1, 2})
            p.setFrameNum(f), frames.push_back(p.paint(QSize(64, 48)));
        return frames;
    };
    const auto a = run(), b = run();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(a[i] == b[i]) << i;
}

TEST(SwfPlayerVariables, PlainNamesAndPathsReachTheClips)
{
    Player p;
    ASSERT_TRUE(p.loadData(steppingMovie(), "/tmp/m.swf"));
    EXPECT_TRUE(p.setVariable("xc_alpha", "0"));
    EXPECT_EQ(p.getVariable("_root.xc_alpha"), QString("0"));
    EXPECT_EQ(p.getVariable("/:xc_alpha"), QString("0"));
    EXPECT_TRUE(p.setVariable("mover.speed", "3"));
    EXPECT_EQ(p.getVariable("/mover:speed"), QString("3"));
    EXPECT_EQ(p.getVariable("_level0.mover.speed"), QString("3"));
    EXPECT_FALSE(p.getVariable("nothing"));
}

TEST(SwfPlayerLoading, RelativePathsAreConfinedToTheWorkingFolder)
{
    QTemporaryDir tmp;
    const QString work = tmp.path() + "/smxcwjj";
    QDir().mkpath(work + "/tp_wjj/tp_wjj_1");
    QDir().mkpath(work + "/tp_wjj/pic");
    Player p;
    ASSERT_TRUE(p.loadData(steppingMovie(), work + "/tp_wjj/tp_wjj_1/movie.rar"));
    const struct {
        const char* url;
        bool allowed;
    } cases[] = {
        {"picture_1.rar", true},
        {"../pic/picture_0.rar", true},
        {"..\\pic\\picture_0.rar", true},
        {"../../../outside.jpg", false},
        {"/etc/passwd", false},
        {"C:\\pic.jpg", false},
        {"http://example.com/a.jpg", false},
    };
    for (const auto& c : cases) {
        QString why;
        const QString got = p.resolvePath(c.url, &why);
        EXPECT_EQ(!got.isEmpty(), c.allowed) << c.url << " " << why.toStdString();
    }
}

TEST(SwfPlayerLoading, PictureLoadedIntoAClipShowsAtTheNextTick)
{
    QTemporaryDir tmp;
    QImage pic(40, 40, QImage::Format_RGB32);
    pic.fill(qRgb(0, 200, 0));
    ASSERT_TRUE(pic.save(tmp.path() + "/picture_1.rar", "JPG"));
    Player p;
    ASSERT_TRUE(p.loadData(steppingMovie(), tmp.path() + "/movie.swf"));
    p.stopPlaying();
    auto* mover = static_cast<Clip*>(p.root()->childByName("mover", false));
    ASSERT_TRUE(mover);
    mover->loadMovie("picture_1.rar");
    EXPECT_EQ(p.paint(QSize(100, 100)).pixel(5, 55), p.paint(QSize(100, 100)).pixel(5, 55));
    EXPECT_TRUE(isBlue(p.paint(QSize(100, 100)).pixel(5, 55))); // not yet
    p.setFrameNum(1);
    const QImage img = p.paint(QSize(100, 100));
    EXPECT_GT(qGreen(img.pixel(20, 20)), 150); // 40 px picture at the clip's origin
    EXPECT_LT(qRed(img.pixel(20, 20)), 60);
    EXPECT_EQ(mover->bytesLoaded(), QFileInfo(tmp.path() + "/picture_1.rar").size());

    mover->loadMovie("../escape.jpg");
    p.settle();
    EXPECT_TRUE(p.errorLog().join('\n').contains("leaves")) << p.errorLog().join('\n').toStdString();
}

TEST(SwfPlayerLoading, APictureFileIsAMovieOfOneFrame)
{
    QTemporaryDir tmp;
    QImage pic(30, 20, QImage::Format_RGB32);
    pic.fill(qRgb(255, 0, 0));
    const QString path = tmp.path() + "/picture_0.rar";
    ASSERT_TRUE(pic.save(path, "PNG"));
    Player p;
    ASSERT_TRUE(p.load(path));
    EXPECT_EQ(p.totalFrames(), 1);
    EXPECT_EQ(p.stageSize(), QSizeF(30, 20));
    EXPECT_TRUE(isRed(p.paint(QSize(60, 40)).pixel(30, 20)));
    EXPECT_FALSE(p.load(tmp.path() + "/missing.rar"));
    EXPECT_FALSE(p.errorLog().isEmpty());
}

TEST(SwfPlayerBadInput, ASpriteThatPlacesItselfIsShownOnce)
{
    // Sprite 2 shows a square and places itself twice: without a guard this
    // nests without end (and doubles at every level).
    swftest::Movie inner;
    inner.tag(26, swftest::placeObject2(at(1, 1)));
    inner.tag(26, swftest::placeObject2(at(2, 2)));
    inner.tag(26, swftest::placeObject2(at(3, 2)));
    inner.showFrame();
    swftest::Movie m;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 400, 400));
    m.tag(39, swftest::defineSprite(2, inner));
    m.tag(26, swftest::placeObject2(at(1, 2)));
    m.showFrame();
    m.showFrame();
    Player p;
    ASSERT_TRUE(p.loadData(m.finish(), "/tmp/self.swf"));
    p.setFrameNum(1);
    EXPECT_TRUE(isRed(p.paint(QSize(100, 100)).pixel(5, 5)));
    EXPECT_LT(p.liveObjects, 10);
    EXPECT_TRUE(p.errorLog().join('\n').contains("places itself"));
}

TEST(SwfPlayerLoading, AMovieLoadedIntoAClipPlaysItsOwnTimeline)
{
    // child.swf: a green square and a frame script that traces.
    swftest::Movie child;
    child.tag(2, swftest::rectShape(1, 1, swftest::solidFill(0, 255, 0, 255, false), 0, 0, 400, 400));
    child.tag(26, swftest::placeObject2(at(1, 1)));
    child.tag(12, swftest::traceScript("child frame 1"));
    child.showFrame();
    QTemporaryDir tmp;
    QFile f(tmp.path() + "/child.swf");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(child.finish('Z'));
    f.close();

    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(steppingMovie(), tmp.path() + "/movie.swf"));
    t.player.stopPlaying();
    auto* mover = static_cast<Clip*>(t.player.root()->childByName("mover", false));
    ASSERT_TRUE(mover);
    mover->loadMovie("child.swf");
    EXPECT_TRUE(t.take().isEmpty());
    EXPECT_EQ(t.tick(), QStringList{"child frame 1"});
    const QImage img = t.player.paint(QSize(100, 100));
    EXPECT_GT(qGreen(img.pixel(10, 10)), 200); // 400 twips = 20 px at the clip's origin
    EXPECT_FALSE(isBlue(img.pixel(5, 55)));    // the clip's old content is gone
}

namespace {

// A PlaceObject2 of character `id` at `depth` whose clip event handlers
// trace their texts (event flags as SWF 6 writes them).
QByteArray placeWithHandlers(uint16_t id, uint16_t depth, const std::vector<std::pair<uint32_t, const char*>>& handlers)
{
    Bits place;
    place.u8(0x80 | 0x02);
    place.u16(depth);
    place.u16(id);
    place.u16(0);
    uint32_t all = 0;
    for (const auto& h : handlers)
        all |= h.first;
    place.u32(all);
    for (const auto& [event, text] : handlers) {
        const QByteArray bytes = swftest::traceScript(text);
        place.u32(event);
        place.u32(uint32_t(bytes.size()));
        place.bytes(bytes);
    }
    place.u32(0);
    return place.data();
}

} // namespace

TEST(SwfPlayerScripts, ClipEventsRunInTheTickOrder)
{
    // A clip with onClipEvent(load), (enterFrame) and (unload) handlers that
    // trace; the root removes it in frame 3.
    swftest::Movie empty;
    empty.showFrame();
    swftest::Movie m;
    m.tag(39, swftest::defineSprite(1, empty));
    m.tag(26, placeWithHandlers(1, 1, {{0x01, "load"}, {0x02, "enterFrame"}, {0x04, "unload"}}));
    m.tag(12, swftest::traceScript("frame 1"));
    m.showFrame();
    m.showFrame();
    m.tag(28, QByteArray("\x01\x00", 2));
    m.tag(12, swftest::traceScript("frame 3"));
    m.showFrame();
    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(m.finish(), "/tmp/events.swf"));
    // Queued in tag order: the clip is placed (its load event) before the DoAction tag.
    EXPECT_EQ(t.take(), (QStringList{"load", "frame 1"}));
    EXPECT_EQ(t.tick(), (QStringList{"enterFrame"}));
    EXPECT_EQ(t.tick(), (QStringList{"unload", "frame 3"}));
}

TEST(SwfPlayerScripts, ConstructionEventsPrecedeFrameScriptsAndRemovalUnloadsTheWholeTree)
{
    constexpr uint32_t load = 0x01, unload = 0x04, initialize = 0x200, construct = 0x40000;
    swftest::Movie empty;
    empty.showFrame();
    swftest::Movie clipFrames; // sprite 2: a frame script, then a child clip with handlers
    clipFrames.tag(12, swftest::traceScript("clip frame 1"));
    clipFrames.tag(26, placeWithHandlers(1, 1, {{initialize, "child initialize"}, {unload, "child unload"}}));
    clipFrames.showFrame();
    swftest::Movie m;
    m.tag(39, swftest::defineSprite(1, empty));
    m.tag(39, swftest::defineSprite(2, clipFrames));
    m.tag(12, swftest::traceScript("frame 1")); // before the PlaceObject: still after the construction events
    m.tag(26, placeWithHandlers(2, 1, {{construct, "clip construct"}, {load, "clip load"},
                                       {initialize, "clip initialize"}, {unload, "clip unload"}}));
    m.showFrame();
    m.tag(28, QByteArray("\x01\x00", 2));
    m.tag(12, swftest::traceScript("frame 2"));
    m.showFrame();
    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(m.finish(), "/tmp/construct.swf"));
    // Every initialize event first (the child's was raised while the clip's
    // first frame was placed), then the construct events, then the queue in
    // order: the frame script, the clip's load event, its own frame script.
    EXPECT_EQ(t.take(), (QStringList{"clip initialize", "child initialize", "clip construct", "frame 1", "clip load",
                                     "clip frame 1"}));
    // The removed clip's child unloads too, before it, and nothing else of theirs runs.
    EXPECT_EQ(t.tick(), (QStringList{"child unload", "clip unload", "frame 2"}));
}

TEST(SwfPlayerScripts, AScriptWhoseClipIsRemovedStopsAtItsNextCall)
{
    // The clip's frame script sends the root to frame 2, which removes the
    // clip, and goes on: actions run until the next call of a function or
    // of a method on an object; its own timeline is then the root's.
    swftest::Actions script;
    script.push("before").op(0x26);
    script.push("_root").op(0x20).gotoFrame(1).push("").op(0x20); // SetTarget2
    script.push("where").op(0x1c).op(0x26);
    script.push(0).push("nothing").op(0x1c).push("f").op(0x52).op(0x17); // nothing.f(): no object
    script.push("not an object").op(0x26);
    script.push(0).push("bogus").op(0x3d).op(0x17); // bogus(): a call
    script.push("never").op(0x26);
    swftest::Movie clipFrames;
    clipFrames.tag(12, script.finish());
    clipFrames.showFrame();
    swftest::Movie m;
    m.tag(39, swftest::defineSprite(1, clipFrames));
    swftest::Actions root1;
    root1.op(0x07).push("where").push("root").op(0x1d); // stop(); where = "root"
    m.tag(12, root1.finish());
    m.tag(26, placeWithHandlers(1, 1, {}));
    m.showFrame();
    m.tag(28, QByteArray("\x01\x00", 2));
    m.showFrame();
    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(m.finish(), "/tmp/halt.swf"));
    EXPECT_EQ(t.take(), (QStringList{"before", "root", "not an object"}));
    EXPECT_EQ(t.player.frameNum(), 1);
}

TEST(SwfPlayerLoading, VariablesLoadAtTheEndOfTheFrameAndStayConfined)
{
    // Frame 1: loadVariables("vars.txt", "_root") and the same for a file
    // outside the working folder.
    QTemporaryDir tmp;
    const QString work = tmp.path() + "/smxcwjj";
    const QString folder = work + "/tp_wjj/tp_wjj_1";
    QDir().mkpath(folder);
    auto write = [](const QString& path, const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write(folder + "/vars.txt", "\xEF\xBB\xBFgreeting=hello%20there&n=2");
    write(tmp.path() + "/outside.txt", "stolen=1");
    swftest::Actions frame1;
    frame1.push("vars.txt").push("_root").getUrl2(0xC0);
    frame1.push("../../../outside.txt").push("_root").getUrl2(0xC0);
    swftest::Movie m;
    m.tag(12, frame1.finish());
    m.showFrame();
    Player p;
    ASSERT_TRUE(p.loadData(m.finish(), folder + "/movie.rar"));
    EXPECT_EQ(p.getVariable("greeting").value_or("<none>"), "hello there");
    EXPECT_EQ(p.getVariable("n").value_or("<none>"), "2");
    EXPECT_FALSE(p.getVariable("stolen").has_value());
    EXPECT_TRUE(p.errorLog().join('\n').contains("outside.txt")) << p.errorLog().join('\n').toStdString();
}

// A file that is neither a movie nor a picture loads as an empty movie (the
// clip's old content goes, nothing is reported as failed); a file that starts
// like a picture but does not decode fails its load.
TEST(SwfPlayerLoading, UnknownContentLoadsEmptyAndABrokenPictureFails)
{
    QTemporaryDir tmp;
    const struct {
        const char* file;
        QByteArray bytes;
        bool fails;
    } cases[] = {
        {"notes.txt", QByteArray("invalid data\n"), false},
        {"broken.jpg", QByteArray("\xff\xd8\xff\xe0 not really a picture"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QFile f(tmp.path() + "/" + c.file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        Player p;
        ASSERT_TRUE(p.loadData(steppingMovie(), tmp.path() + "/movie.swf"));
        p.stopPlaying();
        auto* mover = static_cast<Clip*>(p.root()->childByName("mover", false));
        ASSERT_TRUE(mover);
        mover->loadMovie(QString::fromLatin1(c.file));
        p.tick();
        EXPECT_EQ(p.errorLog().join('\n').contains("failed"), c.fails) << p.errorLog().join('\n').toStdString();
        if (!c.fails) {
            EXPECT_EQ(mover->bytesLoaded(), 0);
            EXPECT_FALSE(isBlue(p.paint(QSize(100, 100)).pixel(5, 55))); // the old content is gone
        }
    }
}
