#pragma once

#include <QString>
#include <QStringList>

namespace fotarel {

// Paths of the working tree, written relative to the program's folder with
// backslashes as the rest of the program names them; WorkingFolder turns them
// into absolute paths.
namespace paths {
inline const QString kWorkRoot = QStringLiteral("smxcwjj");
inline const QString kLibraryMovies = QStringLiteral("smxcwjj\\wj_0_or_2\\wjj_01");
inline const QString kLibraryDescriptions = QStringLiteral("smxcwjj\\wj_0_or_2\\wjj_02");
inline const QString kDescriptionUnpack = QStringLiteral("smxcwjj\\wj_0_or_2\\wjj_00_j_y\\");
inline const QString kEndingPackage = QStringLiteral("smxcwjj\\wj_0_or_1\\wj_1.rar");
inline const QString kEndingUnpack = QStringLiteral("smxcwjj\\wj_0_or_1\\wj_1_jy\\");
inline const QString kThumbsRoot = QStringLiteral("smxcwjj\\tp_wj\\");
inline const QString kPhotoThumbs = QStringLiteral("smxcwjj\\tp_wj\\tp_slt_1\\");
inline const QString kMusicThumbs = QStringLiteral("smxcwjj\\tp_wj\\tp_slt_2\\");
inline const QString kLyricThumbs = QStringLiteral("smxcwjj\\tp_wj\\tp_slt_3\\");
inline const QString kGroupsRoot = QStringLiteral("smxcwjj\\tp_wjj\\");
inline const QString kGroupFolders = QStringLiteral("smxcwjj\\tp_wjj\\tp_wjj\\");
inline const QString kCarryOverFolder = QStringLiteral("smxcwjj\\tp_wjj\\pic\\");
inline const QString kPreviewRoot = QStringLiteral("smxcwjj\\wj_yl_xg_1\\");
inline const QString kUnusedDeepFolder =
    QStringLiteral("smxcwjj\\wj_x_g_c_l_1\\wj_x_g_c_l_1\\wj_x_g_c_l_1\\wj_x_g_c_l_1\\");
inline const QString kRenderFolder = QStringLiteral("smxcwjj\\tp_load\\");
inline const QString kSamples = QStringLiteral("yinyuegeci\\");

// The loose working files removed at start-up and at exit, in this order.
const QStringList& scratchFiles();
} // namespace paths

// The working folder lives beside the executable. All paths of the program are
// built by joining that folder and a relative path.
class WorkingFolder {
public:
    explicit WorkingFolder(QString programFolder);

    const QString& programFolder() const { return base_; }

    // Absolute path of a relative path written with "\" or "/" separators. A
    // trailing separator is kept, so folder paths stay recognisable.
    QString path(const QString& relative) const;

private:
    QString base_;
};

} // namespace fotarel
