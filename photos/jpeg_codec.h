#pragma once

#include "photos/jpeg_info.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace fotarel {

struct DecodedPicture {
    QImage image; // Format_RGB32, upright; null on failure
    QString reason;
};

// Decodes the photo upright at exactly `target` pixels (upright
// coordinates). The decoder scales in the DCT domain to the smallest scale
// that still covers the target, then a smoothing scaler brings it to the
// exact size; the EXIF orientation is applied last, on the small picture.
// Progressive, greyscale and CMYK/YCCK files work. A file whose data end
// early is refused.
DecodedPicture decodeUpright(const QByteArray& bytes, const JpegInfo& info, QSize target);

// Decodes the photo upright, reduced in the DCT domain as far as it still
// covers `cover` (upright coordinates), without further resampling.
DecodedPicture decodeReduced(const QByteArray& bytes, const JpegInfo& info, QSize cover);

// Encodes a picture as a baseline JPEG of the given quality (4:2:0).
QByteArray encodeJpeg(const QImage& image, int quality = 90);

// Turns a picture stored with EXIF orientation `orientation` upright.
QImage applyOrientation(const QImage& stored, int orientation);

} // namespace fotarel
