#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

// Where the program's files are. Two roots: the read-only program data (the
// template library, the closing template and the sample songs) and the
// writable working tree of one session. A program folder that keeps both
// (the build tree, a test's folder) uses one root for the two.
//
// Paths of the program are relative paths as above; path() puts each below
// the root it belongs to, so the rest of the program never asks which is which.
class WorkingFolder {
public:
    explicit WorkingFolder(QString folder);
    WorkingFolder(QString dataFolder, QString workFolder);

    const QString& dataFolder() const { return data_; }
    const QString& workFolder() const { return work_; }

    // Absolute path of a relative path written with "\" or "/" separators. A
    // trailing separator is kept, so folder paths stay recognisable.
    QString path(const QString& relative) const;

    // True for the relative paths of the read-only program data.
    static bool isProgramData(const QString& relative);

private:
    QString data_;
    QString work_;
};

// The folder of the read-only program data for a program in `programFolder`:
// the program folder itself when the template library is beside the program
// (a build tree, or a copy of it moved elsewhere), else the installed data
// folder (<prefix>/share/fotarel for <prefix>/bin).
QString programDataFolder(const QString& programFolder);

// A new folder of its own (readable by its owner only) in the system's
// temporary folder. It goes with everything in it when the object goes; and
// should the process end before that (a signal, a crash), a small helper
// process that waits for this one to end removes it then.
class PrivateFolder {
public:
    // `prefix`: the start of the folder's name; a unique ending is added.
    explicit PrivateFolder(const QString& prefix);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    int watched_ = -1; // the pipe's writing end; the helper waits on it
    qint64 helper_ = -1;
};

// A command-line run's working tree: a private folder of its own, so two runs
// never share a working file; the template library is read where the
// program's data is.
class PrivateWorkFolder {
public:
    explicit PrivateWorkFolder(const QString& programFolder);

    bool isValid() const { return dir_.isValid(); }
    const WorkingFolder& folder() const { return folder_; }

private:
    PrivateFolder dir_;
    WorkingFolder folder_;
};

// The desktop program's working tree: a folder in the user's data folder.
// One desktop session runs per user, so the folder is always the same one.
QString desktopWorkFolder();

} // namespace fotarel
