#pragma once

#include "core/session.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace fotarel::settings {

// Output types as Edit_VCDSVCDDVD_leixing holds them.
inline const QString kVcd = QStringLiteral("VCD");
inline const QString kSvcd = QStringLiteral("SVCD");
inline const QString kDvd = QStringLiteral("DVD");
inline const QString kAvi = QStringLiteral("AVI");
// H.264 and AAC in MP4: phones, televisions and the web. Sizes as AVI.
inline const QString kMp4 = QStringLiteral("MP4");
inline const QString kImageSequence = QStringLiteral("XLTP");

// Session variables of the settings.
namespace vars {
inline const QString OutputType = QStringLiteral("Edit_VCDSVCDDVD_leixing");
inline const QString TvStandard = QStringLiteral("Edit_VCDSVCDDVD_zhishi");
inline const QString Quality = QStringLiteral("Edit_huanmian_zhiliang");
inline const QString LengthRule = QStringLiteral("Edit_tongbu_shezhi");
inline const QString Width = QStringLiteral("Edit_chicun_width");
inline const QString Height = QStringLiteral("Edit_chicun_height");
inline const QString ShownSize = QStringLiteral("suiEdit_shuchu_chicun");
inline const QString ShownType = QStringLiteral("suiEdit_shuchu_leixing");
inline const QString Cancelled = QStringLiteral("Edit_quxiao");
inline const QString ImageFormat = QStringLiteral("ListBox_tupian_geshi");
inline const QString WizardStep = QStringLiteral("xiangce_xiangdao_buzhou");
inline const QString FollowPhotos = QStringLiteral("TForm2.RadioButton1");
inline const QString FollowMusic = QStringLiteral("TForm2.RadioButton2");
inline const QString LoopMusic = QStringLiteral("TForm2.CheckBox1");
inline const QString LoopPictures = QStringLiteral("TForm2.CheckBox2");
inline const QString LandscapeFullScreen = QStringLiteral("TForm17.suiRadioButton_hengzhaopian_quanping");
inline const QString LandscapeTemplate = QStringLiteral("TForm17.suiRadioButton_hengzhaopian_moren");
inline const QString PortraitZoom = QStringLiteral("TForm17.suiRadioButton_shuzhaopian_jubufangda");
inline const QString PortraitTemplate = QStringLiteral("TForm17.suiRadioButton_shuzhaopian_moren");
} // namespace vars

inline const QString kPal = QStringLiteral("PAL");
inline const QString kNtsc = QStringLiteral("NTSC");
inline const QString kNormalQuality = QStringLiteral("yiban_huazhi");
inline const QString kHighQuality = QStringLiteral("gaoqing_huazhi");
inline const QString kFollowPhotos = QStringLiteral("sui_zhaopian_tongbu");
inline const QString kFollowMusic = QStringLiteral("sui_yinyue_tongbu");
inline const QString kWizardMakeDvd = QStringLiteral("xiangce_xiangdao_zhizuoDVDxiangce");
inline const QString kCancelledWord = QStringLiteral("quxiao");

// ---- Output size -------------------------------------------------------

struct OutputSize {
    int width;
    int height;
    bool disc = false; // the disc-standard entry
    // width + " × " + height; the disc entry adds its label, e.g.
    // "352 × 288 (VCD光盘标准)".
    QString text(const QString& outputType = {}) const;
};

// The size list of an output type: five sizes up to 1280 x 720 for "VCD",
// eight up to 1920 x 1080 for the others, the default entry the largest.
// "VCD", "SVCD" and "DVD" end with one more entry, the disc standard's size
// for the TV standard (VCD 352 × 288 / 240, SVCD 480 × 576 / 480, DVD
// 720 × 576 / 480): the one stream that disc authoring accepts. The other
// sizes make files for computers and players.
std::vector<OutputSize> sizeList(const QString& outputType, const QString& standard = QStringLiteral("PAL"));
int defaultSizeIndex(const QString& outputType);
QStringList sizeListTexts(const QString& outputType, const QString& standard = QStringLiteral("PAL"));
// The disc-standard size of an output type and TV standard, if it has one.
std::optional<OutputSize> discSize(const QString& outputType, const QString& standard);
// Whether Edit_chicun_width/_height name the output type's disc entry (of
// either TV standard: the encoder then takes the current standard's).
bool discSizeChosen(const Session& session);

// Image-sequence formats, "JPG" first (the default).
const QStringList& imageSequenceFormats();

// The output-size window's outer size: 660 x 290, or 730 x 290 with the
// format list for an image sequence.
int outputSizeDialogWidth(const QString& outputType);
inline constexpr int kOutputSizeDialogHeight = 290;
bool outputSizeDialogHasFormats(const QString& outputType);

// Fills the window's fields before an output command shows it: the default
// entry's size, the output type (or "JPG" for an image sequence) as the shown
// type, and Edit_quxiao cleared. Returns the entry selected.
int prepareOutputSize(Session& session, const QString& outputType);
// A size entry chosen (also what "默认" does with the default entry): the
// shown size and Edit_chicun_width/_height follow it; an image sequence's
// format returns to "JPG".
void chooseOutputSize(Session& session, int index);
// "默认": selects the default entry. Returns it.
int chooseDefaultOutputSize(Session& session);
// A format chosen from the list: shown in the type field.
void chooseImageFormat(Session& session, const QString& format);
// The close box: the command must stop.
void cancelOutputSize(Session& session);
bool outputSizeCancelled(const Session& session);
// The album the wizard's step "make a DVD album" asked for is being made
// ("开始制作" was pressed): when that is the recorded step, clears it and
// returns true, so a later DVD command is an ordinary one.
bool takeWizardDvdStep(Session& session);

// ---- Other settings ----------------------------------------------------

void setTvStandard(Session& session, const QString& standard);   // "PAL" / "NTSC"
void setPictureQuality(Session& session, const QString& quality); // "yiban_huazhi" / "gaoqing_huazhi"

enum class LandscapeCrop { FullScreen, TemplateDefault };
enum class PortraitCrop { PartialZoom, TemplateDefault };
void setLandscapeCrop(Session& session, LandscapeCrop crop);
void setPortraitCrop(Session& session, PortraitCrop crop);
LandscapeCrop landscapeCrop(const Session& session);
PortraitCrop portraitCrop(const Session& session);

// ---- Album length ------------------------------------------------------

struct AlbumLengthFlags {
    bool followPhotos = true;
    bool followMusic = false;
    bool loopMusic = false;
    bool loopPictures = false;
    bool operator==(const AlbumLengthFlags&) const = default;
};
AlbumLengthFlags albumLengthFlags(const Session& session);

// "以相片时间长度为准": follow the photos, and stop looping the pictures.
void chooseFollowPhotos(Session& session);
// "以音乐时间长度为准": follow the music; the album length rule reads
// "sui_yinyue_tongbu" so the status panel shows it.
void chooseFollowMusic(Session& session);
void setLoopMusic(Session& session, bool on);
void setLoopPictures(Session& session, bool on);
// Before the album-length window opens, and when the last song is deleted:
// with an empty music table every flag returns to following the photos
// without loops. Returns whether it reset them.
bool resetAlbumLengthWithoutMusic(Session& session);
void resetAlbumLength(Session& session);

// ---- Status panel ------------------------------------------------------

// The status panel's lines, in order: the five counts, then quality, TV
// standard and album length.
QStringList statusLines(const Session& session);

// The help text scrolls up one pixel per tick and starts again at top 50
// once it has left the panel.
inline constexpr int kHelpTextStartTop = 50;
int nextHelpTextTop(int top, int labelHeight);

} // namespace fotarel::settings
