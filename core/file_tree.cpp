#include "core/file_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace fotarel {

namespace {

bool isReadOnly(const QFileInfo& info)
{
    return !info.isSymLink() && !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

void deleteTree(const QString& path)
{
    QFileInfo self(path);
    if (self.isSymLink() || !self.isDir())
        return;
    QDir dir(path);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !entry.isSymLink()) {
            deleteTree(entry.absoluteFilePath());
        } else if (!isReadOnly(entry)) {
            QFile::remove(entry.absoluteFilePath());
        }
    }
    QDir().rmdir(self.absoluteFilePath());
}

bool copyTree(const QString& from, const QString& to)
{
    const QString root = QDir(from).absolutePath();
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(root.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(file, target))
            return false;
    }
    return true;
}

void deleteFileIfExists(const QString& path)
{
    QFileInfo info(path);
    if ((info.exists() || info.isSymLink()) && !info.isDir())
        QFile::remove(path);
}

bool recreateFolder(const QString& path, const std::function<void()>& pump, std::chrono::milliseconds limit)
{
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo(path).isDir()) {
        if (pump)
            pump();
        if (QDir().mkpath(path))
            continue;
        if (clock.elapsed() >= limit.count())
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace fotarel
