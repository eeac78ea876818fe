#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace fotarel::swf {

// All functions return Format_ARGB32_Premultiplied images, or a null image
// and the reason in `why`. Sizes are checked against the movie limits before
// any pixel memory is taken.

// DefineBitsLossless(2): format 3 (palette), 4 (15 bit), 5 (24/32 bit).
QImage decodeLossless(int format, int width, int height, int tableSize, bool alpha, const QByteArray& zlibData,
                      QString* why);

// JPEG data of DefineBits (with the movie's JPEGTables), DefineBitsJPEG2/3/4;
// `alpha` is the zlib-compressed alpha plane of JPEG3/4 (may be empty).
QImage decodeJpeg(const QByteArray& tables, const QByteArray& data, const QByteArray& alpha, QString* why);

// JPEG, PNG or GIF bytes, told apart by their content.
QImage decodeImageData(const QByteArray& data, QString* why);

// Inflates zlib data, producing at most `limit` bytes.
QByteArray inflateBounded(const QByteArray& data, qint64 limit, bool* complete);

} // namespace fotarel::swf
