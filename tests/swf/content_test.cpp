// JPEG bitmaps, text with embedded and device fonts, buttons.
#include "swf_builder.h"

#include "swf/player.h"

#include <gtest/gtest.h>

#include <QBuffer>

using namespace fotarel::swf;
using swftest::Bits;
using swftest::Place;

namespace {

QByteArray jpegOf(const QImage& img)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPG", 95);
    return out;
}

// Splits a JPEG stream into the tables (SOI, DQT, DHT, EOI) and the image
// without them, as DefineBits with JPEGTables stores it.
std::pair<QByteArray, QByteArray> splitTables(const QByteArray& jpeg)
{
    QByteArray tables("\xff\xd8", 2), image("\xff\xd8", 2);
    int i = 2;
    while (i + 4 <= jpeg.size()) {
        const uint8_t marker = uint8_t(jpeg[i + 1]);
        const int len = (uint8_t(jpeg[i + 2]) << 8) | uint8_t(jpeg[i + 3]);
        const QByteArray seg = jpeg.mid(i, len + 2);
        if (marker == 0xda) { // start of scan: the rest is image data
            image += jpeg.mid(i);
            break;
        }
        (marker == 0xdb || marker == 0xc4 ? tables : image) += seg;
        i += len + 2;
    }
    tables += QByteArray("\xff\xd9", 2);
    return {tables, image};
}

// Places character `id` at depth 1 and ends the frame.
void placeAndEnd(swftest::Movie& m, int id)
{
    Place p;
    p.depth = 1;
    p.characterId = id;
    m.tag(26, swftest::placeObject2(p));
    m.showFrame();
}

// The movie's first frame with character `id` placed at depth 1, painted at `size`.
QImage paintPlaced(swftest::Movie& m, int id, QSize size)
{
    placeAndEnd(m, id);
    Player player;
    EXPECT_TRUE(player.loadData(m.finish(), "/tmp/c.swf")) << player.errorLog().join('\n').toStdString();
    return player.paint(size);
}

// Bitmap `id` drawn over a 100 x 100 px square.
QImage show(swftest::Movie& m, int id, QSize size = QSize(100, 100))
{
    m.tag(32, swftest::rectShape(100, 3, swftest::bitmapFill(0x41, id, swftest::matrix(20, 0, 0, 20, 0, 0)), 0, 0, 2000, 2000));
    return paintPlaced(m, 100, size);
}

// DefineEditText 9 of 200 x 100 px showing `text` in the colour `rgba`: in
// font `fontId` at 50 px, or in the device font "_sans" when it is 0.
QByteArray editText(int fontId, std::initializer_list<int> rgba, const char* variable, const char* text)
{
    Bits e;
    e.u16(9);
    e.bytes(swftest::rect(0, 4000, 0, 2000));
    e.u8(0x80 | 0x04 | (fontId ? 0x01 : 0)); // text, colour, font
    e.u8(fontId ? 0x01 : 0);                  // outlines
    if (fontId) {
        e.u16(fontId);
        e.u16(1000);
    }
    for (int v : rgba)
        e.u8(v);
    e.string(variable);
    e.string(text);
    return e.data();
}

bool close(QRgb a, QRgb b, int tol = 12)
{
    return std::abs(qRed(a) - qRed(b)) <= tol && std::abs(qGreen(a) - qGreen(b)) <= tol && std::abs(qBlue(a) - qBlue(b)) <= tol;
}

// DefineFont2 with one glyph: a 1024-unit square sitting on the baseline, code 'A'.
QByteArray squareFont(int id)
{
    swftest::ShapeWriter g(1, 0);
    g.change(-1, 1, -1, true, 0, -1024).line(1024, 0).line(0, 1024).line(-1024, 0).line(0, -1024);
    const QByteArray glyph = g.finish();
    Bits b;
    b.u16(id);
    b.u8(0x80 | 0x04); // layout, wide codes
    b.u8(0);
    b.u8(4);
    b.bytes("Demo");
    b.u16(1);
    b.u16(4);                   // offset of glyph 0 from the offset table
    b.u16(4 + int(glyph.size())); // code table
    b.bytes(glyph);
    b.u16('A');
    b.u16(1024); // ascent
    b.u16(0);    // descent
    b.u16(0);    // leading
    b.u16(1024); // advance
    b.bytes(swftest::rect(0, 1024, -1024, 0));
    b.u16(0);
    return b.data();
}

} // namespace

TEST(SwfContentBitmaps, DefineBitsWithSharedTablesAndStrayMarkers)
{
    QImage src(20, 20, QImage::Format_RGB32);
    src.fill(qRgb(30, 160, 90));
    const auto [tables, image] = splitTables(jpegOf(src));
    swftest::Movie m;
    m.tag(8, tables);
    Bits b;
    b.u16(5);
    b.bytes(QByteArray("\xff\xd9\xff\xd8", 4) + image); // the stray pair old tools wrote
    m.tag(6, b.data());
    const QImage img = show(m, 5);
    EXPECT_TRUE(close(img.pixel(10, 10), qRgb(30, 160, 90)));
}

TEST(SwfContentBitmaps, Jpeg3AlphaPlaneAndJpeg2Png)
{
    QImage src(20, 20, QImage::Format_RGB32);
    src.fill(qRgb(200, 20, 20));
    const QByteArray jpeg = jpegOf(src);
    QByteArray alpha(400, '\xff');
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 20; ++x)
            alpha[y * 20 + x] = 0; // right half transparent
    swftest::Movie m;
    m.tag(9, QByteArray("\x00\x00\xff", 3));
    Bits b;
    b.u16(5);
    b.u32(uint32_t(jpeg.size()));
    b.bytes(jpeg);
    b.bytes(swftest::zlib(alpha));
    m.tag(35, b.data());
    const QImage img = show(m, 5);
    EXPECT_TRUE(close(img.pixel(5, 10), qRgb(200, 20, 20)));
    EXPECT_TRUE(close(img.pixel(15, 10), qRgb(0, 0, 255)));

    QImage png(20, 20, QImage::Format_ARGB32);
    png.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x)
            png.setPixel(x, y, qRgb(0, 255, 0));
    QByteArray pngBytes;
    QBuffer buf(&pngBytes);
    buf.open(QIODevice::WriteOnly);
    png.save(&buf, "PNG");
    swftest::Movie m2;
    m2.tag(9, QByteArray("\x00\x00\xff", 3));
    Bits b2;
    b2.u16(5);
    b2.bytes(pngBytes);
    m2.tag(21, b2.data());
    const QImage img2 = show(m2, 5);
    EXPECT_TRUE(close(img2.pixel(5, 10), qRgb(0, 255, 0), 2));
    EXPECT_TRUE(close(img2.pixel(15, 10), qRgb(0, 0, 255), 2));
}

TEST(SwfContentText, StaticTextDrawsEmbeddedGlyphs)
{
    swftest::Movie m;
    m.width = 200;
    m.tag(48, squareFont(7));
    Bits t;
    t.u16(8);
    t.bytes(swftest::rect(0, 4000, 0, 2000));
    t.bytes(swftest::matrix());
    t.u8(1);  // glyph bits
    t.u8(12); // advance bits
    t.u8(0x80 | 0x08 | 0x04 | 0x02 | 0x01);
    t.u16(7);
    for (int v : {0, 128, 0, 255})
        t.u8(v);
    t.u16(200);  // x
    t.u16(1000); // y: the baseline
    t.u16(1000); // height
    t.u8(2);     // two glyphs
    swftest::Bits g;
    g.ub(0, 1);
    g.sb(1500, 12);
    g.ub(0, 1);
    g.sb(1500, 12);
    t.bytes(g.data());
    t.u8(0);
    m.tag(33, t.data());
    const QImage img = paintPlaced(m, 8, QSize(200, 100));
    EXPECT_TRUE(close(img.pixel(35, 25), qRgb(0, 128, 0), 2));  // first glyph: 200..1200 twips
    EXPECT_TRUE(close(img.pixel(110, 25), qRgb(0, 128, 0), 2)); // second: 1700..2700
    EXPECT_TRUE(close(img.pixel(75, 25), qRgb(255, 255, 255), 2));
    EXPECT_TRUE(close(img.pixel(35, 75), qRgb(255, 255, 255), 2)); // below the baseline
}

TEST(SwfContentText, EditTextFollowsItsVariable)
{
    swftest::Movie m;
    m.width = 200;
    m.tag(48, squareFont(7));
    m.tag(37, editText(7, {255, 0, 0, 255}, "title", "A"));
    placeAndEnd(m, 9);
    Player player;
    ASSERT_TRUE(player.loadData(m.finish(), "/tmp/t.swf"));
    // Gutter of 2 px: glyphs at 40..1040 and 1040..2040 twips.
    QImage img = player.paint(QSize(200, 100));
    EXPECT_TRUE(close(img.pixel(27, 27), qRgb(255, 0, 0), 2));
    EXPECT_TRUE(close(img.pixel(77, 27), qRgb(255, 255, 255), 2));
    ASSERT_TRUE(player.setVariable("title", "AA"));
    img = player.paint(QSize(200, 100));
    EXPECT_TRUE(close(img.pixel(27, 27), qRgb(255, 0, 0), 2));
    EXPECT_TRUE(close(img.pixel(77, 27), qRgb(255, 0, 0), 2));
    EXPECT_TRUE(close(img.pixel(127, 27), qRgb(255, 255, 255), 2));
}

TEST(SwfContentText, DeviceFontTextIsDrawn)
{
    swftest::Movie m;
    m.width = 200;
    m.tag(37, editText(0, {0, 0, 0, 255}, "", "\xe9\xbb\x91\xe4\xbd\x93 Hello")); // Chinese and Latin
    const QImage img = paintPlaced(m, 9, QSize(200, 100));
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            dark += qGray(img.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);
}

TEST(SwfContentButtons, UpStateIsDrawnAndHitAreaIsNot)
{
    swftest::Movie m;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 1000, 1000));
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(0, 0, 255, 255, false), 0, 0, 2000, 2000));
    Bits b;
    b.u16(3);
    b.u8(0);
    b.u16(0); // no actions
    for (auto [states, id] : {std::pair{0x08, 2}, std::pair{0x03, 1}}) {
        b.u8(states);
        b.u16(id);
        b.u16(id);
        b.bytes(swftest::matrix());
        const int mul[4] = {256, 256, 256, 256}, add[4] = {0, 0, 0, 0};
        b.bytes(swftest::cxformAlpha(mul, add));
    }
    b.u8(0);
    m.tag(34, b.data());
    const QImage img = paintPlaced(m, 3, QSize(100, 100));
    EXPECT_TRUE(close(img.pixel(25, 25), qRgb(255, 0, 0), 2));
    EXPECT_TRUE(close(img.pixel(75, 75), qRgb(255, 255, 255), 2));
}

TEST(SwfContentText, DefineFontGlyphsGetTheirCodesFromDefineFontInfo)
{
    // DefineFont (one square glyph) with DefineFontInfo mapping it to 'B';
    // an edit text showing "AB" draws only the B.
    swftest::ShapeWriter g(1, 0);
    g.change(-1, 1, -1, true, 0, -1024).line(1024, 0).line(0, 1024).line(-1024, 0).line(0, -1024);
    Bits font;
    font.u16(7);
    font.u16(2); // offset of glyph 0 (the table has one entry)
    font.bytes(g.finish());
    Bits info;
    info.u16(7);
    info.u8(4);
    info.bytes("Demo");
    info.u8(0); // 8-bit codes
    info.u8('B');
    swftest::Movie m;
    m.width = 200;
    m.tag(10, font.data());
    m.tag(13, info.data());
    m.tag(37, editText(7, {0, 0, 255, 255}, "", "AB"));
    const QImage img = paintPlaced(m, 9, QSize(200, 100));
    int blue = 0;
    for (int x = 0; x < 200; ++x)
        blue += close(img.pixel(x, 30), qRgb(0, 0, 255), 2);
    // One 50 px square (a missing glyph only advances).
    EXPECT_GE(blue, 45);
    EXPECT_LE(blue, 52);
    EXPECT_TRUE(close(img.pixel(10, 30), qRgb(255, 255, 255), 2));
}
