#pragma once

#include <QString>

namespace fotarel {

// Keeps one running program per user. The lock is an advisory lock on a file
// in the user's runtime folder: the system releases it when the process ends
// in any way, so a program that crashed never blocks the next start.
class SingleInstanceGuard {
public:
    // `lockPath` empty: "<runtime folder>/Fotarel.lock".
    explicit SingleInstanceGuard(QString lockPath = {});
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when this process now holds the lock (or already held it); false
    // when another running process holds it.
    bool acquire();
    bool held() const { return fd_ >= 0; }
    const QString& lockPath() const { return path_; }

    static QString defaultLockPath();

private:
    QString path_;
    int fd_ = -1;
};

// Gives the process a runtime folder when its session has none
// (XDG_RUNTIME_DIR unset, as under cron, ssh or a container): the folder Qt
// would make itself, "${TMPDIR:-/tmp}/runtime-<user>" created with mode 0700,
// but without Qt's warning on standard error. A folder of that name that is
// not ours or not a plain folder is left alone and a new private one is made.
// Call before the application object exists.
void ensureRuntimeFolder();

} // namespace fotarel
