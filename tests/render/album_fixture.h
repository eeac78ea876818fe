#pragma once

// A program folder with hand-made template movies (192 × 108, solid photo
// slots) and photos imported through the real import, ready for a pass.

#include "tests/photos/photo_fixture.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

namespace fotarel::test {

struct MovieOptions {
    int frames = 6;
    bool marker = true;
    bool sendsPicture0 = true;
    bool photoSlot = true;   // loads picture_1.rar over the whole stage
    bool whiteRight = false; // a white rectangle over the right half (the ending template)
    int blackFrom = -1;      // from this frame on a black rectangle covers the stage (a fade's end)
};

// A template movie as the templates behave: marker, picture loads, then
// "picture_0" once the pictures are in.
QByteArray templateMovie(const MovieOptions& options);

struct AlbumRun : PhotoRun {
    AlbumRun();
    // A one-photo landscape template with a movie of `frames` frames.
    void addMovieTemplate(const QString& name, const MovieOptions& options);
    // Imports solid-colour landscape photos, one group each.
    void importColours(const QList<QColor>& colours);
};

// Decodes `file` with ffmpeg into 32 × 18 RGB frames.
QList<QImage> decodeFrames(const QString& file);
// ffprobe's value of one entry (e.g. "stream=nb_read_frames" of v:0).
QString probe(const QString& file, const QString& stream, const QString& entry);
// A 440 Hz stereo MP3 tone of the given length; false when ffmpeg failed.
bool makeTone(const QString& path, double seconds);

} // namespace fotarel::test
