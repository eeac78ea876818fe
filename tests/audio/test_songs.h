#pragma once

#include <QString>
#include <QStringList>

namespace fotarel::test {

// Encodes a short MP3 with the ffmpeg command-line tool from a lavfi source
// (for example "sine=d=0.5"). Extra arguments go before the output name.
// Returns whether ffmpeg succeeded.
bool makeSong(const QString& path, const QString& source, const QStringList& extra = {});

// The duration ffprobe reports for a file, in seconds; negative on failure.
double probedSeconds(const QString& path);

} // namespace fotarel::test
