// Painting rules that follow the Flash Player's pictures: gradient
// interpolation, low quality, blends of partly transparent sources, filters.
#include "swf_builder.h"

#include "swf/player.h"
#include "swf/renderer.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Bits;
using swftest::Place;

namespace {

QImage paintWith(const QByteArray& file, bool highQuality, QSize size = QSize(100, 100))
{
    Player p;
    EXPECT_TRUE(p.loadData(file, QStringLiteral("/tmp/t.swf"))) << p.errorLog().join('\n').toStdString();
    Renderer r(p);
    r.setHighQuality(highQuality);
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    r.paint(img);
    return img;
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

Place at(int depth, int id)
{
    Place p;
    p.depth = depth;
    p.characterId = id;
    return p;
}

// DefineShape3/4 body with the given style arrays and edges; DefineShape4
// gets its edge bounds and flags byte.
QByteArray shapeBody(int id, bool shape4, const QByteArray& fills, const QByteArray& lines,
                     const swftest::ShapeWriter& edges)
{
    Bits b;
    b.u16(id);
    b.bytes(swftest::rect(0, 2000, 0, 2000));
    if (shape4) {
        b.bytes(swftest::rect(0, 2000, 0, 2000));
        b.u8(0);
    }
    b.bytes(fills);
    b.bytes(lines);
    swftest::ShapeWriter copy = edges;
    b.bytes(copy.finish());
    return b.data();
}

} // namespace

TEST(SwfRenderGradients, ColourAndAlphaInterpolateEachOnTheirOwn)
{
    // Transparent black to opaque white across the stage, over black: at a
    // point t along it the colour is t white at alpha t, so t * t shows
    // (premultiplied interpolation would show t).
    swftest::Movie m;
    m.tag(9, QByteArray("\x00\x00\x00", 3));
    const double s = 2000.0 / 32768.0;
    m.tag(32, swftest::rectShape(1, 3,
                                 swftest::gradientFill(0x10, swftest::matrix(s, 0, 0, s, 1000, 1000),
                                                       {{0, 0, 0, 0, 0}, {255, 255, 255, 255, 255}}),
                                 0, 0, 2000, 2000));
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    const QImage img = paintWith(m.finish(), true);
    for (int x : {25, 50, 75}) {
        const double t = (x + 0.5) / 100.0;
        const int want = int(std::lround(255 * t * t));
        EXPECT_NEAR(qRed(img.pixel(x, 50)), want, 3) << "x " << x;
    }
}

TEST(SwfRenderQuality, LowQualityPaintsWholePixelsByTheirCentres)
{
    // A square from 12.5 to 87.5 px and two one-pixel lines, one centred on
    // x = 50 (pixel edges on both sides run through pixel centres) and one
    // centred on y = 30.5.
    swftest::ShapeWriter s(1, 1);
    s.change(-1, 1, -1, true, 250, 250).line(1500, 0).line(0, 1500).line(-1500, 0).line(0, -1500);
    s.change(0, 0, 1, true, 1000, 100).line(0, 1800);
    s.change(-1, -1, -1, true, 100, 610).line(1800, 0);
    Bits line;
    line.u8(1);
    line.u16(20);
    for (int v : {0, 0, 0, 255})
        line.u8(v);
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(32, shapeBody(1, false, swftest::fillArray({swftest::solidFill(0, 0, 255, 255, true)}), line.data(), s));
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    const QByteArray file = m.finish();

    const QImage low = paintWith(file, false);
    const QRgb blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const QRgb p = low.pixel(x, y);
            ASSERT_TRUE(p == blue || p == white || p == black) << x << "," << y; // no partial coverage
        }
    // A centre on the square's edge: outside on the left and top, inside on
    // the right and bottom.
    EXPECT_EQ(low.pixel(12, 20), white);
    EXPECT_EQ(low.pixel(13, 20), blue);
    EXPECT_EQ(low.pixel(87, 20), blue);
    EXPECT_EQ(low.pixel(88, 20), white);
    EXPECT_EQ(low.pixel(20, 12), white);
    EXPECT_EQ(low.pixel(20, 13), blue);
    EXPECT_EQ(low.pixel(20, 87), blue);
    EXPECT_EQ(low.pixel(20, 88), white);
    // A one-pixel line takes the pixel on the left of its centre line.
    EXPECT_EQ(low.pixel(49, 70), black);
    EXPECT_EQ(low.pixel(50, 70), blue);
    EXPECT_EQ(low.pixel(20, 30), black);
    EXPECT_EQ(low.pixel(20, 29), blue);
    EXPECT_EQ(low.pixel(20, 31), blue);

    // High quality blends the half-covered edge pixels.
    const QImage high = paintWith(file, true);
    EXPECT_GT(channelDistance(high.pixel(12, 20), white), 60);
    EXPECT_GT(channelDistance(high.pixel(12, 20), blue), 60);
}
