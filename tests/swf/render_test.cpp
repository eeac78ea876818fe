// Painting hand-made movies and checking pixels at chosen points.
#include "swf_builder.h"

#include "swf/filters.h"
#include "swf/player.h"
#include "swf/renderer.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Bits;
using swftest::Place;

namespace {

QImage render(const QByteArray& file, QSize size = QSize(100, 100))
{
    Player p;
    EXPECT_TRUE(p.loadData(file, QStringLiteral("/tmp/t.swf"))) << p.errorLog().join('\n').toStdString();
    return p.paint(size);
}

QImage renderFrames(const QByteArray& file, int frame, QSize size = QSize(100, 100))
{
    Player p;
    EXPECT_TRUE(p.loadData(file, QStringLiteral("/tmp/t.swf")));
    p.stopPlaying();
    for (int f = 1; f <= frame; ++f)
        p.setFrameNum(f);
    return p.paint(size);
}

::testing::AssertionResult near(QRgb got, QRgb want, int tolerance = 3)
{
    const int d = std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                            std::abs(qBlue(got) - qBlue(want)), std::abs(qAlpha(got) - qAlpha(want))});
    if (d <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QStringLiteral("got #%1 want #%2")
                                                .arg(got, 8, 16, QLatin1Char('0'))
                                                .arg(want, 8, 16, QLatin1Char('0'))
                                                .toStdString();
}

Place at(int depth, int id)
{
    Place p;
    p.depth = depth;
    p.characterId = id;
    return p;
}

// A white stage with a black square (30..70 of 100 pixels) placed with the
// given FILTERLIST bytes.
QByteArray squareWithFilters(const QByteArray& filterBytes)
{
    return swftest::filteredRectMovie(0, 0, 0, 600, 600, 1400, 1400, filterBytes);
}

} // namespace

TEST(SwfRenderShapes, SolidRectangleOnTheBackgroundScaledToTheImage)
{
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 1000, 1000));
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    const QImage img = render(m.finish(), QSize(200, 200)); // twice the stage
    EXPECT_TRUE(near(img.pixel(50, 50), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(98, 98), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(150, 50), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(img.pixel(50, 150), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(img.pixel(101, 101), qRgb(255, 255, 255)));
}

TEST(SwfRenderShapes, FillsOnBothSidesOfSharedEdgesMakeClosedAreas)
{
    // Two squares side by side drawn as one outline plus a shared middle edge
    // that has fill 1 on its right side and fill 2 on its left: red left
    // square, blue right square; and a hole: a 400-twip square inside the
    // blue one bounded by edges with fill 2 on the outside only.
    Bits b;
    b.u16(1);
    b.bytes(swftest::rect(0, 2000, 0, 1000));
    b.bytes(swftest::fillArray({swftest::solidFill(255, 0, 0, 255, false), swftest::solidFill(0, 0, 255, 255, false)}));
    b.u8(0);
    swftest::ShapeWriter s(2, 0);
    // Clockwise loops on screen have their inside on the right (fill1).
    s.change(0, 1, -1, true, 0, 0).line(1000, 0);        // top of the left square
    s.change(2, -1, -1).line(0, 1000);                   // shared edge: left square right of it, right square left
    s.change(0, -1, -1).line(-1000, 0).line(0, -1000);   // bottom and left side
    s.change(0, 2, -1, true, 1000, 0).line(1000, 0).line(0, 1000).line(-1000, 0);
    s.change(2, 0, -1, true, 1300, 300).line(400, 0).line(0, 400).line(-400, 0).line(0, -400);
    b.bytes(s.finish());
    swftest::Movie m;
    m.width = 100;
    m.height = 50;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(2, b.data());
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    const QImage img = render(m.finish(), QSize(100, 50));
    EXPECT_TRUE(near(img.pixel(25, 25), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(60, 10), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(90, 40), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(75, 25), qRgb(255, 255, 255))); // the hole
}

TEST(SwfRenderColour, ColourTransformAppliesExactlyToSolidsGradientsAndBitmaps)
{
    // Three objects under 50 % alpha and a red offset: a solid, a one-colour
    // gradient and a bitmap fill, all green, over white.
    swftest::Movie m;
    m.width = 300;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(32, swftest::rectShape(1, 3, swftest::solidFill(0, 255, 0, 255, true), 0, 0, 2000, 2000));
    m.tag(32, swftest::rectShape(2, 3,
                                 swftest::gradientFill(0x10, swftest::matrix(), {{0, 0, 255, 0, 255}, {255, 0, 255, 0, 255}}),
                                 2000, 0, 4000, 2000));
    m.tag(36, swftest::lossless2(3, 4, 4, std::vector<uint32_t>(16, 0xff00ff00)));
    m.tag(32, swftest::rectShape(4, 3, swftest::bitmapFill(0x41, 3, swftest::matrix(500, 0, 0, 500, 4000, 0)), 4000, 0, 6000, 2000));
    for (int i = 0; i < 3; ++i) {
        Place p = at(i + 1, i == 2 ? 4 : i + 1);
        p.hasCx = true;
        p.mul[3] = 128;
        p.add[0] = 100;
        m.tag(26, swftest::placeObject2(p));
    }
    m.showFrame();
    const QImage img = render(m.finish(), QSize(300, 100));
    // (100, 255, 0) at alpha 128 over white.
    const QRgb want = qRgb(100 + (255 - 100) * 127 / 255, 255, 127);
    EXPECT_TRUE(near(img.pixel(50, 50), want, 2));
    EXPECT_TRUE(near(img.pixel(150, 50), want, 2));
    EXPECT_TRUE(near(img.pixel(250, 50), want, 2));
}

TEST(SwfRenderGradients, LinearGradientSpansTheGradientSquareWithSpreadModes)
{
    // The gradient square (-16384..16384) scaled to 1000 twips wide at x 1000:
    // black at 500 twips, white at 1500. Pad, reflect and repeat differ
    // beyond the square.
    const struct {
        int spread;
        QRgb atLeft;  // pixel 10 (210 twips): 0.29 before the square
        QRgb atRight; // pixel 95 (1910 twips): 0.41 into the next period
    } cases[] = {
        {0, qRgb(0, 0, 0), qRgb(255, 255, 255)},
        {1, qRgb(74, 74, 74), qRgb(150, 150, 150)},
        {2, qRgb(181, 181, 181), qRgb(105, 105, 105)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spread);
        swftest::Movie m;
        const double s = 1000.0 / 32768.0;
        m.tag(32, swftest::rectShape(1, 3,
                                     swftest::gradientFill(0x10, swftest::matrix(s, 0, 0, s, 1000, 1000),
                                                           {{0, 0, 0, 0, 255}, {255, 255, 255, 255, 255}}, c.spread),
                                     0, 0, 2000, 2000));
        m.tag(26, swftest::placeObject2(at(1, 1)));
        m.showFrame();
        const QImage img = render(m.finish());
        EXPECT_TRUE(near(img.pixel(50, 50), qRgb(128, 128, 128), 6));
        EXPECT_TRUE(near(img.pixel(10, 50), c.atLeft, 16));
        EXPECT_TRUE(near(img.pixel(95, 50), c.atRight, 16));
    }
}

TEST(SwfRenderMasks, ClipDepthShowsOnlyTheLayersAboveInsideTheMask)
{
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(0, 0, 0, 255, false), 0, 0, 1000, 2000)); // mask: left half
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 2000, 2000));
    m.tag(2, swftest::rectShape(3, 1, swftest::solidFill(0, 0, 255, 255, false), 0, 1500, 2000, 2000));
    Place mask = at(1, 1);
    mask.clipDepth = 2;
    m.tag(26, swftest::placeObject2(mask));
    m.tag(26, swftest::placeObject2(at(2, 2)));
    m.tag(26, swftest::placeObject2(at(3, 3))); // above the clip depth: not masked
    m.showFrame();
    const QImage img = render(m.finish());
    EXPECT_TRUE(near(img.pixel(25, 25), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(75, 25), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(img.pixel(75, 90), qRgb(0, 0, 255)));
    // The mask edge at x = 50 is antialiased, never a hard step of two pixels.
    EXPECT_TRUE(near(img.pixel(49, 25), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(50, 25), qRgb(255, 255, 255)));
}

TEST(SwfRenderMorph, RatioInterpolatesGeometryAndColour)
{
    // A red square 0..1000 morphs into a blue square 1000..2000.
    Bits b;
    b.u16(1);
    b.bytes(swftest::rect(0, 1000, 0, 1000));
    b.bytes(swftest::rect(1000, 2000, 0, 1000));
    Bits styles;
    styles.u8(1);
    styles.u8(0);
    for (int v : {255, 0, 0, 255, 0, 0, 255, 255})
        styles.u8(v);
    styles.u8(0); // no lines
    swftest::ShapeWriter start(1, 0);
    start.change(-1, 1, -1, true, 0, 0).line(1000, 0).line(0, 1000).line(-1000, 0).line(0, -1000);
    swftest::ShapeWriter end(0, 0);
    end.change(-1, -1, -1, true, 1000, 0).line(1000, 0).line(0, 1000).line(-1000, 0).line(0, -1000);
    const QByteArray startEdges = styles.data() + start.finish();
    b.u32(uint32_t(startEdges.size()));
    b.bytes(startEdges);
    b.bytes(end.finish());
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(46, b.data());
    Place p = at(1, 1);
    p.ratio = 32768;
    m.tag(26, swftest::placeObject2(p));
    m.showFrame();
    const QImage img = render(m.finish());
    // Halfway: the square spans 500..1500 twips in purple.
    EXPECT_TRUE(near(img.pixel(50, 25), qRgb(128, 0, 128), 2));
    EXPECT_TRUE(near(img.pixel(20, 25), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(img.pixel(80, 25), qRgb(255, 255, 255)));
}

TEST(SwfRenderFilters, BlurSpreadsAndDropShadowFallsBesideTheShape)
{
    Bits blur;
    blur.u8(1);
    blur.u8(1);
    blur.u32(20 << 16);
    blur.u32(20 << 16);
    blur.ub(1, 5);
    blur.ub(0, 3);
    const QImage blurred = render(squareWithFilters(blur.data()));
    EXPECT_LT(qRed(blurred.pixel(28, 50)), 250); // grey outside the edge at 30
    EXPECT_GT(qRed(blurred.pixel(32, 50)), 5);   // lighter just inside
    EXPECT_TRUE(near(blurred.pixel(50, 50), qRgb(0, 0, 0), 2));

    Bits shadow;
    shadow.u8(1);
    shadow.u8(0);
    for (int v : {255, 0, 0, 255})
        shadow.u8(v);
    shadow.u32(0);
    shadow.u32(0);
    shadow.u32(0); // angle 0: to the right
    shadow.u32(10 << 16);
    shadow.u16(256);
    shadow.flag(false);
    shadow.flag(false);
    shadow.flag(true);
    shadow.ub(1, 5);
    const QImage shadowed = render(squareWithFilters(shadow.data()));
    EXPECT_TRUE(near(shadowed.pixel(50, 50), qRgb(0, 0, 0)));
    EXPECT_TRUE(near(shadowed.pixel(75, 50), qRgb(255, 0, 0)));     // the shadow beside it
    EXPECT_TRUE(near(shadowed.pixel(50, 25), qRgb(255, 255, 255))); // nothing above
}

namespace {

// A straightforward box blur to compare with: every output pixel sums its
// window of `w` pixels, [x - w/2, x + w - 1 - w/2], directly (outside the
// image counts as transparent).
QImage referenceBlur(const QImage& in, int wx, int wy, int passes)
{
    QImage img = in.copy();
    // Box of w pixels centred on the pixel: weights doubled, 2 for whole
    // pixels, 1 for the half pixels at the ends of an even box.
    auto pass = [](const QImage& src, int w, bool horizontal) {
        QImage out(src.size(), src.format());
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x) {
                int sum[4] = {};
                for (int d = -(w / 2); d <= w / 2; ++d) {
                    const int sx = horizontal ? x + d : x, sy = horizontal ? y : y + d;
                    if (sx < 0 || sy < 0 || sx >= src.width() || sy >= src.height())
                        continue;
                    const int weight = w % 2 == 0 && std::abs(d) == w / 2 ? 1 : 2;
                    const QRgb p = src.pixel(sx, sy);
                    sum[0] += weight * qAlpha(p); sum[1] += weight * qRed(p); sum[2] += weight * qGreen(p);
                    sum[3] += weight * qBlue(p);
                }
                auto mean = [w](int twice) { return twice / (2 * w); }; // cut down to a whole level
                out.setPixel(x, y, qRgba(mean(sum[1]), mean(sum[2]), mean(sum[3]), mean(sum[0])));
            }
        return out;
    };
    for (int i = 0; i < passes; ++i) {
        if (wx > 1)
            img = pass(img, wx, true);
        if (wy > 1)
            img = pass(img, wy, false);
    }
    return img;
}

QImage blurTestPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    for (int y = h / 5; y < h * 4 / 5; ++y)
        for (int x = w / 6; x < w * 5 / 6; ++x) {
            const int a = (x * 7 + y * 3) % 2 ? 255 : 180;
            img.setPixel(x, y, qPremultiply(qRgba((x * 13) % 256, (y * 29) % 256, (x ^ y) % 256, a)));
        }
    return img;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int d = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            d = std::max({d, std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)),
                          std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return d;
}

} // namespace

TEST(SwfRenderFilters, BoxBlurAtFullSizeMatchesTheDirectSum)
{
    // Boxes are centred; an even one takes half of each end pixel.
    struct Case { int w, h, bx, by, passes; };
    for (const Case c : {Case{37, 23, 7, 11, 1}, Case{40, 40, 15, 0, 2}, Case{9, 31, 25, 24, 3}, Case{64, 17, 3, 41, 2},
                         Case{30, 30, 4, 6, 1}, Case{20, 20, 30, 2, 1}}) {
        const QImage in = blurTestPicture(c.w, c.h);
        QImage got = in.copy();
        boxBlur(got, c.bx, c.by, c.passes, 1);
        EXPECT_EQ(largestDifference(got, referenceBlur(in, c.bx, c.by, c.passes)), 0)
            << c.w << "x" << c.h << " box " << c.bx << "," << c.by << " passes " << c.passes;
    }
}

TEST(SwfRenderFilters, LargeBlursOnAShrunkCopyLookTheSame)
{
    // Radii the templates use at 1080p (backdrops 30 px, shadows 12 px),
    // on sizes that do not divide by the shrink factor.
    for (const int r : {12, 30, 45}) {
        const QImage in = blurTestPicture(301, 187);
        QImage fast = in.copy();
        boxBlur(fast, 2 * r + 1, 2 * r + 1, 2);
        const QImage exact = referenceBlur(in, 2 * r + 1, 2 * r + 1, 2);
        EXPECT_LE(largestDifference(fast, exact), 10) << "radius " << r;
        // The faded corners agree too.
        EXPECT_NEAR(qAlpha(fast.pixel(0, 0)), qAlpha(exact.pixel(0, 0)), 2) << "radius " << r;
    }
}

TEST(SwfRenderFilters, LargeShadowUnderAnOpaqueShapeMatchesTheFilteredLayer)
{
    // A black square with a wide red drop shadow, painted at the stage size
    // and four times it: the renderer draws such shadows straight onto the
    // target from a small copy; the result must match filtering a layer of
    // the square and laying it over the background.
    Filter f;
    f.type = FilterType::DropShadow;
    f.color = {255, 0, 0, 200};
    f.blurX = f.blurY = 24;
    f.angle = 0.5;
    f.distance = 10;
    f.strength = 1;
    f.passes = 2;
    f.compositeSource = true;

    Bits b;
    b.u8(1); // one filter: drop shadow
    b.u8(0);
    for (int v : {255, 0, 0, 200})
        b.u8(v);
    b.u32(24 << 16);
    b.u32(24 << 16);
    b.u32(uint32_t(0.5 * 65536));
    b.u32(10 << 16);
    b.u16(256);
    b.flag(false);
    b.flag(false);
    b.flag(true);
    b.ub(2, 5);
    const QByteArray file = squareWithFilters(b.data());
    for (const int scale : {1, 4}) {
        const int size = 100 * scale;
        const QImage got = render(file, QSize(size, size));
        QImage square(size, size, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        {
            QPainter p(&square);
            p.fillRect(QRect(30 * scale, 30 * scale, 40 * scale, 40 * scale), Qt::black);
        }
        applyFilter(square, f, scale);
        QImage want(size, size, QImage::Format_ARGB32_Premultiplied);
        want.fill(Qt::white);
        {
            QPainter p(&want);
            p.drawImage(0, 0, square);
        }
        EXPECT_LE(largestDifference(got.convertToFormat(QImage::Format_ARGB32_Premultiplied), want), 10)
            << "scale " << scale;
        // The shadow falls down and to the right, and not under the square.
        EXPECT_TRUE(near(got.pixel(50 * scale, 50 * scale), qRgb(0, 0, 0))) << "scale " << scale;
        EXPECT_GT(qRed(got.pixel(75 * scale, 62 * scale)) - qGreen(got.pixel(75 * scale, 62 * scale)), 60)
            << "scale " << scale;
        EXPECT_TRUE(near(got.pixel(15 * scale, 15 * scale), qRgb(255, 255, 255))) << "scale " << scale;
    }
}

TEST(SwfRenderMasks, AnOpaquePictureHidesWhatIsUnderItButNotPastItsMask)
{
    // Red stage-size rectangle at depth 1, a clip with a green picture
    // loaded over the whole stage at depth 3; in the second case a mask at
    // depth 2 (clip depth 3) shows the picture on the left half only, so the
    // red must stay on the right.
    QTemporaryDir tmp;
    QImage pic(100, 100, QImage::Format_RGB32);
    pic.fill(qRgb(0, 200, 0));
    ASSERT_TRUE(pic.save(tmp.path() + "/picture_1.rar", "PNG"));
    for (const bool masked : {false, true}) {
        swftest::Movie m;
        m.tag(9, QByteArray("\xff\xff\xff", 3));
        m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(0, 0, 0, 255, false), 0, 0, 1000, 2000));
        m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 2000, 2000));
        swftest::Movie empty;
        empty.showFrame();
        m.tag(39, swftest::defineSprite(10, empty));
        m.tag(26, swftest::placeObject2(at(1, 2)));
        if (masked) {
            Place mask = at(2, 1);
            mask.clipDepth = 3;
            m.tag(26, swftest::placeObject2(mask));
        }
        Place holder = at(3, 10);
        holder.name = "photo";
        m.tag(26, swftest::placeObject2(holder));
        m.showFrame();
        Player p;
        ASSERT_TRUE(p.loadData(m.finish(), tmp.path() + "/movie.swf"));
        p.stopPlaying();
        auto* photo = static_cast<Clip*>(p.root()->childByName("photo", false));
        ASSERT_TRUE(photo);
        photo->loadMovie("picture_1.rar");
        p.setFrameNum(1); // the load completes at the next tick
        const QImage img = p.paint(QSize(100, 100));
        EXPECT_TRUE(near(img.pixel(25, 50), qRgb(0, 200, 0), 6)) << "masked " << masked;
        EXPECT_TRUE(near(img.pixel(75, 50), masked ? qRgb(255, 0, 0) : qRgb(0, 200, 0), 6)) << "masked " << masked;
    }
}

TEST(SwfRenderSprites, NestedTimelinePlaysInsideItsParent)
{
    // Sprite 10 shows a red square in frame 1 and a blue one in frame 2.
    swftest::Movie inner;
    inner.tag(26, swftest::placeObject2(at(1, 1)));
    inner.showFrame();
    Place swap = at(1, 2);
    swap.move = true;
    inner.tag(26, swftest::placeObject2(swap));
    inner.showFrame();
    swftest::Movie m;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 1000, 1000));
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(0, 0, 255, 255, false), 0, 0, 1000, 1000));
    m.tag(39, swftest::defineSprite(10, inner));
    Place p = at(1, 10);
    p.hasMatrix = true;
    p.matrixBytes = swftest::matrix(1, 0, 0, 1, 1000, 1000);
    m.tag(26, swftest::placeObject2(p));
    m.showFrame();
    m.showFrame();
    const QByteArray file = m.finish();
    EXPECT_TRUE(near(renderFrames(file, 0).pixel(75, 75), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(renderFrames(file, 0).pixel(25, 25), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(renderFrames(file, 1).pixel(75, 75), qRgb(0, 0, 255)));
}

TEST(SwfRenderLines, WidthsCapsAndFillsOnLines)
{
    // A horizontal line 200 twips wide from x 500 to 1500 at y 1000, once with
    // round caps (LineStyle 1) and once with no caps and a gradient fill
    // (LineStyle 2). A hairline of width 0 still shows one pixel.
    auto movie = [](bool lineStyle2) {
        Bits b;
        b.u16(1);
        b.bytes(swftest::rect(0, 2000, 0, 2000));
        b.u8(0); // no fills
        Bits l;
        l.u8(2);
        if (!lineStyle2) {
            l.u16(200);
            for (int v : {0, 0, 255, 255})
                l.u8(v);
        } else {
            l.u16(200);
            l.ub(1, 2); // start cap: none
            l.ub(0, 2); // round join
            l.flag(true); // fill
            l.ub(0, 3);
            l.ub(0, 5);
            l.flag(false);
            l.ub(1, 2); // end cap: none
            l.bytes(swftest::gradientFill(0x10, swftest::matrix(1000 / 32768.0, 0, 0, 1, 1000, 0),
                                          {{0, 255, 0, 0, 255}, {255, 0, 255, 0, 255}}));
        }
        l.u16(0); // hairline
        for (int v : {0, 0, 0, 255})
            l.u8(v);
        b.bytes(l.data());
        swftest::ShapeWriter s(0, 2);
        s.change(-1, -1, 1, true, 500, 1000).line(1000, 0);
        s.change(-1, -1, 2, true, 500, 1500).line(1000, 0);
        b.bytes(s.finish());
        swftest::Movie m;
        m.tag(lineStyle2 ? 83 : 32, lineStyle2 ? [&] {
            // DefineShape4 adds edge bounds and a flags byte after the bounds.
            QByteArray body = b.data();
            const QByteArray bounds = swftest::rect(0, 2000, 0, 2000);
            body.insert(2 + bounds.size(), bounds + QByteArray(1, '\0'));
            return body;
        }() : b.data());
        Place p = at(1, 1);
        m.tag(26, swftest::placeObject2(p));
        m.showFrame();
        return m.finish();
    };
    const QImage round = render(movie(false));
    EXPECT_TRUE(near(round.pixel(50, 50), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(round.pixel(50, 57), qRgb(255, 255, 255))); // 10 px wide: 45..55
    EXPECT_TRUE(near(round.pixel(23, 50), qRgb(0, 0, 255), 40)); // the round cap reaches 20
    EXPECT_LT(qGray(round.pixel(50, 75)), 160);                   // the hairline
    const QImage flat = render(movie(true));
    EXPECT_TRUE(near(flat.pixel(23, 50), qRgb(255, 255, 255), 8)); // no cap
    EXPECT_GT(qRed(flat.pixel(27, 50)), 200);                      // gradient along the line
    EXPECT_GT(qGreen(flat.pixel(73, 50)), 200);
}

TEST(SwfRenderBitmaps, RepeatingFillsTileAndBlendModesCombine)
{
    // A 2 x 2 checker (red/blue) scaled to 10 px cells, repeated over 100 px.
    swftest::Movie m;
    m.tag(36, swftest::lossless2(3, 2, 2, {0xffff0000, 0xff0000ff, 0xff0000ff, 0xffff0000}));
    m.tag(32, swftest::rectShape(1, 3, swftest::bitmapFill(0x42, 3, swftest::matrix(200, 0, 0, 200, 0, 0)), 0, 0, 2000, 1000));
    // A grey square multiplied over the lower half.
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(128, 128, 128, 255, false), 0, 1000, 2000, 2000));
    m.tag(2, swftest::rectShape(4, 1, swftest::solidFill(0, 255, 0, 255, false), 0, 0, 2000, 2000));
    m.tag(26, swftest::placeObject2(at(1, 4)));
    m.tag(26, swftest::placeObject2(at(2, 1)));
    Bits b;
    b.u8(0x02);
    b.u8(0x02); // blend mode
    b.u16(3);
    b.u16(2);
    b.u8(3); // multiply
    m.tag(70, b.data());
    m.showFrame();
    const QImage img = render(m.finish());
    EXPECT_TRUE(near(img.pixel(5, 5), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(15, 5), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(img.pixel(85, 45), qRgb(255, 0, 0))); // tile (4, 2): red again
    EXPECT_TRUE(near(img.pixel(50, 75), qRgb(0, 128, 0), 3)); // green x grey
}

TEST(SwfRenderGradients, FocalRadialGradientIsBrightestAtTheFocus)
{
    swftest::Movie m;
    const double s = 1000 / 16384.0;
    m.tag(32, swftest::rectShape(1, 3,
                                 swftest::gradientFill(0x13, swftest::matrix(s, 0, 0, s, 1000, 1000),
                                                       {{0, 255, 255, 255, 255}, {255, 0, 0, 0, 255}}, 0, 0, 0.75),
                                 0, 0, 2000, 2000));
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    const QImage img = render(m.finish());
    // Focus at 0.75 of the radius to the right of the centre (x = 87.5 px).
    EXPECT_GT(qGray(img.pixel(86, 50)), 230);
    EXPECT_LT(qGray(img.pixel(50, 50)), qGray(img.pixel(75, 50)));
    EXPECT_LT(qGray(img.pixel(50, 10)), 80); // near the circle's edge above the centre
}

TEST(SwfRenderFilters, StageFillingBlurredPictureKeepsItsColourUpToTheEdge)
{
    // A red square reaching 100 px past the white stage, blurred by less
    // than that: the blur sees the whole square, so nothing of the stage
    // shows through along the edges.
    // Small blurs take the full-size layer, large ones the shrunk copy.
    for (int blurPx : {6, 16, 60}) {
        swftest::Movie m;
        m.tag(9, QByteArray("\xff\xff\xff", 3));
        m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), -2000, -2000, 4000, 4000));
        Bits blur;
        blur.u8(1);
        blur.u8(1);
        blur.u32(uint32_t(blurPx) << 16);
        blur.u32(uint32_t(blurPx) << 16);
        blur.ub(2, 5);
        blur.ub(0, 3);
        Bits b;
        b.u8(0x02 | 0x04);
        b.u8(0x01);
        b.u16(1);
        b.u16(1);
        b.bytes(swftest::matrix());
        b.bytes(blur.data());
        m.tag(70, b.data());
        m.showFrame();
        const QImage img = render(m.finish());
        for (QPoint p : {QPoint(0, 0), QPoint(0, 50), QPoint(99, 50), QPoint(50, 99), QPoint(3, 97)})
            EXPECT_TRUE(near(img.pixel(p), qRgb(255, 0, 0), 4)) << "blur " << blurPx << " at " << p.x() << "," << p.y();
    }
}

TEST(SwfRenderShapes, DefineShape4WindingFlagJoinsOverlappingContours)
{
    // Two overlapping clockwise squares with the same fill in one shape: the
    // overlap is a hole under the even-odd rule and filled under non-zero.
    for (bool nonZero : {false, true}) {
        Bits b;
        b.u16(1);
        b.bytes(swftest::rect(0, 2000, 0, 2000));
        b.bytes(swftest::rect(0, 2000, 0, 2000));
        b.u8(nonZero ? 0x04 : 0x00);
        b.bytes(swftest::fillArray({swftest::solidFill(0, 0, 255, 255, true)}));
        b.u8(0);
        swftest::ShapeWriter s(1, 0);
        s.change(-1, 1, -1, true, 0, 0).line(1200, 0).line(0, 1200).line(-1200, 0).line(0, -1200);
        s.change(-1, -1, -1, true, 800, 800).line(1200, 0).line(0, 1200).line(-1200, 0).line(0, -1200);
        b.bytes(s.finish());
        swftest::Movie m;
        m.tag(9, QByteArray("\xff\xff\xff", 3));
        m.tag(83, b.data());
        m.tag(26, swftest::placeObject2(at(1, 1)));
        m.showFrame();
        const QImage img = render(m.finish());
        EXPECT_TRUE(near(img.pixel(20, 20), qRgb(0, 0, 255)));
        EXPECT_TRUE(near(img.pixel(80, 80), qRgb(0, 0, 255)));
        EXPECT_TRUE(near(img.pixel(50, 50), nonZero ? qRgb(0, 0, 255) : qRgb(255, 255, 255))) << nonZero;
    }
}

namespace {
int painterWarnings = 0;
void countPainterWarnings(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (type == QtWarningMsg && msg.contains(QLatin1String("Painter")))
        ++painterWarnings;
}
} // namespace

TEST(SwfRenderBitmaps, SubtractAndInvertLeaveThePainterAsTheyFoundIt)
{
    // A subtract and an invert square over grey, then a plain red square:
    // the hand-made blends keep the painter's state for what follows.
    swftest::Movie m;
    m.tag(9, QByteArray("\x80\x80\x80", 3));
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(64, 32, 0, 255, false), 0, 0, 1000, 1000));
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(255, 255, 255, 255, false), 1000, 0, 2000, 1000));
    m.tag(2, swftest::rectShape(3, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 1000, 2000, 2000));
    const std::pair<int, int> blends[] = {{1, 9}, {2, 10}}; // subtract, invert
    for (auto [id, mode] : blends) {
        Bits b;
        b.u8(0x02);
        b.u8(0x02); // blend mode
        b.u16(uint16_t(id));
        b.u16(uint16_t(id));
        b.u8(uint8_t(mode));
        m.tag(70, b.data());
    }
    m.tag(26, swftest::placeObject2(at(3, 3)));
    m.showFrame();
    painterWarnings = 0;
    const QtMessageHandler old = qInstallMessageHandler(countPainterWarnings);
    const QImage img = render(m.finish());
    qInstallMessageHandler(old);
    EXPECT_EQ(painterWarnings, 0);
    EXPECT_TRUE(near(img.pixel(25, 25), qRgb(64, 96, 128), 2));   // grey minus the square
    EXPECT_TRUE(near(img.pixel(75, 25), qRgb(127, 127, 127), 2)); // grey inverted
    EXPECT_TRUE(near(img.pixel(50, 75), qRgb(255, 0, 0)));
}
