#include "tests/audio/test_songs.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace fotarel::test {

bool makeSong(const QString& path, const QString& source, const QStringList& extra)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QStringList args = {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", source,
                        "-ac", "1", "-ar", "22050", "-c:a", "libmp3lame"};
    args += extra;
    args.append(path);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

double probedSeconds(const QString& path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration", "-of",
                                              "default=noprint_wrappers=1:nokey=1", path});
    if (!ffprobe.waitForFinished(30000) || ffprobe.exitCode() != 0)
        return -1;
    bool ok = false;
    const double seconds = QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

} // namespace fotarel::test
