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

} // namespace fotarel
