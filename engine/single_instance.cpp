#include "engine/single_instance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cstdlib>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fotarel {

SingleInstanceGuard::SingleInstanceGuard(QString lockPath)
    : path_(lockPath.isEmpty() ? defaultLockPath() : std::move(lockPath))
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (fd_ >= 0)
        ::close(fd_); // closing releases the lock
}

QString SingleInstanceGuard::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/Fotarel.lock");
}

bool SingleInstanceGuard::acquire()
{
    if (fd_ >= 0)
        return true;
    const QByteArray native = QFile::encodeName(path_);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no place for a lock: do not refuse to run because of it
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void ensureRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty())
        base = "/tmp";
    const uid_t uid = ::getuid();
    const passwd* user = ::getpwuid(uid);
    const QByteArray name = user && user->pw_name ? QByteArray(user->pw_name) : QByteArray::number(uid);
    QByteArray path = base + "/runtime-" + name;
    ::mkdir(path.constData(), 0700);
    struct stat info {};
    const bool ours = ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid &&
                      ((info.st_mode & 0777) == 0700 || ::chmod(path.constData(), 0700) == 0);
    if (!ours) {
        QByteArray pattern = base + "/runtime-" + name + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return; // Qt makes do with its own
        path = pattern;
    }
    qputenv("XDG_RUNTIME_DIR", path);
}

} // namespace fotarel
