// The reader against bytes written field by field after the SWF file format.
#include "swf_builder.h"

#include "swf/movie.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Bits;

namespace {

QByteArray simpleMovie(char signature)
{
    swftest::Movie m;
    m.width = 320;
    m.height = 240;
    m.tag(9, QByteArray("\x10\x20\x30", 3));
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 400, 400));
    swftest::Place p;
    p.characterId = 1;
    m.tag(26, swftest::placeObject2(p));
    m.showFrame();
    m.showFrame();
    return m.finish(signature);
}

} // namespace

TEST(SwfContainer, PlainZlibAndLzmaGiveTheSameMovie)
{
    for (char sig : {'F', 'C', 'Z'}) {
        SCOPED_TRACE(sig);
        const ParseResult r = parseMovie(simpleMovie(sig));
        ASSERT_TRUE(r.movie) << r.error.toStdString();
        EXPECT_EQ(r.movie->signature, sig);
        EXPECT_EQ(r.movie->frameSize.width(), 320 * 20);
        EXPECT_EQ(r.movie->frameSize.height(), 240 * 20);
        EXPECT_EQ(r.movie->frameRate, 25);
        EXPECT_EQ(r.movie->frameCount, 2);
        EXPECT_EQ(r.movie->background, (Rgba{0x10, 0x20, 0x30, 255}));
        ASSERT_TRUE(r.movie->character(1));
        EXPECT_TRUE(r.log.isEmpty()) << r.log.join('\n').toStdString();
    }
}

TEST(SwfContainer, UnusableFilesAreRefusedWithAReason)
{
    const QByteArray good = simpleMovie('F');
    QByteArray badCompressed = simpleMovie('C');
    badCompressed[8] = char(0xff); // no zlib header
    badCompressed[9] = char(0xff);
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"no signature", QByteArray("GIF89a......")},
        {"header cut in the stage rectangle", good.left(9)},
        {"corrupt zlib stream", badCompressed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ParseResult r = parseMovie(c.bytes);
        EXPECT_FALSE(r.movie);
        EXPECT_FALSE(r.error.isEmpty());
    }
}

TEST(SwfRecords, MatrixAndColourTransformFields)
{
    swftest::Movie m;
    swftest::Place p;
    p.characterId = 1;
    p.hasMatrix = true;
    p.matrixBytes = swftest::matrix(2.0, 0.5, -0.25, 1.5, 300, -40);
    p.hasCx = true;
    p.mul[0] = 128; p.mul[1] = 256; p.mul[2] = 0; p.mul[3] = 64;
    p.add[0] = 10; p.add[1] = -20; p.add[2] = 255; p.add[3] = 0;
    p.ratio = 1234;
    p.name = "clip";
    p.clipDepth = 7;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(0, 0, 0, 255, false), 0, 0, 20, 20));
    m.tag(26, swftest::placeObject2(p));
    m.showFrame();
    const ParseResult r = parseMovie(m.finish());
    ASSERT_TRUE(r.movie);
    ASSERT_EQ(r.movie->timeline.frames[0].items.size(), 1u);
    const PlaceObject& po = r.movie->timeline.frames[0].items[0].place;
    EXPECT_DOUBLE_EQ(po.matrix.a, 2.0);
    EXPECT_DOUBLE_EQ(po.matrix.b, 0.5);
    EXPECT_DOUBLE_EQ(po.matrix.c, -0.25);
    EXPECT_DOUBLE_EQ(po.matrix.d, 1.5);
    EXPECT_EQ(po.matrix.tx, 300);
    EXPECT_EQ(po.matrix.ty, -40);
    EXPECT_FLOAT_EQ(po.colorTransform.rMul, 0.5f);
    EXPECT_FLOAT_EQ(po.colorTransform.bMul, 0.f);
    EXPECT_FLOAT_EQ(po.colorTransform.aMul, 0.25f);
    EXPECT_FLOAT_EQ(po.colorTransform.gAdd, -20.f);
    EXPECT_FLOAT_EQ(po.colorTransform.bAdd, 255.f);
    EXPECT_EQ(po.ratio, 1234);
    EXPECT_EQ(po.name, QStringLiteral("clip"));
    EXPECT_EQ(po.clipDepth, 7);
}

TEST(SwfShapes, EdgesCarryResolvedStylesAcrossNewStyleSets)
{
    Bits b;
    b.u16(5);
    b.bytes(swftest::rect(0, 200, 0, 200));
    b.bytes(swftest::fillArray({swftest::solidFill(255, 0, 0, 255, false), swftest::solidFill(0, 255, 0, 255, false)}));
    b.bytes(swftest::lineArray({}));
    swftest::ShapeWriter s(2, 0);
    s.change(2, 1, -1, true, 0, 0).line(100, 0).curve(50, 50, -50, 50);
    s.newStyles(swftest::fillArray({swftest::solidFill(0, 0, 255, 255, false)}),
                swftest::lineArray({QByteArray("\x14\x00\x01\x02\x03", 5)}), 1, 1);
    s.change(-1, 1, 1, true, 10, 10).line(0, 30);
    b.bytes(s.finish());
    swftest::Movie m;
    m.tag(22, b.data());
    const ParseResult r = parseMovie(m.finish());
    ASSERT_TRUE(r.movie);
    const auto& shape = std::get<ShapeData>(*r.movie->character(5));
    ASSERT_EQ(shape.edges.size(), 3u);
    EXPECT_EQ(shape.fills.size(), 3u);
    ASSERT_EQ(shape.lines.size(), 1u);
    EXPECT_EQ(shape.lines[0].width, 20);
    EXPECT_EQ(shape.lines[0].color, (Rgba{1, 2, 3, 255}));
    EXPECT_EQ(shape.edges[0].fill0, 1);
    EXPECT_EQ(shape.edges[0].fill1, 0);
    EXPECT_EQ(shape.edges[0].to, QPointF(100, 0));
    EXPECT_TRUE(shape.edges[1].curve);
    EXPECT_EQ(shape.edges[1].control, QPointF(150, 50));
    EXPECT_EQ(shape.edges[1].to, QPointF(100, 100));
    // The second set's style 1 is the third fill overall.
    EXPECT_EQ(shape.edges[2].fill1, 2);
    EXPECT_EQ(shape.edges[2].fill0, -1);
    EXPECT_EQ(shape.edges[2].line, 0);
    EXPECT_EQ(shape.edges[2].from, QPointF(10, 10));
    EXPECT_EQ(shape.edgeGroup[2], 1);
}

TEST(SwfBadInput, BrokenTagsAreSkippedWithALogLine)
{
    // A tag whose length runs past the end, a bitmap claiming 60000 x 60000,
    // and a lossless bitmap whose pixels are missing.
    swftest::Movie m;
    Bits huge;
    huge.u16(3);
    huge.u8(5);
    huge.u16(60000);
    huge.u16(60000);
    huge.bytes(swftest::zlib(QByteArray(64, '\0')));
    m.tag(36, huge.data());
    Bits shortPixels;
    shortPixels.u16(4);
    shortPixels.u8(5);
    shortPixels.u16(100);
    shortPixels.u16(100);
    shortPixels.bytes(swftest::zlib(QByteArray(400, '\x7f')));
    m.tag(36, shortPixels.data());
    m.showFrame();
    QByteArray file = m.finish();
    // A last tag claiming 1000 bytes that are not there.
    file.chop(2);
    file.append(swftest::Movie::encodeTag(2, QByteArray(100, '\x01')).left(2));
    file.append(QByteArray::fromHex("e8030000"));
    file.append(QByteArray(5, '\0'));
    const int size = int(file.size());
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char((size >> (8 * i)) & 0xff);
    const ParseResult r = parseMovie(file);
    ASSERT_TRUE(r.movie);
    EXPECT_FALSE(r.movie->character(3));
    EXPECT_FALSE(r.movie->character(4));
    const QString log = r.log.join('\n');
    EXPECT_TRUE(log.contains("60000 x 60000")) << log.toStdString();
    EXPECT_TRUE(log.contains("truncated")) << log.toStdString();
    EXPECT_TRUE(log.contains("runs past the end")) << log.toStdString();
}

TEST(SwfBitmaps, LosslessFormatsDecodeToPremultipliedPixels)
{
    // 2 x 1 pixels: format 3 with an RGBA palette (row padded to 4 bytes),
    // format 4 (15 bit) and format 5 (ARGB, premultiplied).
    auto bitmap = [](int id, int format, int w, int h, const QByteArray& raw, int table = -1) {
        Bits b;
        b.u16(id);
        b.u8(format);
        b.u16(w);
        b.u16(h);
        if (table >= 0)
            b.u8(table);
        b.bytes(swftest::zlib(raw));
        return b.data();
    };
    swftest::Movie m;
    const QByteArray palette = QByteArray::fromHex("ff000080" "00ff00ff") + QByteArray::fromHex("01000000");
    const QByteArray pix15 = QByteArray::fromHex("7c00" "001f" "0000");
    const QByteArray argb = QByteArray::fromHex("80400000" "ff0000ff");
    m.tag(36, bitmap(1, 3, 2, 1, palette, 1));
    m.tag(20, bitmap(2, 4, 2, 1, pix15));
    m.tag(36, bitmap(3, 5, 2, 1, argb));
    const ParseResult r = parseMovie(m.finish());
    ASSERT_TRUE(r.movie) << r.error.toStdString();
    ASSERT_TRUE(r.movie->character(1) && r.movie->character(2) && r.movie->character(3)) << r.log.join('\n').toStdString();
    // Raw premultiplied pixels (QImage::pixel would unpremultiply).
    auto px = [&](int id, int x) {
        const QImage& img = std::get<Bitmap>(*r.movie->character(uint16_t(id))).image;
        return reinterpret_cast<const QRgb*>(img.constScanLine(0))[x];
    };
    EXPECT_EQ(px(1, 0), qRgba(0, 255, 0, 255));
    // A premultiplied palette entry whose colour exceeds its alpha is clamped.
    EXPECT_EQ(px(1, 1), qRgba(0x80, 0, 0, 0x80));
    EXPECT_EQ(px(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(px(2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(px(3, 0)), 0x80);
    EXPECT_EQ(qRed(px(3, 0)), 0x40);
    EXPECT_EQ(px(3, 1), qRgb(0, 0, 255));
}

TEST(SwfBadInput, FontCutInsideItsGlyphsIsRefusedWholly)
{
    // DefineFont2 and DefineFont3 with a layout table, counting three glyphs
    // whose offsets point past the end of the tag: the glyph loop stops after
    // the first, and the per-glyph code and advance tables must not be
    // filled for glyphs that were never read.
    for (int code : {48, 75}) {
        SCOPED_TRACE(code);
        swftest::Movie m;
        Bits font;
        font.u16(5);    // id
        font.u8(0x80);  // has layout
        font.u8(0);     // language
        font.u8(1);
        font.bytes(QByteArray("a"));
        font.u16(3);    // glyph count
        font.u16(8);    // offsets from the start of the offset table
        font.u16(200);
        font.u16(300);
        font.u16(400);  // code table
        font.u8(0x10);  // first glyph: one empty shape, fill bits 1
        font.u8(0);
        m.tag(code, font.data());
        m.showFrame();
        const ParseResult r = parseMovie(m.finish());
        ASSERT_TRUE(r.movie);
        EXPECT_FALSE(r.movie->character(5));
        const QString log = r.log.join('\n');
        EXPECT_TRUE(log.contains(QStringLiteral("%1 5 skipped: truncated").arg(tagName(code)))) << log.toStdString();
    }
}

TEST(SwfBadInput, FuzzFindingsLoadOrAreRefusedWithALogLine)
{
    // Every input the fuzzer once crashed on; under the sanitizers any
    // out-of-bounds access fails here.
    const QDir dir(QString::fromUtf8(FOTAREL_SWF_FUZZ_REGRESSIONS));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << dir.path().toStdString();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const ParseResult r = parseMovie(file.readAll());
        EXPECT_TRUE(r.movie || !r.error.isEmpty());
        if (r.movie) {
            EXPECT_FALSE(r.log.isEmpty()) << "a damaged movie loaded without a word";
        }
    }
}
