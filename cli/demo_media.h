#pragma once

#include <QString>
#include <QStringList>

namespace fotarel::cli {

// Draws the demo photos into `folder` as JPEG files (landscapes and
// portraits with plain, recognisable scenes) and returns their paths in
// album order.
QStringList writeDemoPhotos(const QString& folder);
// Synthesises a short tune of `seconds` into an MP3 file with ffmpeg.
// Returns the path, or an empty text when ffmpeg failed.
QString writeDemoSong(const QString& path, int seconds);

} // namespace fotarel::cli
