#include "photos/work_folders.h"

#include "core/file_tree.h"
#include "photos/photo_columns.h"
#include "photos/photo_paths.h"
#include "templates/package.h"

#include <QDir>
#include <QFileInfo>

namespace fotarel {

namespace {

const QString kSwitch = QStringLiteral("Edit_daoru_moban_kaishishiyong_kaiguan");
const QString kUnpackCounter = QStringLiteral("Edit_wj_1_jy_leijia");

QStringList intermediates(const WorkingFolder& folder, const QString& stem)
{
    QStringList names;
    for (int n = 1; n < kPackageLayers; ++n)
        names << folder.path(paths::kEndingUnpack + stem + QStringLiteral("-%1.rar").arg(n));
    return names;
}

} // namespace

QStringList prepareWorkFolders(Session& session, const WorkingFolder& folder, const std::function<void()>& step,
                               const std::function<void()>& pump)
{
    if (session.get(kSwitch) == QLatin1String("kai")) {
        deleteTree(folder.path(paths::kGroupFolders));
        deleteTree(folder.path(paths::kCarryOverFolder));
        recreateFolder(folder.path(paths::kGroupFolders), pump);
        recreateFolder(folder.path(paths::kCarryOverFolder), pump);
        session.set(kSwitch, QStringLiteral("guan"));
    }
    if (step)
        step();
    session.setInt(kUnpackCounter, session.getInt(kUnpackCounter) + 1);
    QDir().mkpath(folder.path(paths::kEndingUnpack));

    QStringList failed;
    const Table& photos = session.table(photo_tables::Photos);
    for (int r = 0; r < photos.rowCount(); ++r) {
        if (pump)
            pump();
        const int c = session.getInt(kUnpackCounter) + 1;
        session.setInt(kUnpackCounter, c);
        if (photos.cell(r, PhotoCol::ThumbnailDone) != kNotDone)
            continue;
        const int group = photos.cell(r, PhotoCol::Group).toInt();
        const QString groupDir = photo_paths::groupFolder(folder, group);
        QDir().mkpath(groupDir);
        const QString package = photos.cell(r, PhotoCol::MoviePackage);
        const UnpackResult result =
            unpackPackage(package, intermediates(folder, QStringLiteral("wj_1_jy%1").arg(c)),
                          groupDir + QLatin1Char('/') + photo_paths::groupMovieName(session, group));
        if (!result.ok && !failed.contains(package))
            failed << package;
    }
    if (session.get(QStringLiteral("Edit_mobanleijia_sum")) != QLatin1String("0"))
        session.set(QStringLiteral("Edit_str_mulu1"), folder.path(paths::kGroupFolders + QStringLiteral("tp_wjj_")));
    return failed;
}

bool unpackEndingTemplate(const Session& session, const WorkingFolder& folder, const std::function<void()>& pump)
{
    const QString endingDir = folder.path(paths::kGroupFolders + QStringLiteral("tp_wjj_zuihou\\"));
    deleteTree(endingDir);
    recreateFolder(endingDir, pump);
    QDir().mkpath(folder.path(paths::kEndingUnpack));
    return unpackPackage(folder.path(paths::kEndingPackage), intermediates(folder, QStringLiteral("w_j_zuihou")),
                         photo_paths::endingMovie(folder, session))
        .ok;
}

} // namespace fotarel
