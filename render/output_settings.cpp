#include "render/output_settings.h"

#include "audio/music_table.h"
#include "effects/caption_columns.h"
#include "photos/photo_columns.h"

namespace fotarel::settings {

namespace {

const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");

QString flag(bool on)
{
    return on ? kTrue : kFalse;
}

bool isOn(const Session& session, const QString& name)
{
    return session.get(name) == kTrue;
}

QString currentType(const Session& session)
{
    return session.get(vars::OutputType);
}

int rowCount(const Session& session, QLatin1StringView table)
{
    const QString name = table;
    return session.hasTable(name) ? session.table(name).rowCount() : 0;
}

} // namespace

QString OutputSize::text(const QString& outputType) const
{
    const QString size = QString::number(width) + QStringLiteral(" × ") + QString::number(height);
    return disc ? size + QStringLiteral(" (%1光盘标准)").arg(outputType) : size;
}

std::optional<OutputSize> discSize(const QString& outputType, const QString& standard)
{
    const bool ntsc = standard == kNtsc;
    if (outputType == kVcd)
        return OutputSize{352, ntsc ? 240 : 288, true};
    if (outputType == kSvcd)
        return OutputSize{480, ntsc ? 480 : 576, true};
    if (outputType == kDvd)
        return OutputSize{720, ntsc ? 480 : 576, true};
    return std::nullopt;
}

bool discSizeChosen(const Session& session)
{
    const QString type = currentType(session);
    const int width = session.getInt(vars::Width);
    const int height = session.getInt(vars::Height);
    for (const QString& standard : {kPal, kNtsc}) {
        const std::optional<OutputSize> disc = discSize(type, standard);
        if (disc && disc->width == width && disc->height == height)
            return true;
    }
    return false;
}

std::vector<OutputSize> sizeList(const QString& outputType, const QString& standard)
{
    static const std::vector<OutputSize> vcd = {{320, 176}, {464, 256}, {640, 368}, {800, 480}, {1280, 720}};
    static const std::vector<OutputSize> others = {{320, 176}, {464, 256},  {640, 368},  {800, 480},
                                                   {1280, 720}, {1440, 816}, {1600, 896}, {1920, 1080}};
    std::vector<OutputSize> list = outputType == kVcd ? vcd : others;
    if (const std::optional<OutputSize> disc = discSize(outputType, standard))
        list.push_back(*disc);
    return list;
}

int defaultSizeIndex(const QString& outputType)
{
    // The largest size, before the disc entry.
    return (outputType == kVcd ? 5 : 8) - 1;
}

QStringList sizeListTexts(const QString& outputType, const QString& standard)
{
    QStringList texts;
    for (const OutputSize& size : sizeList(outputType, standard))
        texts.append(size.text(outputType));
    return texts;
}

const QStringList& imageSequenceFormats()
{
    static const QStringList formats = {QStringLiteral("JPG"), QStringLiteral("BMP"), QStringLiteral("TGA"),
                                        QStringLiteral("PCX")};
    return formats;
}

int outputSizeDialogWidth(const QString& outputType)
{
    return outputSizeDialogHasFormats(outputType) ? 730 : 660;
}

bool outputSizeDialogHasFormats(const QString& outputType)
{
    return outputType == kImageSequence;
}

int prepareOutputSize(Session& session, const QString& outputType)
{
    const int index = defaultSizeIndex(outputType);
    const OutputSize size = sizeList(outputType)[static_cast<std::size_t>(index)];
    session.set(vars::ShownSize, size.text(outputType));
    session.set(vars::Width, QString::number(size.width));
    session.set(vars::Height, QString::number(size.height));
    if (outputType == kImageSequence) {
        session.set(vars::ImageFormat, imageSequenceFormats().first());
        session.set(vars::ShownType, imageSequenceFormats().first());
    } else {
        session.set(vars::ShownType, outputType);
    }
    session.set(vars::Cancelled, QString());
    return index;
}

void chooseOutputSize(Session& session, int index)
{
    const QString type = currentType(session);
    const std::vector<OutputSize> list = sizeList(type, session.get(vars::TvStandard));
    if (index < 0 || index >= static_cast<int>(list.size()))
        return;
    const OutputSize& size = list[static_cast<std::size_t>(index)];
    session.set(vars::ShownSize, size.text(type));
    session.set(vars::Width, QString::number(size.width));
    session.set(vars::Height, QString::number(size.height));
    if (type == kImageSequence)
        chooseImageFormat(session, imageSequenceFormats().first());
}

int chooseDefaultOutputSize(Session& session)
{
    const int index = defaultSizeIndex(currentType(session));
    chooseOutputSize(session, index);
    return index;
}

void chooseImageFormat(Session& session, const QString& format)
{
    if (!imageSequenceFormats().contains(format))
        return;
    session.set(vars::ImageFormat, format);
    session.set(vars::ShownType, format);
}

void cancelOutputSize(Session& session)
{
    session.set(vars::Cancelled, kCancelledWord);
}

bool outputSizeCancelled(const Session& session)
{
    return session.get(vars::Cancelled) == kCancelledWord;
}

bool takeWizardDvdStep(Session& session)
{
    if (session.get(vars::WizardStep) != kWizardMakeDvd)
        return false;
    session.set(vars::WizardStep, QString());
    return true;
}

void setTvStandard(Session& session, const QString& standard)
{
    if (standard == kPal || standard == kNtsc)
        session.set(vars::TvStandard, standard);
}

void setPictureQuality(Session& session, const QString& quality)
{
    if (quality == kNormalQuality || quality == kHighQuality)
        session.set(vars::Quality, quality);
}

void setLandscapeCrop(Session& session, LandscapeCrop crop)
{
    session.set(vars::LandscapeFullScreen, flag(crop == LandscapeCrop::FullScreen));
    session.set(vars::LandscapeTemplate, flag(crop == LandscapeCrop::TemplateDefault));
}

void setPortraitCrop(Session& session, PortraitCrop crop)
{
    session.set(vars::PortraitZoom, flag(crop == PortraitCrop::PartialZoom));
    session.set(vars::PortraitTemplate, flag(crop == PortraitCrop::TemplateDefault));
}

LandscapeCrop landscapeCrop(const Session& session)
{
    return isOn(session, vars::LandscapeFullScreen) ? LandscapeCrop::FullScreen : LandscapeCrop::TemplateDefault;
}

PortraitCrop portraitCrop(const Session& session)
{
    return isOn(session, vars::PortraitZoom) ? PortraitCrop::PartialZoom : PortraitCrop::TemplateDefault;
}

AlbumLengthFlags albumLengthFlags(const Session& session)
{
    return AlbumLengthFlags{isOn(session, vars::FollowPhotos), isOn(session, vars::FollowMusic),
                            isOn(session, vars::LoopMusic), isOn(session, vars::LoopPictures)};
}

void chooseFollowPhotos(Session& session)
{
    session.set(vars::LengthRule, kFollowPhotos);
    session.set(vars::FollowPhotos, kTrue);
    session.set(vars::FollowMusic, kFalse);
    session.set(vars::LoopPictures, kFalse);
}

void chooseFollowMusic(Session& session)
{
    session.set(vars::LengthRule, kFollowMusic);
    session.set(vars::FollowMusic, kTrue);
    session.set(vars::FollowPhotos, kFalse);
}

void setLoopMusic(Session& session, bool on)
{
    session.set(vars::LoopMusic, flag(on));
}

void setLoopPictures(Session& session, bool on)
{
    session.set(vars::LoopPictures, flag(on));
}

void resetAlbumLength(Session& session)
{
    chooseFollowPhotos(session);
    setLoopMusic(session, false);
    setLoopPictures(session, false);
}

bool resetAlbumLengthWithoutMusic(Session& session)
{
    if (rowCount(session, audio::names::MusicTable) != 0)
        return false;
    resetAlbumLength(session);
    return true;
}

QStringList statusLines(const Session& session)
{
    auto count = [&session](const char* label, QLatin1StringView table) {
        return QString::fromUtf8(label) + QString::number(rowCount(session, table));
    };
    const QString quality = session.get(vars::Quality) == kNormalQuality ? QStringLiteral("一般画质")
                                                                         : QStringLiteral("高清画质");
    const QString standard = session.get(vars::TvStandard) == kNtsc ? QStringLiteral("NTSC制式")
                                                                    : QStringLiteral("PAL制式");
    const QString rule = session.get(vars::LengthRule) == kFollowMusic ? QStringLiteral("音乐为准")
                                                                       : QStringLiteral("相片为准");
    // Picture effects are not made by this program: their count is 0 until
    // a table of them exists.
    return {count("相片数量:", photo_tables::Photos),
            count("音乐数量:", audio::names::MusicTable),
            count("歌词数量:", audio::names::LyricTable),
            count("文字特效:", effects::kCaptionTable),
            count("画面特效:", effects::kPictureEffectTable),
            QStringLiteral("画面质量:") + quality,
            QStringLiteral("电视制式:") + standard,
            QStringLiteral("相册长度:") + rule};
}

int nextHelpTextTop(int top, int labelHeight)
{
    const int next = top - 1;
    return next + labelHeight < 0 ? kHelpTextStartTop : next;
}

} // namespace fotarel::settings
