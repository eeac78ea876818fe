#include "photos/photo_paths.h"
#include "core/extension_names.h"

namespace fotarel::photo_paths {

QString thumbnail(const WorkingFolder& folder, const Session& session, int number)
{
    return folder.path(paths::kPhotoThumbs + QStringLiteral("tp_slt_1_%1").arg(number)
                       + session.get(extensions::Bitmap));
}

QString thumbnailTemporary(const WorkingFolder& folder, const Session& session, int number)
{
    return folder.path(paths::kPhotoThumbs + QStringLiteral("%1_tp_slt_1_%1").arg(number)
                       + session.get(extensions::Bitmap));
}

QString groupFolder(const WorkingFolder& folder, int group)
{
    return folder.path(paths::kGroupFolders + QStringLiteral("tp_wjj_%1").arg(group));
}

QString groupFolderTemporary(const WorkingFolder& folder, int group)
{
    return folder.path(paths::kGroupFolders + QStringLiteral("%1_tp_wjj_%1").arg(group));
}

QString groupMovieName(const Session& session, int group)
{
    return QStringLiteral("w_j_%1").arg(group) + session.get(extensions::Movie);
}

QString picture(const WorkingFolder& folder, const Session& session, int group, const QString& pictureName)
{
    // The group folder prefix is the one the work folders recorded; before
    // any group exists it is built the same way.
    QString prefix = session.get(QStringLiteral("Edit_str_mulu1"));
    if (prefix.isEmpty())
        prefix = folder.path(paths::kGroupFolders + QStringLiteral("tp_wjj_"));
    return prefix + QString::number(group) + QLatin1Char('/') + pictureName
        + session.get(extensions::Picture);
}

QString cropCanvas(const WorkingFolder& folder, const Session& session)
{
    return folder.path(paths::kGroupFolders + QStringLiteral("t_p_1") + session.get(extensions::GroupPicture));
}

QString endingMovie(const WorkingFolder& folder, const Session& session)
{
    return folder.path(paths::kGroupFolders + QStringLiteral("tp_wjj_zuihou\\w_j_zuihou")
                       + session.get(extensions::Movie));
}

} // namespace fotarel::photo_paths
