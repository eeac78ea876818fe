#pragma once

#include <QString>
#include <QStringList>

namespace fotarel::cli {

// Draws the demo photos into `folder` as JPEG files (landscapes and
// portraits with plain, recognisable scenes) and returns their paths in
// album order.
QStringList writeDemoPhotos(const QString& folder);
// Synthesises a tune of `seconds` into an MP3 file with ffmpeg.
// Returns the path, or an empty text when ffmpeg failed.
QString writeDemoSong(const QString& path, double seconds);

// The demo's words: an LRC file with two lines, a KSC file with two karaoke
// lines after them, and a caption (a --caption text). Empty paths when a
// file could not be written.
struct DemoWords {
    QString lrc;
    QString ksc;
    QString caption;
};
DemoWords writeDemoWords(const QString& folder);

} // namespace fotarel::cli
