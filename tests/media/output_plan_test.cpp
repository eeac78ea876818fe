#include "media/output_plan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fotarel::media::detail {
namespace {

// An hour of album at NTSC: every output frame starts within the album
// frame it shows, and the end stays within one frame of the album's time.
TEST(OutputPlan, NtscKeepsAlbumTimeOverAnHour)
{
    const AVRational ntsc{30000, 1001};
    std::int64_t previous = 0;
    for (std::int64_t input = 1; input <= 25 * 3600; ++input) {
        const std::int64_t through = outputFramesThrough(input, ntsc, true);
        ASSERT_GE(through, previous);
        // Output frame j = through - 1 (the last one shown for this input
        // frame) starts before the input frame ends ...
        if (through > previous) {
            ASSERT_LT(double(through - 1) * 1001 / 30000, double(input) / 25 + 1e-9) << input;
            // ... and after it began.
            ASSERT_GE(double(through - 1) * 1001 / 30000, double(input - 1) / 25 - 1e-9) << input;
        }
        previous = through;
    }
    const double outputSeconds = double(previous) * 1001 / 30000;
    EXPECT_NEAR(outputSeconds, 3600.0, 1001.0 / 30000);
    EXPECT_EQ(outputFramesThrough(25 * 3600, AVRational{25, 1}, true), 25 * 3600);
    EXPECT_EQ(outputFramesThrough(25 * 3600, ntsc, false), 25 * 3600);
}

TEST(OutputPlan, ImageSequenceNames)
{
    struct Case {
        const char* path;
        bool sequence;
        const char* fifth;   // name of image number first + 4 ...
        int last;            // ... when the last number is this
    };
    const Case cases[] = {
        {"/albums/我的 相册/01.JPG", true, "/albums/我的 相册/05.JPG", 99},
        {"/albums/a/01.JPG", true, "/albums/a/005.JPG", 100},
        {"/albums/a/001.bmp", true, "/albums/a/005.bmp", 12},
        {"/albums/a/7.tga", true, "/albums/a/11.tga", 11},
        {"01.PCX", true, "05.PCX", 9},
        {"/albums/a/01.GIF", false, "", 0},
        {"/albums/a/album.jpg", false, "", 0},
        {"/albums/a/01.mpg", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::optional<ImageSequenceName> name = parseImageSequenceName(c.path);
        ASSERT_EQ(name.has_value(), c.sequence);
        if (name) {
            EXPECT_EQ(imageFileName(*name, name->firstNumber + 4, c.last), c.fifth);
        }
    }
}

// The quality setting governs the video rate: high is twice normal, and
// bigger frames get more bits.
TEST(OutputPlan, QualityAndSizeGovernTheBitRate)
{
    for (const Preset preset : {Preset::Vcd, Preset::Svcd, Preset::Dvd, Preset::Avi}) {
        OutputPlan normal;
        OutputPlan high;
        OutputPlan small;
        ASSERT_EQ(makePlan(preset, Standard::Pal, Quality::Normal, 1920, 1080, 0, 0, 0, "a.mpg", normal), "");
        ASSERT_EQ(makePlan(preset, Standard::Pal, Quality::High, 1920, 1080, 0, 0, 0, "a.mpg", high), "");
        ASSERT_EQ(makePlan(preset, Standard::Pal, Quality::Normal, 1280, 720, 0, 0, 0, "a.mpg", small), "");
        EXPECT_EQ(high.videoBitRate, 2 * normal.videoBitRate);
        EXPECT_GT(normal.videoBitRate, small.videoBitRate);
    }
    OutputPlan limited;
    ASSERT_EQ(makePlan(Preset::Dvd, Standard::Pal, Quality::High, 1920, 1080, 0, 2500, 9000, "a.mpg", limited), "");
    EXPECT_EQ(limited.videoBitRate, 9000000);
    OutputPlan odd;
    EXPECT_NE(makePlan(Preset::Dvd, Standard::Pal, Quality::High, 721, 576, 0, 0, 0, "a.mpg", odd), "");
}

} // namespace
} // namespace fotarel::media::detail
