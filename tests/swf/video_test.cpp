// Embedded video: streams and their frames read from the movie, decoded in
// order and painted where the placement puts them; broken streams paint
// nothing and say so once.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/player.h"
#include "swf/video_decoder.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Place;

namespace {

// Two Sorenson H.263 packets of a 32 x 16 picture, made once with the ffmpeg
// command line (flv encoder, -q:v 2): a keyframe of flat Y'CbCr
// (100, 150, 110), then an inter frame whose right half turns to
// (170, 150, 110) and whose left half is left as the keyframe had it (a
// skipped block: it shows the keyframe only when that was decoded first).
const QByteArray kKeyframe = QByteArray::fromHex("0000840010081126c8c8c8c92cdd364646464966e0");
const QByteArray kInterFrame = QByteArray::fromHex("00008478100831219d55555554b370");
constexpr QRgb kFirstColour = 0xff45688e;  // (100, 150, 110) as BT.601 limited range
constexpr QRgb kSecondColour = 0xff97b9e0; // (170, 150, 110)

QByteArray defineVideo(int id, int frames, int width, int height, int codec, int flags = 0)
{
    swftest::Bits b;
    b.u16(id);
    b.u16(frames);
    b.u16(width);
    b.u16(height);
    b.u8(flags);
    b.u8(codec);
    return b.data();
}

QByteArray videoFrame(int id, int frame, const QByteArray& data)
{
    swftest::Bits b;
    b.u16(id);
    b.u16(frame);
    b.bytes(data);
    return b.data();
}

Place placeVideo(int depth, int id, int ratio, double scale, int txTwips, int tyTwips)
{
    Place p;
    p.depth = depth;
    p.characterId = id;
    p.ratio = ratio;
    p.hasMatrix = true;
    p.matrixBytes = swftest::matrix(scale, 0, 0, scale, txTwips, tyTwips);
    return p;
}

// A 100 x 100 white stage; stream 1 (32 x 16, codec `codec`) with the given
// packets, placed twice as large at (10, 20) pixels; then one frame per
// further ratio, each moving the video to it.
QByteArray videoMovie(int codec, const std::vector<QByteArray>& packets, const std::vector<int>& ratios)
{
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(60, defineVideo(1, int(packets.size()), 32, 16, codec));
    for (size_t i = 0; i < packets.size(); ++i)
        m.tag(61, videoFrame(1, int(i), packets[i]));
    m.tag(26, swftest::placeObject2(placeVideo(1, 1, ratios.front(), 2, 200, 400)));
    m.showFrame();
    for (size_t i = 1; i < ratios.size(); ++i) {
        Place move;
        move.depth = 1;
        move.move = true;
        move.ratio = ratios[i];
        m.tag(26, swftest::placeObject2(move));
        m.showFrame();
    }
    return m.finish();
}

::testing::AssertionResult near(QRgb got, QRgb want, int tolerance)
{
    const int d = std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                            std::abs(qBlue(got) - qBlue(want))});
    if (d <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QStringLiteral("got #%1 want #%2")
                                                .arg(got, 8, 16, QLatin1Char('0'))
                                                .arg(want, 8, 16, QLatin1Char('0'))
                                                .toStdString();
}

QStringList videoLines(const Player& p)
{
    return p.errorLog().filter(QStringLiteral("video"));
}

} // namespace

TEST(SwfVideo, ConvertsLimitedRangeYCbCr)
{
    struct Case {
        int y, cb, cr;
        QRgb rgb;
    } cases[] = {
        {16, 128, 128, 0xff000000},  // black
        {235, 128, 128, 0xffffffff}, // white
        {126, 128, 128, 0xff808080}, // mid grey
        {81, 90, 240, 0xfffe0000},   // red
        {145, 54, 34, 0xff00ff01},   // green
        {41, 240, 110, 0xff0000ff},  // blue
        {0, 128, 128, 0xff000000},   // out of range: clamped
        {255, 128, 255, 0xffffafff},
    };
    for (const Case& c : cases) {
        uint8_t r, g, b;
        yuvToRgb(c.y, c.cb, c.cr, r, g, b);
        EXPECT_TRUE(near(qRgb(r, g, b), c.rgb, 1)) << c.y << " " << c.cb << " " << c.cr;
    }
}

TEST(SwfVideo, ShowsTheFrameItsRatioNamesWhereItIsPlaced)
{
    // Frames are shown in the order given; each row is one player.
    struct Case {
        const char* what;
        std::vector<int> frames; // root frames entered, the picture after the last
        QRgb left, right;        // the video's halves
    } cases[] = {
        {"the first frame", {0}, kFirstColour, kFirstColour},
        {"one frame on: the inter frame decoded after the keyframe", {0, 1}, kFirstColour, kSecondColour},
        {"the ratio back at 0: decoded again from the keyframe", {0, 1, 2}, kFirstColour, kFirstColour},
        {"the inter frame reached without painting the keyframe first", {1}, kFirstColour, kSecondColour},
        {"a jump back to the inter frame", {0, 1, 2, 1}, kFirstColour, kSecondColour},
    };
    const QByteArray movie = videoMovie(VideoStream::SorensonH263, {kKeyframe, kInterFrame}, {0, 1, 0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Player p;
        ASSERT_TRUE(p.loadData(movie, QStringLiteral("/tmp/v.swf")));
        p.stopPlaying();
        for (size_t i = 0; i < c.frames.size(); ++i) {
            if (c.frames[i] != p.frameNum())
                p.setFrameNum(c.frames[i]);
            if (i + 1 < c.frames.size())
                p.paint(QSize(100, 100)); // the frames on the way are painted too
        }
        const QImage img = p.paint(QSize(100, 100));
        // 32 x 16 pixels at twice the size from (10, 20): (10..74, 20..52).
        for (QPoint in : {QPoint(11, 21), QPoint(40, 36), QPoint(11, 51)})
            EXPECT_TRUE(near(img.pixel(in), c.left, 4)) << in.x() << "," << in.y();
        for (QPoint in : {QPoint(44, 21), QPoint(44, 36), QPoint(73, 51)})
            EXPECT_TRUE(near(img.pixel(in), c.right, 4)) << in.x() << "," << in.y();
        for (QPoint out : {QPoint(9, 36), QPoint(75, 36), QPoint(42, 19), QPoint(42, 53)})
            EXPECT_EQ(img.pixel(out), 0xffffffff) << out.x() << "," << out.y();
        EXPECT_TRUE(videoLines(p).isEmpty()) << videoLines(p).join('\n').toStdString();
    }
}

TEST(SwfVideo, BrokenStreamsPaintNothingAndAreLoggedOnce)
{
    // A Sorenson header that declares a 65535 x 65535 picture.
    swftest::Bits huge;
    huge.ub(1, 17);     // start code
    huge.ub(0, 5);      // version
    huge.ub(0, 8);      // time
    huge.ub(1, 3);      // 16-bit width and height follow
    huge.ub(65535, 16);
    huge.ub(65535, 16);
    huge.ub(0, 2);      // intra
    huge.ub(0, 1);      // deblocking
    huge.ub(2, 5);      // quantiser
    huge.ub(0, 1);      // no extra information
    huge.bytes(QByteArray(16, '\0'));
    struct Case {
        const char* what;
        int codec;
        std::vector<QByteArray> packets;
    } cases[] = {
        {"bytes that are no picture", VideoStream::SorensonH263, {QByteArray(24, '\xff')}},
        {"an empty packet", VideoStream::SorensonH263, {QByteArray()}},
        {"a picture too large", VideoStream::SorensonH263, {huge.data()}},
        {"an unknown codec", 9, {kKeyframe}},
        {"an inter frame without its keyframe", VideoStream::SorensonH263, {QByteArray(), kInterFrame}},
        {"VP6 bytes that are no picture", VideoStream::Vp6, {QByteArray(40, '\x55')}},
        {"VP6 with alpha whose alpha offset runs past the end", VideoStream::Vp6Alpha,
         {QByteArray::fromHex("ffffff00") + QByteArray(40, '\x55')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Player p;
        ASSERT_TRUE(p.loadData(videoMovie(c.codec, c.packets, {int(c.packets.size()) - 1}), QStringLiteral("/tmp/v.swf")));
        for (int i = 0; i < 3; ++i) {
            const QImage img = p.paint(QSize(100, 100));
            EXPECT_EQ(img.pixel(42, 36), 0xffffffff);
        }
        EXPECT_EQ(videoLines(p).size(), 1) << videoLines(p).join('\n').toStdString();
    }
}

TEST(SwfVideo, FramesAreKeptInFrameOrderOncePerFrame)
{
    swftest::Movie m;
    m.tag(60, defineVideo(1, 2, 32, 16, VideoStream::SorensonH263, 0x0b));
    m.tag(61, videoFrame(1, 1, kInterFrame));
    m.tag(61, videoFrame(1, 0, kKeyframe));
    m.tag(61, videoFrame(1, 1, QByteArray("second copy")));
    m.tag(61, videoFrame(7, 0, kKeyframe)); // no such stream
    m.tag(61, QByteArray("\x01", 1));      // truncated
    m.showFrame();
    const ParseResult r = parseMovie(m.finish());
    ASSERT_TRUE(r.movie);
    const auto* v = std::get_if<VideoStream>(r.movie->character(1));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->width, 32);
    EXPECT_EQ(v->height, 16);
    EXPECT_EQ(v->deblocking, 5);
    EXPECT_TRUE(v->smoothing);
    ASSERT_EQ(v->packets.size(), 2u);
    EXPECT_EQ(v->packets[0].data, kKeyframe);
    EXPECT_EQ(v->packets[1].data, kInterFrame);
    EXPECT_EQ(r.log.filter(QStringLiteral("VideoFrame")).size(), 2) << r.log.join('\n').toStdString();
    EXPECT_EQ(r.log.filter(QStringLiteral("given twice")).size(), 1) << r.log.join('\n').toStdString();
}

TEST(SwfVideo, OnlyABoundedNumberOfDecodersIsOpen)
{
    // More videos than decoders may be open: the ones past the limit paint
    // nothing, with one line each.
    swftest::Movie m;
    m.version = 8;
    m.width = 200;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(60, defineVideo(1, 1, 32, 16, VideoStream::SorensonH263));
    m.tag(61, videoFrame(1, 0, kKeyframe));
    const int count = limits::kMaxLiveVideoDecoders + 2;
    for (int i = 0; i < count; ++i)
        m.tag(26, swftest::placeObject2(placeVideo(i + 1, 1, 0, 0.25, i * 200, 0)));
    m.showFrame();
    Player p;
    ASSERT_TRUE(p.loadData(m.finish(), QStringLiteral("/tmp/v.swf")));
    const QImage img = p.paint(QSize(200, 100));
    int shown = 0;
    for (int i = 0; i < count; ++i)
        shown += near(img.pixel(i * 10 + 4, 2), kFirstColour, 4) ? 1 : 0;
    EXPECT_EQ(shown, limits::kMaxLiveVideoDecoders);
    EXPECT_EQ(videoLines(p).size(), 2);
}

TEST(SwfVideo, APlacedVideoIsAScriptObject)
{
    // trace(this.getInstanceAtDepth(-16383)._name) and the same for _width:
    // the video itself answers, not the clip it sits in.
    swftest::Actions a;
    for (const char* property : {"_name", "_width"}) {
        a.push(-16383).push(1).push("this").op(0x1c).push("getInstanceAtDepth").op(0x52);
        a.push(property).op(0x4e).op(0x26);
    }
    swftest::Movie m;
    m.tag(60, defineVideo(1, 1, 32, 16, VideoStream::SorensonH263));
    m.tag(61, videoFrame(1, 0, kKeyframe));
    Place place = placeVideo(1, 1, 0, 2, 0, 0);
    place.name = "vid";
    m.tag(26, swftest::placeObject2(place));
    m.tag(12, a.finish());
    m.showFrame();
    EXPECT_EQ(swftest::tracesOf(m.finish()), QStringList({"vid", "64"}));
}
