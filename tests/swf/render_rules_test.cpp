// Painting rules that follow the Flash Player's pictures: gradient
// interpolation, low quality, blends of partly transparent sources, filters.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/gradient.h"
#include "swf/player.h"
#include "swf/renderer.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST(SwfRenderGradients, StopsSharingARatioBecomeBandsInFileOrder)
{
    const Rgba a{255, 0, 0, 255}, b{0, 255, 0, 255}, c{0, 0, 255, 255}, d{255, 255, 0, 255};
    auto stops = [](std::initializer_list<std::pair<int, Rgba>> list) {
        std::vector<GradientStop> out;
        for (const auto& [ratio, colour] : list)
            out.push_back(GradientStop{uint8_t(ratio), colour});
        return out;
    };
    const struct {
        const char* name;
        std::vector<GradientStop> stops;
        std::vector<std::pair<int, Rgba>> want; // ratio, colour
    } cases[] = {
        // The second stop of a pair moves one ratio on.
        {"middle", stops({{70, a}, {70, b}, {140, c}, {140, d}}),
         {{0, a}, {70, a}, {71, b}, {140, c}, {141, d}, {255, d}}},
        // At the end there is no room: the later stop is dropped.
        {"ends", stops({{0, a}, {0, b}, {255, c}, {255, d}}), {{0, a}, {1, b}, {255, c}}},
        // Three at one ratio: three narrow bands.
        {"three", stops({{100, a}, {100, b}, {100, c}}), {{99, a}, {100, a}, {101, b}, {102, c}, {200, c}}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const auto table = gradientColours(k.stops);
        for (const auto& [ratio, colour] : k.want)
            EXPECT_EQ(table[size_t(ratio)], colour) << "ratio " << ratio;
    }
    // Between distinct ratios colours are interpolated.
    const auto ramp = gradientColours(stops({{0, Rgba{0, 0, 0, 255}}, {255, Rgba{255, 255, 255, 255}}}));
    EXPECT_EQ(ramp[128].r, 128);
}

TEST(SwfRenderGradients, PaintedFromTheTableOf256ColoursWithoutBlendingEntries)
{
    // Green at 0 to red at 100, then blue at 100 again to the end, across a
    // stage 512 px wide: each table entry takes two pixels. Red is entry 100
    // alone (two pure red pixels) and blue follows it with no pixel mixing
    // the two.
    swftest::Movie m;
    m.width = 512;
    m.height = 20;
    m.tag(9, QByteArray("\x00\x00\x00", 3));
    const double s = 10240.0 / 32768.0;
    m.tag(32, swftest::rectShape(1, 3,
                                 swftest::gradientFill(0x10, swftest::matrix(s, 0, 0, s, 5120, 200),
                                                       {{0, 0, 255, 0, 255}, {100, 255, 0, 0, 255},
                                                        {100, 0, 0, 255, 255}, {255, 0, 0, 255, 255}}),
                                 0, 0, 10240, 400));
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    const QImage img = paintWith(m.finish(), true, QSize(512, 20));
    int red = 0, firstBlue = -1;
    for (int x = 0; x < 512; ++x) {
        const QRgb p = img.pixel(x, 10);
        EXPECT_FALSE(qRed(p) > 0 && qBlue(p) > 0) << "x " << x << " " << std::hex << p;
        red += p == qRgb(255, 0, 0);
        if (firstBlue < 0 && p == qRgb(0, 0, 255))
            firstBlue = x;
    }
    EXPECT_EQ(red, 2);
    EXPECT_NEAR(firstBlue, 2 * 101, 1);
    EXPECT_EQ(img.pixel(511, 10), qRgb(0, 0, 255));
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
    // A centre on the square's edge: inside on the left and top, outside on
    // the right and bottom (the blend-mode pictures of the Flash Player
    // show it on shape edges through pixel centres).
    EXPECT_EQ(low.pixel(11, 20), white);
    EXPECT_EQ(low.pixel(12, 20), blue);
    EXPECT_EQ(low.pixel(86, 20), blue);
    EXPECT_EQ(low.pixel(87, 20), white);
    EXPECT_EQ(low.pixel(20, 11), white);
    EXPECT_EQ(low.pixel(20, 12), blue);
    EXPECT_EQ(low.pixel(20, 86), blue);
    EXPECT_EQ(low.pixel(20, 87), white);
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

namespace {

// A grey square (30..70 of 100 pixels) on a white stage, or a black one
// 20 px wide from `left` twips, placed with the given FILTERLIST bytes.
QByteArray greySquareWithFilters(const QByteArray& filterBytes, int left = -1)
{
    if (left >= 0)
        return swftest::filteredRectMovie(0, 0, 0, left, 600, left + 400, 1400, filterBytes);
    return swftest::filteredRectMovie(128, 128, 128, 600, 600, 1400, 1400, filterBytes);
}

void rgba(Bits& b, QRgb c)
{
    b.u8(qRed(c));
    b.u8(qGreen(c));
    b.u8(qBlue(c));
    b.u8(qAlpha(c));
}

// Bevel (3) or gradient bevel (7) / glow (4) bytes: angle 45 degrees,
// distance 3 px, blur 4 px, strength 1, one pass.
QByteArray bevelFilter(int type, const std::vector<std::pair<int, QRgb>>& colours, bool inner, bool onTop,
                       bool knockout = false)
{
    Bits b;
    b.u8(1);
    b.u8(type);
    if (type == 3) {
        rgba(b, colours[0].second); // highlight
        rgba(b, colours[1].second); // shadow
    } else {
        b.u8(int(colours.size()));
        for (const auto& c : colours)
            rgba(b, c.second);
        for (const auto& c : colours)
            b.u8(c.first);
    }
    b.u32(4u << 16);
    b.u32(4u << 16);
    b.u32(uint32_t(std::lround(0.785398 * 65536)));
    b.u32(3u << 16);
    b.u16(256);
    b.flag(inner);
    b.flag(knockout);
    b.flag(true); // composite source
    b.flag(onTop);
    b.ub(1, 4);
    return b.data();
}

} // namespace

TEST(SwfRenderFilters, BevelLightsTheSideFacingTheLightAndShadesTheOther)
{
    // Highlight red, shadow blue, the light from the top left (45 degrees).
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    const struct {
        const char* kind;
        bool inner, onTop;
        QPoint lit, shaded; // where the highlight and the shadow show
        QPoint untouched;   // grey or white as painted
    } cases[] = {
        {"inner", true, false, {31, 31}, {68, 68}, {27, 27}},
        {"outer", false, false, {28, 28}, {71, 71}, {32, 32}},
        {"full", true, true, {29, 29}, {70, 70}, {50, 50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const QImage img = paintWith(greySquareWithFilters(bevelFilter(3, {{0, red}, {0, blue}}, c.inner, c.onTop)), true);
        const QRgb lit = img.pixel(c.lit), shaded = img.pixel(c.shaded);
        EXPECT_GT(qRed(lit), qBlue(lit) + 40) << std::hex << lit;
        EXPECT_GT(qBlue(shaded), qRed(shaded) + 40) << std::hex << shaded;
        const QRgb plain = img.pixel(c.untouched);
        EXPECT_EQ(qRed(plain), qBlue(plain)) << std::hex << plain;
    }
    // The centre of the square is flat: neither side.
    const QImage full = paintWith(greySquareWithFilters(bevelFilter(3, {{0, red}, {0, blue}}, true, true)), true);
    EXPECT_EQ(full.pixel(50, 50), qRgb(128, 128, 128));
}

TEST(SwfRenderFilters, GradientFiltersColourByTheirGradient)
{
    // A gradient glow from transparent to green, moved 2 px right and down:
    // green past the square's right edge, fading outwards, nothing far
    // away or inside.
    const QImage glow = paintWith(
        greySquareWithFilters(bevelFilter(4, {{0, qRgba(0, 0, 0, 0)}, {255, qRgb(0, 255, 0)}}, false, false)), true);
    EXPECT_GT(qGreen(glow.pixel(71, 50)), qRed(glow.pixel(71, 50)) + 60);
    EXPECT_GT(qRed(glow.pixel(74, 50)), qRed(glow.pixel(71, 50)));
    EXPECT_EQ(glow.pixel(10, 50), qRgb(255, 255, 255));
    EXPECT_EQ(glow.pixel(50, 50), qRgb(128, 128, 128));
    // A gradient bevel: ratio 0 (yellow) on the lit side, 255 (cyan) on the
    // shaded one, transparent in the flat middle.
    const QImage bevel = paintWith(greySquareWithFilters(bevelFilter(
                                       7, {{0, qRgb(255, 255, 0)}, {128, qRgba(0, 0, 0, 0)}, {255, qRgb(0, 255, 255)}},
                                       true, false)),
                                   true);
    EXPECT_GT(qRed(bevel.pixel(31, 31)), qBlue(bevel.pixel(31, 31)) + 40);
    EXPECT_GT(qBlue(bevel.pixel(68, 68)), qRed(bevel.pixel(68, 68)) + 40);
    EXPECT_EQ(bevel.pixel(50, 50), qRgb(128, 128, 128));
}

TEST(SwfRenderFilters, ConvolutionWeighsNeighboursAndIsBounded)
{
    // A 3 x 3 kernel taking the right-hand neighbour moves the square one
    // pixel to the left; one of 16 x 16 is refused (the square stays).
    auto convolution = [](int size, int take) {
        Bits b;
        b.u8(1);
        b.u8(5);
        b.u8(size);
        b.u8(size);
        auto f32 = [&b](float v) {
            uint32_t u;
            std::memcpy(&u, &v, 4);
            b.u32(u);
        };
        f32(1);
        f32(0);
        for (int i = 0; i < size * size; ++i)
            f32(i == take ? 1.f : 0.f);
        rgba(b, qRgba(0, 0, 0, 0));
        b.ub(0, 6);
        b.flag(true);  // clamp
        b.flag(false); // alpha from the kernel too
        return b.data();
    };
    const QImage moved = paintWith(greySquareWithFilters(convolution(3, 5)), true);
    EXPECT_EQ(moved.pixel(29, 50), qRgb(128, 128, 128));
    EXPECT_EQ(moved.pixel(69, 50), qRgb(255, 255, 255));
    const QImage refused = paintWith(greySquareWithFilters(convolution(16, 5)), true);
    EXPECT_EQ(refused.pixel(29, 50), qRgb(255, 255, 255));
    EXPECT_EQ(refused.pixel(69, 50), qRgb(128, 128, 128));
}

TEST(SwfRenderFilters, FilteredObjectsStartOnAWholePixel)
{
    // A black square from x = 10.4 px: with an identity colour matrix the
    // object is moved to 10 and its first column is fully covered; without
    // a filter the edge pixel is partly covered.
    Bits identity;
    identity.u8(1);
    identity.u8(6);
    for (int i = 0; i < 20; ++i) {
        const float v = (i % 6 == 0) ? 1.f : 0.f;
        uint32_t u;
        std::memcpy(&u, &v, 4);
        identity.u32(u);
    }
    const QImage snapped = paintWith(greySquareWithFilters(identity.data(), 208), true);
    EXPECT_EQ(snapped.pixel(10, 50), qRgb(0, 0, 0));
    EXPECT_EQ(snapped.pixel(30, 50), qRgb(255, 255, 255));
    const QImage plain = paintWith(greySquareWithFilters(QByteArray(1, '\0'), 208), true);
    EXPECT_GT(qRed(plain.pixel(10, 50)), 60);
    EXPECT_LT(qRed(plain.pixel(10, 50)), 200);
}

TEST(SwfRenderBlends, EraseTakesAwayOnlyFromTheLayerItIsPaintedInto)
{
    // A red square with a green bar over it, both in a sprite; an erase
    // square over the left half. With the sprite as a layer the bar and the
    // square are cut away there (the white stage shows); without a layer
    // below it the erase does nothing.
    for (bool asLayer : {true, false}) {
        swftest::Movie m;
        m.tag(9, QByteArray("\xff\xff\xff", 3));
        m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 2000, 2000));
        m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(0, 0, 0, 255, false), 0, 0, 1000, 2000));
        m.tag(2, swftest::rectShape(3, 1, swftest::solidFill(0, 255, 0, 255, false), 0, 800, 2000, 1200));
        Bits sprite;
        sprite.u16(4);
        sprite.u16(1);
        QByteArray tags = swftest::Movie::encodeTag(26, swftest::placeObject2(at(1, 1)));
        tags += swftest::Movie::encodeTag(26, swftest::placeObject2(at(2, 3)));
        Bits erase;
        erase.u8(0x02);
        erase.u8(0x02); // blend mode
        erase.u16(3);
        erase.u16(2);
        erase.u8(12); // erase
        tags += swftest::Movie::encodeTag(70, erase.data());
        tags += swftest::Movie::encodeTag(1, {});
        tags += swftest::Movie::encodeTag(0, {});
        sprite.bytes(tags);
        m.tag(39, sprite.data());
        Bits place;
        place.u8(0x02);
        place.u8(asLayer ? 0x02 : 0x00);
        place.u16(1);
        place.u16(4);
        if (asLayer)
            place.u8(2); // layer
        m.tag(70, place.data());
        m.showFrame();
        const QImage img = paintWith(m.finish(), true);
        SCOPED_TRACE(asLayer ? "layer" : "no layer");
        EXPECT_EQ(img.pixel(25, 20), asLayer ? qRgb(255, 255, 255) : qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(25, 50), asLayer ? qRgb(255, 255, 255) : qRgb(0, 255, 0));
        EXPECT_EQ(img.pixel(75, 20), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(75, 50), qRgb(0, 255, 0));
    }
}

TEST(SwfRenderBlends, EachModeMixesTheChannelsByItsRuleRoundedToTheNearestLevel)
{
    // An opaque square (100, 200, 50) under a square (200, 100, 150) of
    // alpha `a` placed with each blend mode; the pixel where they overlap.
    // Products of two levels are divided by 255 and rounded once.
    const struct {
        int mode;
        int alpha;
        QRgb want;
    } cases[] = {
        {3, 255, qRgb(78, 78, 29)},    // multiply: 200 * 100 / 255 = 78.4, 150 * 50 / 255 = 29.4
        {3, 128, qRgb(89, 139, 40)},   // half covered: (100 * 127 + 100 * 100) / 255 = 89.0
        {4, 255, qRgb(222, 222, 171)}, // screen: 300 - 78.4, 200 - 29.4
        {5, 255, qRgb(200, 200, 150)}, // lighten
        {6, 255, qRgb(100, 100, 50)},  // darken
        {7, 255, qRgb(100, 100, 100)}, // difference
        {8, 255, qRgb(255, 255, 200)}, // add, up to 255
        {9, 255, qRgb(0, 100, 0)},     // subtract, down to 0
        {10, 255, qRgb(155, 55, 205)}, // invert: the background's negative
        {13, 255, qRgb(157, 188, 59)}, // overlay: by the background, 2 * 200 * 100 / 255 = 156.9
        {14, 255, qRgb(188, 157, 86)}, // hard light: by the source, 255 - 2 * 155 * 55 / 255 = 188.1
        {2, 128, qRgb(150, 150, 100)}, // layer: plain alpha blending
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        swftest::Movie m;
        m.tag(9, QByteArray("\xff\xff\xff", 3));
        m.tag(32, swftest::rectShape(1, 3, swftest::solidFill(100, 200, 50, 255, true), 0, 0, 1200, 2000));
        m.tag(32, swftest::rectShape(2, 3, swftest::solidFill(200, 100, 150, uint8_t(c.alpha), true), 800, 0, 2000,
                                     2000));
        m.tag(26, swftest::placeObject2(at(1, 1)));
        Bits place;
        place.u8(0x02);
        place.u8(0x02); // blend mode
        place.u16(2);
        place.u16(2);
        place.u8(c.mode);
        m.tag(70, place.data());
        m.showFrame();
        const QImage img = paintWith(m.finish(), true);
        EXPECT_EQ(img.pixel(50, 50), c.want) << std::hex << img.pixel(50, 50);
        EXPECT_EQ(img.pixel(20, 50), qRgb(100, 200, 50)); // the background alone
        // The source alone, over the white stage.
        if (c.mode == 3 && c.alpha == 255) {
            EXPECT_EQ(img.pixel(80, 50), qRgb(200, 100, 150));
        }
    }
}

TEST(SwfRenderMasks, AMaskIsItsFillsWithoutItsStrokes)
{
    // A mask square 30..70 px with a 10 px black outline over a red stage
    // square, as a clipping layer and as setMask's mask would be: the red
    // shows inside the fill only; the outline's outer half (70..75) keeps
    // nothing.
    swftest::ShapeWriter edges(1, 1);
    edges.change(-1, 1, 1, true, 600, 600).line(800, 0).line(0, 800).line(-800, 0).line(0, -800);
    Bits stroke;
    stroke.u16(200);
    for (int v : {0, 0, 0, 255})
        stroke.u8(v);
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(32, shapeBody(1, false, swftest::fillArray({swftest::solidFill(0, 0, 0, 255, true)}),
                        swftest::lineArray({stroke.data()}), edges));
    m.tag(32, swftest::rectShape(2, 3, swftest::solidFill(255, 0, 0, 255, true), 0, 0, 2000, 2000));
    Place mask = at(1, 1);
    mask.clipDepth = 2;
    m.tag(26, swftest::placeObject2(mask));
    m.tag(26, swftest::placeObject2(at(2, 2)));
    m.showFrame();
    for (bool high : {true, false}) {
        SCOPED_TRACE(high ? "high quality" : "low quality");
        const QImage img = paintWith(m.finish(), high);
        EXPECT_EQ(img.pixel(50, 50), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(31, 50), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(72, 50), qRgb(255, 255, 255));
        EXPECT_EQ(img.pixel(50, 27), qRgb(255, 255, 255));
    }
}

TEST(SwfRenderFilters, BlurSpreadsAPixelOverABoxOfBlurXPixelsOncePerPass)
{
    // A one-pixel black line at x = 50 blurred horizontally: the box is
    // blurX pixels wide and centred, an even one taking half of each end
    // pixel; each pass (the quality) blurs the last one's result again.
    // Means are cut down to whole levels.
    const struct {
        int blurX, passes;
        std::vector<int> alphas; // from x = 50 outwards, nothing further
    } cases[] = {
        {5, 1, {51, 51, 51}},
        {2, 1, {127, 63}},         // 1/2 and 1/4 of 255
        {4, 1, {63, 63, 31}},      // 1/4 and 1/8
        {2, 2, {95, 63, 15}},      // the 1/4, 1/2, 1/4 box applied twice
        {3, 3, {65, 56, 28, 9}},   // (85, 85) → (85, 56, 28) → (65, 56, 28, 9)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "blurX " << c.blurX << " passes " << c.passes);
        Bits blur;
        blur.u8(1);
        blur.u8(1);
        blur.u32(uint32_t(c.blurX) << 16);
        blur.u32(0);
        blur.ub(uint32_t(c.passes), 5);
        blur.ub(0, 3);
        const QImage img = paintWith(swftest::filteredRectMovie(0, 0, 0, 1000, 200, 1020, 1800, blur.data()), true);
        const int n = int(c.alphas.size());
        for (int d = 0; d < n; ++d) {
            const int grey = 255 - c.alphas[size_t(d)];
            EXPECT_EQ(img.pixel(50 + d, 50), qRgb(grey, grey, grey)) << "x " << 50 + d;
            EXPECT_EQ(img.pixel(50 - d, 50), qRgb(grey, grey, grey)) << "x " << 50 - d;
        }
        EXPECT_EQ(img.pixel(50 + n, 50), qRgb(255, 255, 255));
        EXPECT_EQ(img.pixel(50 - n, 50), qRgb(255, 255, 255));
    }
}

TEST(SwfRenderScriptProps, OpaqueBackgroundAlphaAndBlendModeFromScript)
{
    // A sprite "box" holding a one-pixel red line from x = 20 to 60 px at
    // y = 40 (round caps). The script gives it a green opaque background,
    // sets _alpha to 30 and reads the values back.
    swftest::ShapeWriter s(0, 1);
    s.change(-1, -1, 1, true, 400, 800).line(800, 0);
    Bits line;
    line.u8(1);
    line.u16(20);
    for (int v : {255, 0, 0, 255})
        line.u8(v);
    swftest::Movie inner;
    inner.tag(26, swftest::placeObject2(at(1, 1)));
    inner.showFrame();
    enum { GetVariable = 0x1c, Trace = 0x26, GetMember = 0x4e, SetMember = 0x4f };
    swftest::Actions a;
    auto set = [&](const char* name, auto value) { a.push("box").op(GetVariable).push(name).push(value).op(SetMember); };
    auto trace = [&](const char* name) { a.push("box").op(GetVariable).push(name).op(GetMember).op(Trace); };
    trace("opaqueBackground");
    trace("blendMode");
    set("opaqueBackground", 0x00ff00);
    set("_alpha", 30);
    set("blendMode", "multiply");
    trace("blendMode");
    set("blendMode", "nonsense"); // not a mode: no change
    trace("blendMode");
    set("blendMode", "normal");
    trace("opaqueBackground");
    trace("_alpha"); // kept as 76/256
    set("_alpha", 100);
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    Bits shape; // bounds with the stroke: 19.5..60.5 x 39.5..40.5 px
    shape.u16(1);
    shape.bytes(swftest::rect(390, 1210, 790, 810));
    shape.u8(0);
    shape.bytes(line.data());
    shape.bytes(s.finish());
    m.tag(32, shape.data());
    m.tag(39, swftest::defineSprite(10, inner));
    Place box = at(1, 10);
    box.name = "box";
    m.tag(26, swftest::placeObject2(box));
    m.tag(12, a.finish());
    m.showFrame();

    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(m.finish(), QStringLiteral("/tmp/t.swf")));
    EXPECT_EQ(t.take(), (QStringList{"undefined", "normal", "multiply", "multiply", "65280", "29.6875"}));
    Renderer r(t.player);
    r.setHighQuality(false);
    QImage img(QSize(100, 100), QImage::Format_ARGB32_Premultiplied);
    r.paint(img);
    EXPECT_EQ(img.pixel(19, 39), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(30, 39), qRgb(255, 0, 0));
    // The background covers the pixels whose top left corner lies inside
    // the bounds (19.5..60.5, 39.5..40.5), and the round cap leaves the
    // corner pixel to it.
    for (QPoint white : {QPoint(18, 39), QPoint(60, 39), QPoint(30, 40), QPoint(30, 38)})
        EXPECT_EQ(img.pixel(white), qRgb(255, 255, 255)) << white.x() << "," << white.y();
}
