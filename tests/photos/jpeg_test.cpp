// Reading JPEG headers and orientation tags, decoding upright, bad files.
#include "photos/jpeg_codec.h"
#include "photos/measure.h"
#include "photos/thumbnails.h"
#include "tests/photos/jpeg_fixtures.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

QStringList corners(const QImage& image)
{
    const int r = image.width() - 3, b = image.height() - 3;
    return {colourName(image.pixel(2, 2)), colourName(image.pixel(r, 2)), colourName(image.pixel(2, b))};
}

// Sets the size a JPEG's SOF segment claims.
QByteArray withClaimedSize(QByteArray jpeg, int w, int h)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const auto m = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
            jpeg[i + 5] = char(h >> 8);
            jpeg[i + 6] = char(h & 0xFF);
            jpeg[i + 7] = char(w >> 8);
            jpeg[i + 8] = char(w & 0xFF);
            return jpeg;
        }
    }
    return jpeg;
}

} // namespace

// Stored 40 x 30: red, green / blue, yellow. Each EXIF orientation must come
// out upright, with the orientation rule following the upright picture.
TEST(JpegOrientation, EveryExifOrientationComesOutUpright)
{
    struct Case {
        int orientation;
        QStringList corners; // top-left, top-right, bottom-left of the upright picture
    };
    const Case cases[] = {
        {1, {"red", "green", "blue"}},    {2, {"green", "red", "yellow"}}, {3, {"yellow", "blue", "green"}},
        {4, {"blue", "yellow", "red"}},   {5, {"red", "blue", "green"}},   {6, {"blue", "red", "yellow"}},
        {7, {"yellow", "green", "blue"}}, {8, {"green", "yellow", "red"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        const QByteArray jpeg = jpegOf(quadrants(40, 30), {c.orientation});
        const JpegProbe probe = probeJpeg(jpeg);
        ASSERT_TRUE(probe.ok);
        EXPECT_EQ(probe.info.orientation, c.orientation);
        const bool turned = c.orientation >= 5;
        const Measurement m = measurePhoto(probe.info, QSize(1920, 1080));
        EXPECT_EQ(m.orientation, turned ? "shu_zhao" : "heng_zhao");
        EXPECT_EQ(QSize(m.width, m.height), turned ? QSize(30, 40) : QSize(40, 30));
        const DecodedPicture d = decodeUpright(jpeg, probe.info, probe.info.upright());
        ASSERT_FALSE(d.image.isNull());
        EXPECT_EQ(d.image.size(), turned ? QSize(30, 40) : QSize(40, 30));
        EXPECT_EQ(corners(d.image), c.corners);
    }
}

TEST(JpegOrientation, MeasurementFollowsTheStoredSizeForPlainPhotos)
{
    struct Case {
        int w, h;
        const char* orientation;
        int cellW, cellH;
    };
    for (const Case& c : {Case{4000, 3000, "heng_zhao", 4000, 3000}, Case{3000, 4000, "shu_zhao", 3000, 4000},
                          Case{500, 500, "heng_zhao", 500, 500}}) {
        const Measurement m = measurePhoto(JpegInfo{c.w, c.h, 1}, QSize(1920, 1080));
        EXPECT_EQ(m.orientation, c.orientation) << c.w << "x" << c.h;
        EXPECT_EQ(m.width, c.cellW);
        EXPECT_EQ(m.height, c.cellH);
    }
    // Stored 4000 x 3000 but rendered portrait: the numbers swap.
    const Measurement turned = measurePhoto(JpegInfo{4000, 3000, 6}, QSize(1920, 1080));
    EXPECT_EQ(turned.orientation, "shu_zhao");
    EXPECT_EQ(turned.width, 3000);
    EXPECT_EQ(turned.height, 4000);
}

TEST(JpegDecode, ProgressiveGreyAndCmykFilesDecodeAtReducedScale)
{
    struct Case {
        const char* what;
        JpegOptions options;
        bool colours;
    };
    const Case cases[] = {{"progressive", {0, true, false, false, 95}, true},
                          {"cmyk", {0, false, true, false, 95}, true},
                          {"grey", {0, false, false, true, 95}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray jpeg = jpegOf(quadrants(640, 480), c.options);
        const JpegProbe probe = probeJpeg(jpeg);
        ASSERT_TRUE(probe.ok);
        const DecodedPicture d = decodeUpright(jpeg, probe.info, QSize(150, 112));
        ASSERT_FALSE(d.image.isNull()) << d.reason.toStdString();
        EXPECT_EQ(d.image.size(), QSize(150, 112));
        if (c.colours) {
            EXPECT_EQ(corners(d.image), (QStringList{"red", "green", "blue"}));
        }
        // The reduced decode covers the wanted size: 640 / 4 = 160 >= 150.
        const DecodedPicture reduced = decodeReduced(jpeg, probe.info, QSize(150, 112));
        EXPECT_EQ(reduced.image.size(), QSize(160, 120));
    }
}

TEST(JpegDecode, BadFilesAreRefusedWithAReason)
{
    const QByteArray good = jpegOf(quadrants(64, 48));
    struct Case {
        const char* what;
        QByteArray bytes;
        bool headerOk; // the header reads, the data do not
        QString reason;
    };
    const Case cases[] = {
        {"empty", QByteArray(), false, "文件为空"},
        {"text named .jpg", QByteArray("this is not a picture at all"), false, "不是有效的JPEG文件"},
        {"truncated", jpegOf(quadrants(400, 300)).left(700), true, "文件不完整或已损坏"},
        {"65535 x 65535", withClaimedSize(good, 65535, 65535), false, "图像尺寸过大（65535 × 65535）"},
        {"bomb", withClaimedSize(good, 9000, 9000), false, "图像尺寸过大（9000 × 9000）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const JpegProbe probe = probeJpeg(c.bytes);
        if (!c.headerOk) {
            EXPECT_FALSE(probe.ok);
            EXPECT_EQ(probe.reason, c.reason);
            continue;
        }
        ASSERT_TRUE(probe.ok);
        const DecodedPicture d = decodeUpright(c.bytes, probe.info, QSize(32, 24));
        EXPECT_TRUE(d.image.isNull());
        EXPECT_EQ(d.reason, c.reason);
    }
}

TEST(JpegOrientation, MalformedExifFallsBackToUpright)
{
    QByteArray jpeg = jpegOf(quadrants(16, 16), {6});
    // The IFD offset points far beyond the segment.
    const qsizetype tiff = jpeg.indexOf("MM");
    jpeg[tiff + 7] = char(0x7F);
    EXPECT_EQ(readExifOrientation(reinterpret_cast<const unsigned char*>(jpeg.constData()), size_t(jpeg.size())), 1);
    // A segment length running past the end of the file.
    QByteArray cut = jpegOf(quadrants(16, 16), {6}).left(12);
    EXPECT_EQ(readExifOrientation(reinterpret_cast<const unsigned char*>(cut.constData()), size_t(cut.size())), 1);
}

TEST(Thumbnail, PhotosRenderIntoABoxByWidthOrHeight)
{
    fotarel::test::TempTree tree;
    struct Case {
        QSize photo;
        int orientation;
        QSize box;
        QSize expected;
    };
    const Case cases[] = {{{400, 300}, 1, {200, 100}, {133, 100}}, // landscape by width, then reduced to the height
                          {{400, 300}, 1, {200, 200}, {200, 150}},
                          {{300, 400}, 1, {200, 200}, {150, 200}},
                          {{400, 300}, 6, {200, 200}, {150, 200}}}; // upright portrait
    for (const Case& c : cases) {
        const QString path = tree.write("p.jpg", jpegOf(quadrants(c.photo.width(), c.photo.height()), {c.orientation}));
        EXPECT_EQ(renderPhotoInBox(path, c.box).size(), c.expected);
    }
    EXPECT_TRUE(renderPhotoInBox(tree.write("bad.jpg", "no"), QSize(100, 100)).isNull());
}

TEST(Thumbnail, A4By3PhotoGivesA158By120PanelWithBevel)
{
    const QByteArray jpeg = jpegOf(quadrants(400, 300));
    const JpegProbe probe = probeJpeg(jpeg);
    const Thumbnail t = renderThumbnail(jpeg, probe.info, QSize(400, 300), QSize(150, 150));
    ASSERT_FALSE(t.panel.isNull());
    EXPECT_EQ(t.panel.size(), QSize(158, 120));
    EXPECT_EQ(colourName(t.panel.pixel(2, 2)), "white");    // the panel around the photo
    EXPECT_EQ(colourName(t.panel.pixel(6, 6)), "red");      // the photo at (4, 4)
    EXPECT_EQ(colourName(t.panel.pixel(150, 110)), "yellow");
    EXPECT_EQ(t.panel.pixel(157, 119), qRgb(128, 128, 128)); // raised bevel: dark bottom-right edge
    EXPECT_EQ(t.panel.pixel(0, 0), qRgb(255, 255, 255));
}
