#include "tests/audio/test_songs.h"

#include <QDir>
#include <QFileInfo>
#include "tests/support/run_program.h"

namespace fotarel::test {

bool makeSong(const QString& path, const QString& source, const QStringList& extra)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QStringList args = {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", source,
                        "-ac", "1", "-ar", "22050", "-c:a", "libmp3lame"};
    args += extra;
    args.append(path);
    return runProgram(QStringLiteral("ffmpeg"), args).ok();
}

double probedSeconds(const QString& path)
{
    const ProgramRun ffprobe = runProgram(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration",
                                                                       "-of", "default=noprint_wrappers=1:nokey=1", path});
    if (!ffprobe.ok())
        return -1;
    bool ok = false;
    const double seconds = QString::fromUtf8(ffprobe.out).trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

} // namespace fotarel::test
