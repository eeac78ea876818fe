#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace fotarel::test {

struct JpegOptions {
    int orientation = 0;   // EXIF orientation tag to insert; 0: none
    bool progressive = false;
    bool cmyk = false;
    bool grey = false;
    int quality = 95;
};

// A JPEG of the picture, written with TurboJPEG (4:4:4 so colours stay
// sharp at region borders).
QByteArray jpegOf(const QImage& picture, const JpegOptions& options = {});

// A picture of w x h split in four quadrants: top-left red, top-right green,
// bottom-left blue, bottom-right yellow.
QImage quadrants(int w, int h);
// A picture split at column `splitX` and row `splitY` into the same four colours.
QImage quadrants(int w, int h, int splitX, int splitY);

// Decodes a JPEG (or a BMP) file for checks.
QImage decodeFile(const QString& path);

// The named colour nearest to a pixel: "red", "green", "blue", "yellow",
// "black", "white" or "?".
QString colourName(QRgb pixel);

} // namespace fotarel::test
