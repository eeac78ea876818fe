// The crop geometry, checked on real decoded pixels: which part of the photo
// a picture shows and where black bands appear.
#include "photos/crop.h"
#include "photos/jpeg_codec.h"
#include "tests/photos/jpeg_fixtures.h"

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

struct Probe {
    int x, y;
    const char* colour;
};

struct CropCase {
    const char* what;
    QSize photo;      // stored size of the fixture
    QPoint split;     // where its colour quadrants meet
    QSize slot;       // 0 x 0: full frame
    CropChoices choices;
    QSize scaled;     // expected
    QSize canvas;     // expected
    std::vector<Probe> probes;
};

const CropChoices kFullScreenZoom{true, true};
const CropChoices kDefaults{false, false};

} // namespace

TEST(Crop, EachSlotKindShowsTheRightPartOfThePhoto)
{
    // Photo sizes keep the ratios of 4000 x 3000, 4000 x 3600, 6000 x 2000
    // and 3000 x 4000 at a tenth or less, so the integer results match.
    const CropCase cases[] = {
        {"slot, whole photo", {800, 600}, {400, 300}, {400, 300}, kFullScreenZoom, {400, 300}, {400, 300},
         {{5, 5, "red"}, {395, 5, "green"}, {5, 295, "blue"}, {395, 295, "yellow"}}},
        // 333 < 400, so 400 x 360; the bottom 60 rows are cut: the lower
        // colours start at photo row 600 of 720, i.e. canvas row 300.
        {"slot, taller photo", {800, 720}, {400, 600}, {400, 300}, kFullScreenZoom, {400, 360}, {400, 300},
         {{5, 290, "red"}, {395, 290, "green"}}},
        // 900 x 300, the left 400 columns: the right colours start at 400.
        {"slot, flat photo", {1200, 400}, {533, 200}, {400, 300}, kFullScreenZoom, {900, 300}, {400, 300},
         {{390, 5, "red"}, {390, 295, "blue"}}},
        // Portrait 400 x 533, the top 300 rows.
        {"slot, portrait", {600, 800}, {300, 450}, {400, 300}, kFullScreenZoom, {400, 533}, {400, 300},
         {{5, 290, "red"}, {395, 290, "green"}}},
        {"full frame, landscape, full screen", {400, 300}, {200, 225}, {0, 0}, kFullScreenZoom, {1920, 1440},
         {1920, 1080}, {{5, 1060, "red"}, {1915, 1060, "green"}}},
        // 1920 x 640 and black rows 640 .. 1079.
        {"full frame, flat landscape, full screen", {600, 200}, {300, 100}, {0, 0}, kFullScreenZoom, {1920, 640},
         {1920, 1080}, {{5, 620, "blue"}, {1915, 620, "yellow"}, {5, 660, "black"}, {1915, 1075, "black"}}},
        {"full frame, landscape, template default", {400, 300}, {200, 150}, {0, 0}, kDefaults, {1440, 1080},
         {1440, 1080}, {{5, 5, "red"}, {1435, 1075, "yellow"}}},
        {"full frame, portrait, template default", {300, 400}, {150, 200}, {0, 0}, kDefaults, {810, 1080},
         {810, 1080}, {{5, 5, "red"}, {805, 1075, "yellow"}}},
        // 1080 x 1440, the top 1080 rows: photo row 300 of 400 is the edge.
        {"full frame, portrait, partial zoom", {300, 400}, {150, 300}, {0, 0}, kFullScreenZoom, {1080, 1440},
         {1080, 1080}, {{5, 1060, "red"}, {1075, 1060, "green"}}},
        {"full frame, square follows landscape", {300, 300}, {150, 150}, {0, 0}, kFullScreenZoom, {1920, 1920},
         {1920, 1080}, {{5, 5, "red"}, {1915, 5, "green"}, {1915, 1075, "yellow"}}},
        {"slot with one side 0 counts as full frame", {400, 300}, {200, 225}, {0, 300}, kFullScreenZoom,
         {1920, 1440}, {1920, 1080}, {{5, 1060, "red"}}},
    };
    for (const CropCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray jpeg =
            jpegOf(quadrants(c.photo.width(), c.photo.height(), c.split.x(), c.split.y()));
        const JpegProbe probe = probeJpeg(jpeg);
        ASSERT_TRUE(probe.ok);
        const CropGeometry g =
            cropGeometry(c.photo.width(), c.photo.height(), c.slot.width(), c.slot.height(), c.choices);
        EXPECT_EQ(g.scaled, c.scaled);
        EXPECT_EQ(g.canvas, c.canvas);
        const CroppedPicture picture = renderCrop(jpeg, probe.info, g);
        ASSERT_FALSE(picture.canvas.isNull()) << picture.reason.toStdString();
        // Through the quality-90 encoder and back, as the template reads it.
        const QByteArray encoded = encodeJpeg(picture.canvas, 90);
        const JpegProbe back = probeJpeg(encoded);
        ASSERT_TRUE(back.ok);
        const QImage decoded = decodeUpright(encoded, back.info, back.info.upright()).image;
        EXPECT_EQ(decoded.size(), c.canvas);
        for (const Probe& p : c.probes)
            EXPECT_EQ(colourName(decoded.pixel(p.x, p.y)), p.colour) << "at " << p.x << "," << p.y;
    }
}

TEST(Crop, RefillUsesTheTemplateDefaultForFullFrameSlots)
{
    EXPECT_EQ(cropGeometry(4000, 3000, 0, 0, kFullScreenZoom, true).canvas, QSize(1440, 1080));
    EXPECT_EQ(cropGeometry(3000, 4000, 0, 0, kFullScreenZoom, true).canvas, QSize(810, 1080));
    EXPECT_EQ(cropGeometry(6000, 2000, 0, 0, kFullScreenZoom, true).canvas, QSize(1920, 640));
    // Sized slots are cropped as always.
    EXPECT_EQ(cropGeometry(4000, 3600, 400, 300, kDefaults, true).scaled, QSize(400, 360));
}

TEST(Crop, ChoicesComeFromTheSettingsRadioButtonsWhenPresent)
{
    Session session;
    EXPECT_TRUE(cropChoicesFrom(session).landscapeFullScreen);
    EXPECT_TRUE(cropChoicesFrom(session).portraitPartialZoom);
    // As the "其它设置" window leaves them when both "template" choices are picked.
    session.set("TForm17.suiRadioButton_hengzhaopian_quanping", "False");
    session.set("TForm17.suiRadioButton_hengzhaopian_moren", "True");
    session.set("TForm17.suiRadioButton_shuzhaopian_jubufangda", "False");
    session.set("TForm17.suiRadioButton_shuzhaopian_moren", "True");
    EXPECT_FALSE(cropChoicesFrom(session).landscapeFullScreen);
    EXPECT_FALSE(cropChoicesFrom(session).portraitPartialZoom);
}

TEST(Crop, AbsurdSlotSizesAreRefusedWithoutAllocating)
{
    const QByteArray jpeg = jpegOf(quadrants(40, 30));
    const JpegProbe probe = probeJpeg(jpeg);
    const CroppedPicture p = renderCrop(jpeg, probe.info, cropGeometry(40, 30, 100000, 100000, kDefaults));
    EXPECT_TRUE(p.canvas.isNull());
    EXPECT_FALSE(p.reason.isEmpty());
}
