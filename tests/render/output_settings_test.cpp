#include "render/encoder_binding.h"
#include "render/output_settings.h"
#include "tests/audio/qt_print.h"
#include "audio/audio_names.h"

#include <gtest/gtest.h>

namespace fotarel::settings {
namespace {

TEST(OutputSettings, FreshSessionRendersDvdQualityFollowingThePhotos)
{
    const Session session;
    EXPECT_EQ(session.get(vars::OutputType), "DVD");
    EXPECT_EQ(session.get(vars::TvStandard), "PAL");
    EXPECT_EQ(session.get(vars::Quality), "gaoqing_huazhi");
    EXPECT_EQ(session.get(vars::LengthRule), "sui_zhaopian_tongbu");
    EXPECT_EQ(albumLengthFlags(session), AlbumLengthFlags{});
    EXPECT_TRUE(albumLengthFlags(session).followPhotos);
    EXPECT_EQ(landscapeCrop(session), LandscapeCrop::FullScreen);
    EXPECT_EQ(portraitCrop(session), PortraitCrop::PartialZoom);
    EXPECT_EQ(session.get(vars::ShownSize), "1920 × 1080");
    EXPECT_EQ(session.get(vars::ShownType), "DVD");
    EXPECT_EQ(statusLines(session), (QStringList{"相片数量:0", "音乐数量:0", "歌词数量:0", "文字特效:0", "画面特效:0",
                                                 "画面质量:高清画质", "电视制式:PAL制式", "相册长度:相片为准"}));
}

TEST(OutputSettings, SizeListsPerOutputType)
{
    struct Case {
        const char* type;
        int entries;
        const char* defaultText;
        int dialogWidth;
    };
    // The disc types end with their disc-standard entry; the default stays
    // the largest size.
    const Case cases[] = {
        {"VCD", 6, "1280 × 720", 660},  {"SVCD", 9, "1920 × 1080", 660}, {"DVD", 9, "1920 × 1080", 660},
        {"AVI", 8, "1920 × 1080", 660}, {"XLTP", 8, "1920 × 1080", 730},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const QString type = QString::fromLatin1(c.type);
        const QStringList texts = sizeListTexts(type);
        ASSERT_EQ(texts.size(), c.entries);
        EXPECT_EQ(texts.first(), "320 × 176");
        EXPECT_EQ(texts.at(defaultSizeIndex(type)), QString::fromUtf8(c.defaultText));
        EXPECT_EQ(outputSizeDialogWidth(type), c.dialogWidth);
        EXPECT_EQ(outputSizeDialogHasFormats(type), type == kImageSequence);
    }
    EXPECT_EQ(sizeListTexts(kDvd).at(5), "1440 × 816");
    EXPECT_EQ(sizeListTexts(kVcd).at(2), "640 × 368");
}

TEST(OutputSettings, DiscEntriesGiveTheDiscStandardForTheTvStandard)
{
    struct Case {
        const char* type;
        const char* standard;
        const char* entry;
        QSize frame;
    };
    const Case cases[] = {
        {"VCD", "PAL", "352 × 288 (VCD光盘标准)", {352, 288}},   {"VCD", "NTSC", "352 × 240 (VCD光盘标准)", {352, 240}},
        {"SVCD", "PAL", "480 × 576 (SVCD光盘标准)", {480, 576}}, {"SVCD", "NTSC", "480 × 480 (SVCD光盘标准)", {480, 480}},
        {"DVD", "PAL", "720 × 576 (DVD光盘标准)", {720, 576}},   {"DVD", "NTSC", "720 × 480 (DVD光盘标准)", {720, 480}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.standard);
        Session session;
        setTvStandard(session, c.standard);
        session.set(vars::OutputType, c.type);
        prepareOutputSize(session, c.type);
        EXPECT_FALSE(fotarel::render::encoderSettings(session).disc) << "the default is no disc stream";
        const QStringList texts = sizeListTexts(c.type, c.standard);
        EXPECT_EQ(texts.last(), QString::fromUtf8(c.entry));
        chooseOutputSize(session, int(texts.size()) - 1);
        EXPECT_EQ(session.get(vars::ShownSize), QString::fromUtf8(c.entry));
        EXPECT_TRUE(discSizeChosen(session));
        const fotarel::render::EncoderSettings encoder = fotarel::render::encoderSettings(session);
        EXPECT_TRUE(encoder.disc);
        EXPECT_EQ(encoder.frameSize, c.frame);
        // Painted at the album's 16:9 shape; the library fits it in.
        EXPECT_EQ(fotarel::render::paintSize(session).height(), c.frame.height());
        // The other standard chosen afterwards: its own disc size.
        setTvStandard(session, QString(c.standard) == "PAL" ? "NTSC" : "PAL");
        EXPECT_TRUE(fotarel::render::encoderSettings(session).disc);
        EXPECT_NE(fotarel::render::encoderSettings(session).frameSize, c.frame);
    }
    // AVI and image sequences have no disc entry.
    EXPECT_FALSE(discSize(kAvi, kPal));
    EXPECT_FALSE(discSize(kImageSequence, kPal));
}

TEST(OutputSettings, OutputSizeDialogFields)
{
    Session session;
    session.set(vars::OutputType, kVcd);
    session.set(vars::Cancelled, kCancelledWord);
    EXPECT_EQ(prepareOutputSize(session, kVcd), 4);
    EXPECT_EQ(session.get(vars::ShownSize), "1280 × 720");
    EXPECT_EQ(session.get(vars::Width), "1280");
    EXPECT_EQ(session.get(vars::Height), "720");
    EXPECT_EQ(session.get(vars::ShownType), "VCD");
    EXPECT_FALSE(outputSizeCancelled(session));

    chooseOutputSize(session, 1);
    EXPECT_EQ(session.get(vars::ShownSize), "464 × 256");
    EXPECT_EQ(session.get(vars::Width), "464");
    EXPECT_EQ(session.get(vars::Height), "256");
    EXPECT_EQ(session.get(vars::ShownType), "VCD");
    chooseOutputSize(session, 7); // not in the VCD list: nothing changes
    EXPECT_EQ(session.get(vars::Width), "464");
    EXPECT_EQ(chooseDefaultOutputSize(session), 4);
    EXPECT_EQ(session.get(vars::ShownSize), "1280 × 720");

    // Image sequence: the format shows in the type field and returns to JPG
    // when a size or "默认" is chosen.
    session.set(vars::OutputType, kImageSequence);
    prepareOutputSize(session, kImageSequence);
    EXPECT_EQ(session.get(vars::ShownType), "JPG");
    EXPECT_EQ(session.get(vars::Width), "1920");
    chooseImageFormat(session, "TGA");
    EXPECT_EQ(session.get(vars::ShownType), "TGA");
    EXPECT_EQ(session.get(vars::ImageFormat), "TGA");
    chooseOutputSize(session, 5);
    EXPECT_EQ(session.get(vars::ShownSize), "1440 × 816");
    EXPECT_EQ(session.get(vars::ImageFormat), "JPG");
    chooseImageFormat(session, "PCX");
    chooseDefaultOutputSize(session);
    EXPECT_EQ(session.get(vars::ShownType), "JPG");
    EXPECT_EQ(session.get(vars::Height), "1080");

    cancelOutputSize(session);
    EXPECT_TRUE(outputSizeCancelled(session));
    EXPECT_EQ(session.get(vars::OutputType), kImageSequence);
}

TEST(OutputSettings, OnlyTheWizardsDvdStepIsTakenByTheSizeWindow)
{
    Session session;
    for (const char* step : {"", "xiangce_xiangdao_tianjiaxiangpian", "xiangce_xiangdao_tianjiayinyue"}) {
        session.set(vars::WizardStep, QString::fromLatin1(step));
        EXPECT_FALSE(takeWizardDvdStep(session));
        EXPECT_EQ(session.get(vars::WizardStep), QString::fromLatin1(step));
    }
    session.set(vars::WizardStep, kWizardMakeDvd);
    EXPECT_TRUE(takeWizardDvdStep(session));
    EXPECT_EQ(session.get(vars::WizardStep), "");
    EXPECT_FALSE(takeWizardDvdStep(session));
}

TEST(OutputSettings, OtherSettingsChangeOnlyTheirOwnChoice)
{
    Session session;
    setTvStandard(session, kNtsc);
    setPictureQuality(session, kNormalQuality);
    setTvStandard(session, "SECAM"); // not a choice: ignored
    setLandscapeCrop(session, LandscapeCrop::TemplateDefault);
    setPortraitCrop(session, PortraitCrop::TemplateDefault);
    EXPECT_EQ(session.get(vars::TvStandard), "NTSC");
    EXPECT_EQ(session.get(vars::Quality), "yiban_huazhi");
    EXPECT_EQ(landscapeCrop(session), LandscapeCrop::TemplateDefault);
    EXPECT_EQ(portraitCrop(session), PortraitCrop::TemplateDefault);
    EXPECT_EQ(session.get(vars::LandscapeFullScreen), "False");
    EXPECT_EQ(session.get(vars::LandscapeTemplate), "True");
    setLandscapeCrop(session, LandscapeCrop::FullScreen);
    EXPECT_EQ(landscapeCrop(session), LandscapeCrop::FullScreen);
    EXPECT_EQ(portraitCrop(session), PortraitCrop::TemplateDefault);
    EXPECT_EQ(session.get(vars::TvStandard), "NTSC");

    const QStringList lines = statusLines(session);
    EXPECT_EQ(lines.at(5), "画面质量:一般画质");
    EXPECT_EQ(lines.at(6), "电视制式:NTSC制式");
}

TEST(OutputSettings, AlbumLengthFlags)
{
    Session session;
    chooseFollowMusic(session);
    setLoopMusic(session, true);
    setLoopPictures(session, true);
    EXPECT_EQ(albumLengthFlags(session), (AlbumLengthFlags{false, true, true, true}));
    EXPECT_EQ(session.get(vars::LengthRule), kFollowMusic);
    EXPECT_EQ(statusLines(session).at(7), "相册长度:音乐为准");

    // Following the photos also stops looping the pictures, not the music.
    chooseFollowPhotos(session);
    EXPECT_EQ(albumLengthFlags(session), (AlbumLengthFlags{true, false, true, false}));
    EXPECT_EQ(session.get(vars::LengthRule), kFollowPhotos);

    // With songs in the table, opening the window keeps the choices.
    chooseFollowMusic(session);
    session.table(audio::names::MusicTable).appendRow({"1", "a", ".mp3", "/a.mp3", "00:00:01", "25", "wu", "wu"});
    EXPECT_FALSE(resetAlbumLengthWithoutMusic(session));
    EXPECT_EQ(albumLengthFlags(session), (AlbumLengthFlags{false, true, true, false}));
    EXPECT_EQ(statusLines(session).at(1), "音乐数量:1");
    // Without songs, everything returns to following the photos.
    session.table(audio::names::MusicTable).clear();
    EXPECT_TRUE(resetAlbumLengthWithoutMusic(session));
    EXPECT_EQ(albumLengthFlags(session), AlbumLengthFlags{});
    EXPECT_EQ(session.get(vars::LengthRule), kFollowPhotos);
}

TEST(OutputSettings, HelpTextScrollsAndStartsAgain)
{
    EXPECT_EQ(nextHelpTextTop(50, 100), 49);
    EXPECT_EQ(nextHelpTextTop(-99, 100), -100);
    EXPECT_EQ(nextHelpTextTop(-100, 100), kHelpTextStartTop);
}

} // namespace
} // namespace fotarel::settings
