#include "photos/preview.h"
#include "core/extension_names.h"

#include "core/file_tree.h"
#include "photos/jpeg_codec.h"
#include "photos/photo_columns.h"
#include "photos/photo_paths.h"
#include "swf/player.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace fotarel::preview {

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool copyOver(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

} // namespace

Choice choosePhoto(const Session& session, std::optional<int> row)
{
    const int count = session.table(photo_tables::Photos).rowCount();
    if (count == 0)
        return {-1, kNoPhotos};
    if (!row || *row < 0 || *row >= count)
        return {-1, kNoneSelected};
    return {*row, {}};
}

QString previewRoot(const WorkingFolder& folder)
{
    return folder.path(QStringLiteral("smxcwjj\\wj_yl_xg_1\\wj_yl_xg_1\\wj_yl_xg_1\\"));
}

QString groupFolder(const WorkingFolder& folder, int group)
{
    return previewRoot(folder) + QStringLiteral("tp_wjj/wj_yl_xg%1/").arg(group);
}

QString groupMovie(const WorkingFolder& folder, const Session& session, int group)
{
    return groupFolder(folder, group) + QStringLiteral("wj_yl_xg_%1").arg(group)
        + session.get(extensions::Movie);
}

QString endingMovie(const WorkingFolder& folder, const Session& session)
{
    return previewRoot(folder) + QStringLiteral("tp_wjj/wj_yl_xg_zuihou/wj_yl_xg_zuihou")
        + session.get(extensions::Movie);
}

QString carryOver(const WorkingFolder& folder, const Session& session)
{
    return previewRoot(folder) + QStringLiteral("pic/picture_0") + session.get(extensions::Picture);
}

QList<QPair<QString, QString>> photoFields(const Session& session, int row)
{
    const Table& photos = session.table(photo_tables::Photos);
    if (row < 0 || row >= photos.rowCount())
        return {};
    return {{QStringLiteral("相片名称："), photos.cell(row, PhotoCol::Name)},
            {QStringLiteral("横照竖照："), photos.cell(row, PhotoCol::Orientation) == kLandscapePhoto
                                               ? QStringLiteral("横照相片")
                                               : QStringLiteral("竖照相片")},
            {QStringLiteral("相片类型："), photos.cell(row, PhotoCol::Extension).toUpper()},
            {QStringLiteral("相片序号："), QString::number(row + 1)},
            {QStringLiteral("相片尺寸："),
             photos.cell(row, PhotoCol::Width) + QLatin1Char('*') + photos.cell(row, PhotoCol::Height)}};
}

void removePreviewFolder(const WorkingFolder& folder)
{
    deleteTree(folder.path(QStringLiteral("smxcwjj\\wj_yl_xg_1\\")));
}

Prepared prepare(const Session& session, const WorkingFolder& folder, int row)
{
    Prepared prepared;
    const Table& photos = session.table(photo_tables::Photos);
    if (row < 0 || row >= photos.rowCount())
        return prepared;
    removePreviewFolder(folder);
    const QString root = previewRoot(folder);
    QDir().mkpath(root + QStringLiteral("pic"));
    QDir().mkpath(root + QStringLiteral("tp_wjj/wj_yl_xg_zuihou"));
    prepared.group = photos.cell(row, PhotoCol::Group).toInt();
    prepared.photoCount = photos.cell(row, PhotoCol::TemplatePhotos).toInt();
    const int g = prepared.group;
    QDir().mkpath(groupFolder(folder, g));
    const bool ending = copyOver(photo_paths::endingMovie(folder, session), endingMovie(folder, session));
    const bool movie = copyOver(photo_paths::groupFolder(folder, g) + QLatin1Char('/') +
                                    photo_paths::groupMovieName(session, g),
                                groupMovie(folder, session, g));
    const QString pictureExt = session.get(extensions::Picture);
    for (int k = 1; k <= prepared.photoCount; ++k) {
        const QString name = QStringLiteral("picture_%1").arg(k);
        copyOver(photo_paths::picture(folder, session, g, name), groupFolder(folder, g) + name + pictureExt);
    }
    prepared.ok = ending && movie;
    return prepared;
}

Playback::Playback(const Session& session, const WorkingFolder& folder, Prepared prepared)
    : session_(session), folder_(folder), prepared_(prepared)
{
}

Playback::~Playback() = default;

int Playback::totalFrames() const
{
    return player_ && player_->isLoaded() ? player_->totalFrames() : 0;
}

bool Playback::load(const QString& movie)
{
    // A fresh player per movie, so nothing of the last movie stays; the
    // movie loads its pictures on its first frame and says "picture_0"
    // when they are in.
    player_ = std::make_unique<swf::Player>();
    player_->setConfinementFolder(previewRoot(folder_));
    picture0_ = false;
    player_->onFsCommand = [this](const QString& command, const QString&) {
        if (command == QLatin1String("picture_0"))
            picture0_ = true;
    };
    if (!player_->load(movie)) {
        phase_ = Phase::Finished;
        return false;
    }
    player_->stopPlaying();
    player_->setVariable(QStringLiteral("xc_alpha"), QStringLiteral("0"));
    if (player_->getVariable(QStringLiteral("l_x_z_f_c")).value_or(QString()) != QLatin1String("l_x_z_f_c_s_y_w_j")) {
        invalid_ = true;
        phase_ = Phase::Finished;
        return false;
    }
    for (int tick = 0; !picture0_ && tick < picture0Ticks; ++tick)
        player_->settle();
    frame_ = -1;
    return true;
}

bool Playback::play()
{
    stop();
    invalid_ = false;
    // The start picture (black, as the album starts) is the group movie's
    // carry-over.
    QImage black(1920, 1080, QImage::Format_RGB32);
    black.fill(Qt::black);
    writeFile(carryOver(folder_, session_), encodeJpeg(black));
    if (!load(groupMovie(folder_, session_, prepared_.group)))
        return !invalid_;
    phase_ = Phase::Group;
    return true;
}

void Playback::stop()
{
    player_.reset();
    phase_ = Phase::Idle;
    frame_ = -1;
}

bool Playback::step(QImage& frame, int advance)
{
    if (phase_ != Phase::Group && phase_ != Phase::Ending)
        return false;
    // Frame by frame, so every frame's scripts run as in the album.
    const int target = std::min(frame_ + std::max(1, advance), player_->totalFrames() - 1);
    do {
        ++frame_;
        player_->setFrameNum(frame_);
    } while (frame_ < target);
    if (frame.size() != kPreviewSize || frame.format() != QImage::Format_RGB32)
        frame = QImage(kPreviewSize, QImage::Format_RGB32);
    player_->paint(frame);
    if (frame_ + 1 < player_->totalFrames())
        return true;
    if (phase_ == Phase::Ending) {
        phase_ = Phase::Finished;
        return false;
    }
    // The group movie's last frame, at the stage's size, is the ending
    // template's carry-over picture.
    writeFile(carryOver(folder_, session_), encodeJpeg(player_->paint(QSize(1920, 1080))));
    if (!load(endingMovie(folder_, session_)))
        return false;
    phase_ = Phase::Ending;
    return true;
}

} // namespace fotarel::preview
