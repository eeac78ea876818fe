// Work kept between frames: halved copies of pictures drawn small (the
// averaging, odd sizes, the level chosen for a transform, reuse of the
// copies) and blurred shadows of sources that did not change.
#include "swf/filters.h"
#include "swf/render_cache.h"
#include "swf/renderer.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;

TEST(ImageLevels, HalvingAveragesEachChannelOfTwoByTwoAndKeepsOddEdges)
{
    QImage img(3, 3, QImage::Format_ARGB32_Premultiplied);
    img.fill(0);
    img.setPixel(0, 0, qRgba(255, 0, 8, 255));
    img.setPixel(1, 0, qRgba(1, 0, 0, 255));
    img.setPixel(0, 1, qRgba(0, 0, 0, 0));
    img.setPixel(1, 1, qRgba(0, 200, 0, 1));
    img.setPixel(2, 0, qRgba(40, 30, 20, 100));
    img.setPixel(2, 2, qRgba(9, 9, 9, 9));
    const QImage h = halved(img);
    ASSERT_EQ(h.size(), QSize(2, 2));
    EXPECT_EQ(h.format(), img.format());
    // (255+1+0+0+2)/4 = 64, (0+0+0+200+2)/4 = 50, (8+2)/4 = 2, (255+255+0+1+2)/4 = 128
    EXPECT_EQ(h.pixel(0, 0), qRgba(64, 50, 2, 128));
    EXPECT_EQ(h.pixel(1, 0), qRgba(20, 15, 10, 50)); // the last column with the empty pixel below it
    EXPECT_EQ(h.pixel(1, 1), qRgba(9, 9, 9, 9));     // the corner alone
    EXPECT_EQ(h.pixel(0, 1), 0u);
}

TEST(ImageLevels, LevelKeepsTheDrawnSizeAtLeastHalfOfTheCopy)
{
    const QImage img(1600, 1200, QImage::Format_RGB32);
    struct Case {
        QTransform t;
        int level;
    } cases[] = {
        {QTransform::fromScale(1, 1), 0},     {QTransform::fromScale(0.51, 0.51), 0},
        {QTransform::fromScale(0.5, 0.5), 1}, {QTransform::fromScale(0.2, 0.2), 2},
        {QTransform::fromScale(0.1, 0.6), 0}, // the larger axis decides
        {QTransform().rotate(90).scale(0.12, 0.12), 3},
        {QTransform::fromScale(1e-6, 1e-6), 5}, // capped
        {QTransform::fromScale(0, 0), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageLevels::levelFor(img, c.t), c.level) << c.t.m11() << " " << c.t.m22();
    EXPECT_EQ(ImageLevels::levelFor(QImage(6, 6, QImage::Format_RGB32), QTransform::fromScale(0.01, 0.01)), 1);
}

TEST(ImageLevels, CopiesAreMadeOnceAndConvertedToA32BitFormat)
{
    QImage img(64, 32, QImage::Format_RGB888);
    img.fill(QColor(10, 20, 30));
    ImageLevels levels;
    const QImage two = levels.level(img, 2);
    EXPECT_EQ(two.size(), QSize(16, 8));
    EXPECT_EQ(two.format(), QImage::Format_RGB32);
    EXPECT_EQ(two.pixel(3, 3), qRgb(10, 20, 30));
    EXPECT_EQ(levels.level(img, 2).cacheKey(), two.cacheKey());
    EXPECT_EQ(levels.level(img, 1).size(), QSize(32, 16));
}

TEST(ShadowKept, AShadowIsReusedOnlyForTheSameSourceAndBlur)
{
    // Two sources of one size: an opaque square at two places.
    auto source = [](int at) {
        QImage small(24, 24, QImage::Format_ARGB32_Premultiplied);
        small.fill(Qt::transparent);
        for (int y = at; y < at + 8; ++y)
            for (int x = at; x < at + 8; ++x)
                small.setPixel(x, y, qRgba(0, 0, 0, 255));
        return small;
    };
    Filter f;
    f.type = FilterType::DropShadow;
    f.color = Rgba{0, 0, 0, 255};
    f.blurX = f.blurY = 6;
    auto shadow = [&](const QImage& small, double blur) {
        Filter g = f;
        g.blurX = g.blurY = blur;
        QImage target(96, 96, QImage::Format_RGB32);
        target.fill(Qt::white);
        drawShadowOnto(target, target.rect(), small, QPoint(0, 0), 4, g, 1.0, QPoint(6, 6));
        return target;
    };
    const QImage a = shadow(source(4), 6), b = shadow(source(12), 6), c = shadow(source(4), 12);
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    // Asked again in another order, each is what it was the first time.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(shadow(source(12), 6), b);
        EXPECT_EQ(shadow(source(4), 12), c);
        EXPECT_EQ(shadow(source(4), 6), a);
    }
}
