// Painting of text fields: boxes on whole pixels, borders and backgrounds.
#include "swf_builder.h"

#include "swf/player.h"
#include "swf/renderer.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fotarel::swf;
using swftest::Bits;
using swftest::Place;

namespace {

enum Op { GetVariable = 0x1c, Pop = 0x17, GetMember = 0x4e, SetMember = 0x4f, CallMethod = 0x52 };

// DefineEditText body: an empty field of 10 x 10 px with a border (which
// also gives it the default white background).
QByteArray borderedField(int id)
{
    Bits b;
    b.u16(id);
    b.bytes(swftest::rect(0, 200, 0, 200));
    b.u8(0);    // no text, font, colour or length
    b.u8(0x08); // border
    b.string("");
    return b.data();
}

Place placed(int depth, int id, double rotation, int tx, int ty)
{
    Place p;
    p.depth = depth;
    p.characterId = id;
    p.hasMatrix = true;
    const double c = std::cos(rotation * M_PI / 180), s = std::sin(rotation * M_PI / 180);
    p.matrixBytes = swftest::matrix(c, s, -s, c, tx, ty);
    return p;
}

QImage paintMovie(const QByteArray& file)
{
    Player p;
    EXPECT_TRUE(p.loadData(file, QStringLiteral("/tmp/t.swf"))) << p.errorLog().join('\n').toStdString();
    Renderer r(p);
    r.setHighQuality(true);
    QImage img(QSize(100, 100), QImage::Format_ARGB32_Premultiplied);
    r.paint(img);
    return img;
}

} // namespace

TEST(SwfTextFieldPaint, UprightBordersSitOnWholePixels)
{
    // Stage background grey, so the fields' white backgrounds show too.
    swftest::Movie m;
    m.tag(9, QByteArray("\x80\x80\x80", 3));
    m.tag(37, borderedField(1));
    m.tag(26, swftest::placeObject2(placed(1, 1, 0, 105, 105)));    // at 5.25 px
    m.tag(26, swftest::placeObject2(placed(2, 1, 0, 410, 410 + 400))); // at 20.5 px: halves go down
    m.tag(26, swftest::placeObject2(placed(3, 1, 0.2, 1000, 200)));    // leaning by 0.03 px
    m.tag(26, swftest::placeObject2(placed(4, 1, 30, 1400, 1400)));    // rotated: not snapped
    // A field made by script, moved to (5.5, 60.4) px.
    swftest::Actions a;
    a.push(10).push(10).push(0).push(0).push(5).push("t").push(6).push("_root").op(GetVariable);
    a.push("createTextField").op(CallMethod).op(Pop);
    auto set = [&](const char* name, int value) {
        a.push("_root").op(GetVariable).push("t").op(GetMember).push(name).push(value).op(SetMember);
    };
    set("border", 1);
    set("borderColor", 0xff0000);
    a.push("_root").op(GetVariable).push("t").op(GetMember).push("_x").push("5.5").op(SetMember);
    a.push("_root").op(GetVariable).push("t").op(GetMember).push("_y").push("60.4").op(SetMember);
    m.tag(12, a.finish());
    m.showFrame();
    const QImage img = paintMovie(m.finish());

    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255), grey = qRgb(128, 128, 128),
               red = qRgb(255, 0, 0);
    struct Box {
        int x0, y0, x1, y1; // the border's first and last pixel columns and rows
        QRgb border, inside;
        bool openCorner;    // placed fields of older movies leave out the bottom right pixel
    };
    const Box boxes[] = {
        {5, 5, 15, 15, black, white, true},
        {20, 40, 30, 50, black, white, true},
        {50, 10, 60, 20, black, white, true},
        {5, 60, 15, 70, red, grey, false}, // 5.5 -> 5, 60.4 -> 60; no background
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(testing::Message() << "box at " << b.x0 << "," << b.y0);
        for (int x = b.x0; x <= b.x1; ++x) {
            EXPECT_EQ(img.pixel(x, b.y0), b.border) << x;
            EXPECT_EQ(img.pixel(x, b.y0 - 1), grey) << x;
            EXPECT_EQ(img.pixel(x, b.y1 + 1), grey) << x;
            if (x < b.x1) {
                EXPECT_EQ(img.pixel(x, b.y1), b.border) << x;
            }
        }
        for (int y = b.y0; y <= b.y1; ++y) {
            EXPECT_EQ(img.pixel(b.x0, y), b.border) << y;
            EXPECT_EQ(img.pixel(b.x0 - 1, y), grey) << y;
            EXPECT_EQ(img.pixel(b.x1 + 1, y), grey) << y;
            if (y < b.y1) {
                EXPECT_EQ(img.pixel(b.x1, y), b.border) << y;
            }
        }
        EXPECT_EQ(img.pixel(b.x1, b.y1), b.openCorner ? grey : b.border);
        for (int y = b.y0 + 1; y < b.y1; ++y)
            for (int x = b.x0 + 1; x < b.x1; ++x)
                ASSERT_EQ(img.pixel(x, y), b.inside) << x << "," << y;
    }
    // The field turned by 30 degrees keeps its slanted, smoothed edges.
    int partial = 0;
    for (int y = 65; y < 90; ++y)
        for (int x = 60; x < 85; ++x) {
            const QRgb c = img.pixel(x, y);
            partial += c != black && c != white && c != grey;
        }
    EXPECT_GT(partial, 10);
}

namespace {

// DefineFont2 body of font "T" (8-bit codes, with layout): one glyph per
// code, each a block 512 units wide from 700 units above the baseline down
// to it, with the given advances (font units of a 1024 square).
QByteArray blockFont(int id, const std::vector<std::pair<char, int>>& glyphs)
{
    QByteArray shapes;
    std::vector<int> offsets;
    const int n = int(glyphs.size());
    for (int i = 0; i < n; ++i) {
        offsets.push_back(2 * n + 2 + int(shapes.size()));
        swftest::ShapeWriter s(1, 0);
        s.change(-1, 1, -1, true, 0, -700).line(512, 0).line(0, 700).line(-512, 0).line(0, -700);
        shapes += s.finish();
    }
    Bits b;
    b.u16(id);
    b.u8(0x80); // layout
    b.u8(0);
    b.u8(1);
    b.bytes("T");
    b.u16(n);
    for (int o : offsets)
        b.u16(o);
    b.u16(2 * n + 2 + int(shapes.size())); // the code table
    b.bytes(shapes);
    for (const auto& g : glyphs)
        b.u8(g.first);
    b.u16(800); // ascent
    b.u16(224); // descent
    b.u16(0);   // leading
    for (const auto& g : glyphs)
        b.u16(g.second);
    for (int i = 0; i < n; ++i)
        b.bytes(swftest::rect(0, 512, -700, 0));
    b.u16(0); // no kerning
    return b.data();
}

} // namespace

TEST(SwfTextFieldPaint, ScriptFieldsDrawEmbeddedGlyphsWithUnsignedAdvances)
{
    // createTextField("t", 1, 0, 0, 390, 50); t.embedFonts = t.multiline = true;
    // t.setNewTextFormat(new TextFormat with font "T", size 10); t.text = "ab\rb".
    // "a" advances 33000 units: 322.27 px at size 10, not backwards as a
    // signed number would.
    swftest::Actions a;
    enum { Not = 0x12, NewObject = 0x40, SetVariable = 0x1d };
    a.push(50).push(390).push(0).push(0).push(1).push("t").push(6).push("_root").op(GetVariable);
    a.push("createTextField").op(CallMethod).op(Pop);
    a.push("t").op(GetVariable).push("embedFonts").push(0).op(Not).op(SetMember);
    a.push("t").op(GetVariable).push("multiline").push(0).op(Not).op(SetMember);
    a.push("tf").push(0).push("TextFormat").op(NewObject).op(SetVariable);
    a.push("tf").op(GetVariable).push("font").push("T").op(SetMember);
    a.push("tf").op(GetVariable).push("size").push(10).op(SetMember);
    a.push("tf").op(GetVariable).push(1).push("t").op(GetVariable).push("setNewTextFormat").op(CallMethod).op(Pop);
    a.push("t").op(GetVariable).push("text").push("ab\rb").op(SetMember);
    swftest::Movie m;
    m.width = 400;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(48, blockFont(1, {{'a', 33000}, {'b', 600}}));
    m.tag(12, a.finish());
    m.showFrame();
    Player p;
    ASSERT_TRUE(p.loadData(m.finish(), QStringLiteral("/tmp/t.swf")));
    Renderer r(p);
    QImage img(QSize(400, 100), QImage::Format_ARGB32_Premultiplied);
    r.paint(img);

    // Lines start 2 px in; the baseline is 7.8 px (the ascent) below the
    // line's top, and lines are 10 px apart (ascent and descent).
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    struct Probe {
        int x, y;
        QRgb want;
    };
    const Probe probes[] = {
        {4, 6, black},   // "a"
        {12, 6, white},  // not backwards nor next to it
        {326, 6, black}, // "b" after the long advance
        {4, 16, black},  // "b" on the second line
        {326, 16, white},
    };
    for (const Probe& pr : probes)
        EXPECT_EQ(img.pixel(pr.x, pr.y), pr.want) << pr.x << "," << pr.y;
}
