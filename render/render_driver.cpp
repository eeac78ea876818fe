#include "render/render_driver.h"
#include "core/extension_names.h"

#include "render/album_length.h"
#include "render/render_names.h"

#include "photos/photo_columns.h"
#include "photos/photo_paths.h"
#include "swf/player.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

namespace fotarel::render {

namespace {

bool removeIfExists(const QString& file)
{
    return !QFileInfo::exists(file) || QFile::remove(file);
}

} // namespace

RenderDriver::RenderDriver(Session& session, const WorkingFolder& folder, QSize frameSize)
    : session_(session), folder_(folder), frameSize_(frameSize)
{
}

RenderDriver::~RenderDriver() = default;

void RenderDriver::addLoadLog(const QString& text)
{
    Table& log = session_.table(tables::LoadLog);
    log.appendLine(QString::number(log.rowCount() + 1) + text);
}

void RenderDriver::addErrorLog(const QString& text)
{
    session_.table(tables::ErrorLog).appendLine(text);
}

bool RenderDriver::playerUsable() const
{
    return player_ && player_->isLoaded() && player_->totalFrames() > 0;
}

void RenderDriver::replacePlayer()
{
    player_ = std::make_unique<swf::Player>();
    player_->onFsCommand = [this](const QString& command, const QString&) {
        if (command == QLatin1String("picture_0")) {
            picture0_ = true;
            session_.set(vars::Picture0Done, kPicture0Done);
        }
    };
}

bool RenderDriver::loadMovie(const QString& file)
{
    picture0_ = false;
    const bool ok = player_->load(file);
    player_->stopPlaying();
    return ok;
}

void RenderDriver::fillTemplateUse()
{
    Table& use = session_.table(tables::TemplateUse);
    use.clear();
    const Table& photos = session_.table(photo_tables::Photos);
    // Every group holds one photo at least, so no album has more groups
    // than photos: a larger count is not followed.
    const int groups = std::min(session_.getInt(vars::GroupCount), photos.rowCount());
    for (int n = 1; n <= groups; ++n) {
        Row row{QString::number(n), QString::number(n)};
        for (int c = UseCol::TemplateNumber; c < UseCol::Count; ++c)
            row << QStringLiteral("0");
        use.appendRow(row);
    }
    // One look at every photo: the last photo of a group gives its row.
    const QString movieExt = session_.get(extensions::Movie);
    for (int r = 0; r < photos.rowCount(); ++r) {
        bool isNumber = false;
        const int n = photos.cell(r, PhotoCol::Group).toInt(&isNumber);
        if (!isNumber || n < 1 || n > groups || photos.cell(r, PhotoCol::Group) != QString::number(n))
            continue;
        const int at = n - 1;
        use.setCell(at, UseCol::TemplateNumber, photos.cell(r, PhotoCol::PairNumber));
        use.setCell(at, UseCol::PhotoCount, photos.cell(r, PhotoCol::TemplatePhotos));
        use.setCell(at, UseCol::Package, photos.cell(r, PhotoCol::MoviePackage));
        use.setCell(at, UseCol::Orientations, photos.cell(r, PhotoCol::TemplateOrientations));
        use.setCell(at, UseCol::JpgNames, photos.cell(r, PhotoCol::TemplateJpgNames));
        use.setCell(at, UseCol::FrameCount, photos.cell(r, PhotoCol::FrameCount));
        use.setCell(at, UseCol::MoviePath,
                    path(files::GroupFolder + QString::number(n) + QStringLiteral("\\w_j_") + QString::number(n) +
                         movieExt));
    }
}

int RenderDriver::setUp(const std::function<void(int, int)>& overall)
{
    // 1-2: a new player for every pass, empty logs.
    replacePlayer();
    session_.set(vars::PlayerCreated, kPlayerCreatedWord);
    session_.table(tables::LoadLog).clear();
    session_.table(tables::ErrorLog).clear();

    // 3: start values.
    session_.set(vars::SequenceIndex, QStringLiteral("-1"));
    session_.set(vars::MovieFrame, QStringLiteral("-1"));
    session_.set(vars::AlbumFrame, QStringLiteral("0"));
    session_.set(vars::EndingSwitch, kEndingOff);
    session_.set(vars::Picture0Done, QString());
    session_.set(vars::AlbumTime, QString());
    session_.set(vars::LyricTime, QStringLiteral("0"));
    session_.set(vars::LyricTimeNum, QStringLiteral("0"));
    session_.set(vars::LyricSwitch, QStringLiteral("tingzhi"));

    // 4: the start frame. It goes to the encoder from memory; the frame file
    // is kept as the pass's record of it. It shows the album's first
    // picture rather than black: the first template's opening transition
    // then starts from that picture instead of from an empty screen, so an
    // album never begins with a stretch of black.
    QDir().mkpath(path(QStringLiteral("smxcwjj\\tp_load\\")));
    QDir().mkpath(path(QStringLiteral("smxcwjj\\tp_wjj\\pic\\")));
    const QImage opening = openingPicture();
    const QString bmpExt = session_.get(extensions::Bitmap);
    opening.save(path(files::FrameFile + bmpExt), "BMP");
    startFrame_ = opening.scaled(frameSize_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_RGB32);

    // 5: the first carry-over picture is the start frame as a JPEG.
    const QString jpg = path(files::CarryOver + session_.get(extensions::Jpeg));
    const QString carry = path(files::CarryOver + session_.get(extensions::Picture));
    removeIfExists(jpg);
    opening.save(jpg, "JPG", 90);
    removeIfExists(carry);
    QFile::rename(jpg, carry);

    // 6-7: tables and lists.
    fillTemplateUse();
    const int total = buildAlbumLists(session_, folder_, overall);

    // 8-9: overlays, timed by the songs of the audio list.
    songClock_ = SongClock::fromSession(session_, session_.table(tables::AudioList).rowCount());
    overlays_ = makeOverlays(session_, folder_, [this](const QString& line) { addErrorLog(line); });
    // The start frame is the album's frame 0: a line due at 00:00 shows on it.
    if (!overlays_.empty()) {
        const OverlayTime time = songClock_.at(0);
        QPainter painter(&startFrame_);
        for (const auto& overlay : overlays_)
            overlay->paint(painter, frameSize_, time);
    }
    return total;
}

QImage RenderDriver::openingPicture() const
{
    QImage panel(kPanelWidth, kPanelHeight, QImage::Format_RGB32);
    panel.fill(Qt::black);
    // The cropped picture of the first photo of the first group, fitted
    // whole into the panel (a portrait photo between black sides).
    const Table& photos = session_.table(photo_tables::Photos);
    for (int r = 0; r < photos.rowCount(); ++r) {
        if (photos.cell(r, PhotoCol::Group) != QLatin1String("1"))
            continue;
        const QImage picture(
            photo_paths::picture(folder_, session_, 1, photos.cell(r, PhotoCol::PictureName)), "JPG");
        if (picture.isNull())
            break;
        const QImage fitted = picture.scaled(panel.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&panel);
        painter.drawImage((panel.width() - fitted.width()) / 2, (panel.height() - fitted.height()) / 2, fitted);
        break;
    }
    return panel;
}

bool RenderDriver::nextTemplate()
{
    const QString movieExt = session_.get(extensions::Movie);
    const QString firstMovie = path(files::GroupFolder + QStringLiteral("1\\w_j_1") + movieExt);
    const QString endingMovie = path(files::EndingMovie + movieExt);
    for (;;) {
        // 1: a new player.
        player_.reset();
        addLoadLog(QStringLiteral("B-卸载创建的FLASH完成！"));
        replacePlayer();
        addLoadLog(QStringLiteral("B-创建FLASH控件完成！"));

        // 2: the control used to be primed with these two movies; a fresh
        // player of ours needs no priming, but the loads are kept so the
        // load log reads the same.
        if (QFileInfo::exists(firstMovie)) {
            loadMovie(firstMovie);
            if (QFileInfo::exists(endingMovie))
                loadMovie(endingMovie);
        }

        // 3-5: which movie comes next.
        const Table& sequence = session_.table(tables::Sequence);
        const int index = session_.getInt(vars::SequenceIndex, -1) + 1;
        const bool ending = session_.get(vars::EndingSwitch) == kEndingOn;
        session_.setInt(vars::SequenceIndex, index);
        QString next;
        bool firstEndingLoad = false;
        if (ending) {
            // A player that failed during the ending template: load it again.
            next = endingMovie;
        } else if (index < sequence.rowCount()) {
            next = sequence.cell(index, UseCol::MoviePath);
        } else {
            // The last template's last frame, kept when the compositor wrote it.
            writeCarryOver(lastCarryOver_.isNull() ? captureCarryOver() : lastCarryOver_);
            session_.set(vars::EndingSwitch, kEndingOn);
            session_.set(vars::SequenceIndex, QStringLiteral("-1"));
            next = endingMovie;
            firstEndingLoad = true;
        }

        // 6-7.
        if (QFileInfo::exists(firstMovie))
            loadMovie(firstMovie);
        session_.set(vars::Picture0Done, QString());

        // 8: the movie and its marker.
        const bool loaded = loadMovie(next);
        if (loaded) {
            player_->setVariable(QStringLiteral("xc_alpha"), QStringLiteral("0"));
            if (player_->getVariable(QStringLiteral("l_x_z_f_c")).value_or(QString()) !=
                QLatin1String("l_x_z_f_c_s_y_w_j"))
                return false;
            // 9.
            player_->setFrameNum(20);
            player_->setFrameNum(0);
            player_->stopPlaying();
        }

        // 10: wait for "picture_0", bounded.
        QElapsedTimer clock;
        clock.start();
        for (int tick = 0; loaded && !picture0_ && tick < picture0Ticks && !clock.hasExpired(picture0Time.count());
             ++tick)
            player_->tick();
        if (!loaded || !picture0_) {
            addErrorLog(QStringLiteral("%1 : %2").arg(
                QFileInfo(next).fileName(),
                loaded ? QStringLiteral("没有收到 picture_0，跳过") : QStringLiteral("无法载入，跳过")));
            if (!ending)
                continue; // the next template of the sequence (or the ending one) takes its frames
        }
        // 11. The ending template plays over the album's last frames: when
        // more frames are left than it reserves (an album that follows
        // longer music, or a skipped template), its first frame, which shows
        // the last picture, holds until then instead of its fade to black
        // lasting to the end.
        const int hold = firstEndingLoad ? endingHold() : 0;
        session_.set(vars::MovieFrame, QString::number(-1 - hold));
        return true;
    }
}

int RenderDriver::endingHold() const
{
    // The album's first frame is the start frame; every composed frame
    // after it counts in AlbumFrame.
    const long long left = session_.table(tables::FrameList).rowCount() - 1LL - session_.getInt(vars::AlbumFrame);
    return int(std::clamp<long long>(left - kEndingReserve, 0, 1 << 30));
}

void RenderDriver::capturePanel(QImage& target, long long albumFrame)
{
    if (target.size() != frameSize_ || target.format() != QImage::Format_RGB32)
        target = QImage(frameSize_, QImage::Format_RGB32);
    if (playerUsable())
        player_->paint(target); // fills the movie's background first
    else
        target.fill(Qt::black);
    if (!overlays_.empty()) {
        const OverlayTime time = songClock_.at(albumFrame);
        QPainter painter(&target);
        for (const auto& overlay : overlays_)
            overlay->paint(painter, frameSize_, time);
    }
}

QImage RenderDriver::carryOverFrom(const QImage& frame)
{
    // Without overlays a frame at the panel's size is the carry-over picture
    // itself: painting the player again would give the same pixels.
    if (overlays_.empty() && frame.size() == QSize(kPanelWidth, kPanelHeight) &&
        frame.format() == QImage::Format_RGB32)
        return frame;
    return captureCarryOver();
}

QImage RenderDriver::captureCarryOver()
{
    QImage panel(kPanelWidth, kPanelHeight, QImage::Format_RGB32);
    panel.fill(Qt::black);
    if (playerUsable())
        player_->paint(panel);
    return panel;
}

bool RenderDriver::writeCarryOver(const QImage& panel)
{
    lastCarryOver_ = panel;
    const QString bmp = path(files::LastFrame + session_.get(extensions::Bitmap));
    const QString jpg = path(files::LastFrame + session_.get(extensions::Jpeg));
    const QString carry = path(files::CarryOver + session_.get(extensions::Picture));
    bool ok = panel.save(bmp, "BMP");
    ok = panel.save(jpg, "JPG", 90) && ok;
    removeIfExists(carry);
    return QFile::copy(jpg, carry) && ok;
}

void RenderDriver::removeWorkingFiles() const
{
    const QString bmpExt = session_.get(extensions::Bitmap);
    removeIfExists(path(files::FrameFile + bmpExt));
    removeIfExists(path(files::LastFrame + bmpExt));
    removeIfExists(path(files::LastFrame + session_.get(extensions::Jpeg)));
    removeIfExists(path(files::CarryOver + session_.get(extensions::Picture)));
}

} // namespace fotarel::render
