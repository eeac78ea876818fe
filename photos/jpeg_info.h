#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fotarel {

// Photos larger than this many pixels are refused before anything is decoded.
inline constexpr std::int64_t kMaxPhotoPixels = 100'000'000;
// A real JPEG spends at least about one bit per 8 x 8 block; a file whose
// header claims far more pixels than its bytes can code is refused as a
// decompression bomb before its data is read.
inline constexpr std::int64_t kMaxPixelsPerByte = 2048;

// What the header of a JPEG file says: the stored size and the EXIF
// orientation (1 .. 8; 1 when the file has none).
struct JpegInfo {
    int width = 0;
    int height = 0;
    int orientation = 1;

    // Orientations 5 .. 8 turn the picture by a quarter turn.
    bool turned() const { return orientation >= 5 && orientation <= 8; }
    // The size of the upright picture.
    QSize upright() const { return turned() ? QSize(height, width) : QSize(width, height); }
};

struct JpegProbe {
    bool ok = false;
    JpegInfo info;
    QString reason; // why the file cannot be used, for the user
};

// Reads size and orientation from the header only, and checks the bounds.
JpegProbe probeJpeg(const QByteArray& bytes);

// The EXIF orientation tag (0x0112) of the first APP1 "Exif" segment before
// the image data; 1 when there is none or it is malformed.
int readExifOrientation(const unsigned char* data, std::size_t size);

// The size a JPEG's frame header (SOF) claims, read without a decoder: for
// telling a picture too large for the decoder from one that is no JPEG.
bool readFrameSize(const unsigned char* data, std::size_t size, int* width, int* height);

// Reasons shown to the user.
QString reasonEmptyFile();
QString reasonUnreadable();

} // namespace fotarel
