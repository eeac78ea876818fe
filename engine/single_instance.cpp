#include "engine/single_instance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
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

} // namespace fotarel
