#include "core/working_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>

#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fotarel {

const QStringList& paths::scratchFiles()
{
    static const QStringList files = {
        "smxcwjj\\tp_slt_tp_0_1.png",
        "smxcwjj\\tp_load\\tp_load_1.bmp",
        "smxcwjj\\tp_load\\tp_load_1_1.bmp",
        "smxcwjj\\tp_load\\tp_load_1.jpg",
        "smxcwjj\\tp_load\\tp_load_1_2_1.bmp",
        "smxcwjj\\tp_load\\tp_load_1_2_1.jpg",
        "smxcwjj\\wj_0_or_1\\wj_1_jy.rar",
        "smxcwjj\\tp_load\\tp_load_0.rar",
        "smxcwjj\\tp_0\\tp_slt_0_02.rar",
        "smxcwjj\\tp_0\\tp_slt_0_12.rar",
        "smxcwjj\\tp_0\\tp_slt_0_0.png",
        "smxcwjj\\tp_0\\tp_slt_0_1.png",
        "smxcwjj\\tp_0\\tp_slt_1_02.rar",
        "smxcwjj\\tp_0\\tp_slt_1_12.rar",
        "smxcwjj\\tp_0\\tp_slt_1_0.png",
        "smxcwjj\\tp_0\\tp_slt_1_1.png",
        "smxcwjj\\tp_0\\tp_slt_tp_02.rar",
        "smxcwjj\\tp_0\\tp_slt_tp_0.png",
        "smxcwjj\\tp_0\\tp_slt_tp_0_12.rar",
        "smxcwjj\\tp_0\\tp_slt_tp_0_1.png",
    };
    return files;
}

namespace {

// The relative paths of the read-only program data, with "/" separators.
// A path is program data when it is one of these or lies inside one.
const QStringList& programDataRoots()
{
    static const QStringList roots = {
        QStringLiteral("smxcwjj/wj_0_or_2/wjj_01"),
        QStringLiteral("smxcwjj/wj_0_or_2/wjj_02"),
        QStringLiteral("smxcwjj/wj_0_or_1/wj_1.rar"),
        QStringLiteral("yinyuegeci"),
    };
    return roots;
}

QString slashed(const QString& relative)
{
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return rel;
}

} // namespace

WorkingFolder::WorkingFolder(QString folder) : data_(QDir::cleanPath(std::move(folder))), work_(data_) {}

WorkingFolder::WorkingFolder(QString dataFolder, QString workFolder)
    : data_(QDir::cleanPath(std::move(dataFolder))), work_(QDir::cleanPath(std::move(workFolder)))
{
}

bool WorkingFolder::isProgramData(const QString& relative)
{
    const QString rel = QDir::cleanPath(slashed(relative));
    for (const QString& root : programDataRoots())
        if (rel == root || rel.startsWith(root + QLatin1Char('/')))
            return true;
    return false;
}

QString WorkingFolder::path(const QString& relative) const
{
    const QString rel = slashed(relative);
    const bool folder = rel.endsWith(QLatin1Char('/'));
    QString joined = QDir::cleanPath((isProgramData(rel) ? data_ : work_) + QLatin1Char('/') + rel);
    if (folder)
        joined += QLatin1Char('/');
    return joined;
}

QString programDataFolder(const QString& programFolder)
{
    const QString beside = QDir::cleanPath(programFolder);
    if (QFileInfo(beside + QStringLiteral("/smxcwjj/wj_0_or_2")).isDir())
        return beside;
    const QString installed = QDir::cleanPath(beside + QStringLiteral("/" FOTAREL_DATA_FROM_PROGRAM));
    if (QFileInfo(installed).isDir())
        return installed;
    // Neither: the library is reported missing beside the program.
    return beside;
}

QString desktopWorkFolder()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share/Fotarel");
    return QDir::cleanPath(data);
}

// The helper: it reads a pipe whose writing end only this process holds
// (closed on exec, so no program started later keeps it). The read ends when
// this process closes it or is gone, and the helper then removes the folder.
// It runs in a process group of its own and ignores the terminal's signals,
// so the Ctrl-C that ends this process does not end it too.
PrivateFolder::PrivateFolder(const QString& prefix)
    : dir_(QDir::tempPath() + QLatin1Char('/') + prefix + QStringLiteral("-XXXXXX"))
{
    int ends[2];
    if (!dir_.isValid() || pipe2(ends, O_CLOEXEC) != 0)
        return; // the folder is still removed when the object goes
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[0], 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    const QByteArray path = QFile::encodeName(dir_.path());
    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    char script[] = "trap '' INT TERM HUP QUIT; read -r _; rm -rf -- \"$0\"";
    std::vector<char> argument(path.constData(), path.constData() + path.size() + 1);
    char* argv[] = {shell, dashC, script, argument.data(), nullptr};
    pid_t helper = -1;
    if (posix_spawn(&helper, shell, &files, &attributes, argv, environ) == 0) {
        helper_ = helper;
        watched_ = ends[1];
    } else {
        ::close(ends[1]);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    ::close(ends[0]);
}

PrivateFolder::~PrivateFolder()
{
    dir_.remove();
    if (watched_ >= 0)
        ::close(watched_); // the helper finds nothing left to remove and ends
    if (helper_ > 0)
        ::waitpid(pid_t(helper_), nullptr, 0);
}

PrivateWorkFolder::PrivateWorkFolder(const QString& programFolder)
    : dir_(QStringLiteral("fotarel-cli")),
      folder_(programDataFolder(programFolder), dir_.isValid() ? dir_.path() : QString())
{
}

} // namespace fotarel
