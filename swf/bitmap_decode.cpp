#include "swf/bitmap_decode.h"

#include "swf/movie.h"

#include <zlib.h>

#include <QBuffer>
#include <QImageReader>

namespace fotarel::swf {

namespace {

bool sizeAllowed(int w, int h, QString* why)
{
    if (w <= 0 || h <= 0) {
        *why = QStringLiteral("empty bitmap");
        return false;
    }
    if (w > limits::kMaxBitmapSide || h > limits::kMaxBitmapSide || qint64(w) * h > limits::kMaxBitmapPixels) {
        *why = QStringLiteral("bitmap %1 x %2 exceeds the size limit").arg(w).arg(h);
        return false;
    }
    return true;
}

// Removes the stray "end of image, start of image" pairs that old authoring
// tools put at the start of (and sometimes inside) their JPEG data.
QByteArray cleanJpeg(const QByteArray& in)
{
    QByteArray out = in;
    static const char kPair[] = {char(0xff), char(0xd9), char(0xff), char(0xd8)};
    const QByteArray pair(kPair, 4);
    if (out.startsWith(pair))
        out.remove(0, 4);
    int at;
    while ((at = out.indexOf(pair, 2)) > 0)
        out.remove(at, 4);
    return out;
}

} // namespace

QByteArray inflateBounded(const QByteArray& data, qint64 limit, bool* complete)
{
    QByteArray out;
    z_stream zs{};
    if (complete)
        *complete = false;
    if (inflateInit(&zs) != Z_OK)
        return out;
    out.resize(int(std::min<qint64>(limit, 1 << 20)));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    zs.avail_in = uInt(data.size());
    int rc = Z_OK;
    while (true) {
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + zs.total_out);
        zs.avail_out = uInt(out.size() - qint64(zs.total_out));
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR))
            break;
        if (zs.avail_out == 0 && out.size() < limit) {
            out.resize(int(std::min<qint64>(limit, qint64(out.size()) * 2)));
            continue;
        }
        break;
    }
    if (complete)
        *complete = rc == Z_STREAM_END;
    out.resize(int(zs.total_out));
    inflateEnd(&zs);
    return out;
}

QImage decodeLossless(int format, int w, int h, int tableSize, bool alpha, const QByteArray& zdata, QString* why)
{
    if (!sizeAllowed(w, h, why))
        return {};
    if (format != 3 && format != 4 && format != 5) {
        *why = QStringLiteral("unknown lossless format %1").arg(format);
        return {};
    }
    const int bpp = format == 3 ? 1 : format == 4 ? 2 : 4;
    const qint64 stride = (qint64(w) * bpp + 3) & ~qint64(3);
    const int entry = alpha ? 4 : 3;
    const qint64 tableBytes = format == 3 ? qint64(tableSize) * entry : 0;
    const qint64 need = tableBytes + stride * h;
    bool complete = false;
    const QByteArray raw = inflateBounded(zdata, need, &complete);
    if (raw.size() < need) {
        *why = QStringLiteral("pixel data truncated (%1 of %2 bytes)").arg(raw.size()).arg(need);
        return {};
    }
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) {
        *why = QStringLiteral("out of memory");
        return {};
    }
    const auto* p = reinterpret_cast<const uint8_t*>(raw.constData());
    std::vector<QRgb> palette(256, qRgba(0, 0, 0, 0));
    if (format == 3) {
        for (int i = 0; i < tableSize && i < 256; ++i) {
            const uint8_t* c = p + i * entry;
            const int a = alpha ? c[3] : 255;
            // Palette colours of DefineBitsLossless2 are premultiplied like its pixels.
            palette[size_t(i)] = alpha ? qRgba(std::min<int>(c[0], a), std::min<int>(c[1], a), std::min<int>(c[2], a), a)
                                       : qRgb(c[0], c[1], c[2]);
        }
        p += tableBytes;
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = p + stride * y;
        auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (format == 3) {
                out[x] = palette[row[x]];
            } else if (format == 4) {
                const int v = (row[2 * x] << 8) | row[2 * x + 1];
                const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                out[x] = qRgb(r * 255 / 31, g * 255 / 31, b * 255 / 31);
            } else {
                const uint8_t* c = row + 4 * x;
                if (alpha) {
                    const int a = c[0];
                    out[x] = qRgba(std::min<int>(c[1], a), std::min<int>(c[2], a), std::min<int>(c[3], a), a);
                } else {
                    out[x] = qRgb(c[1], c[2], c[3]);
                }
            }
        }
    }
    return img;
}

QImage decodeImageData(const QByteArray& data, QString* why)
{
    const QByteArray clean =
        data.startsWith("\x89PNG") || data.startsWith("GIF8") ? data : cleanJpeg(data);
    QBuffer buffer;
    buffer.setData(clean);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid()) {
        *why = QStringLiteral("image data not recognised: %1").arg(reader.errorString());
        return {};
    }
    if (!sizeAllowed(size.width(), size.height(), why))
        return {};
    QImage img;
    if (!reader.read(&img) || img.isNull()) {
        *why = QStringLiteral("image data corrupt: %1").arg(reader.errorString());
        return {};
    }
    // Pictures without alpha (photos) stay opaque: drawn as such they are
    // copied rather than blended, and they let the renderer skip what they
    // cover.
    return img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

QImage decodeJpeg(const QByteArray& tables, const QByteArray& data, const QByteArray& alpha, QString* why)
{
    QByteArray bytes;
    if (!tables.isEmpty() && !data.startsWith("\x89PNG") && !data.startsWith("GIF8")) {
        // Tables: SOI, DQT/DHT, EOI; image: SOI, frame, scan, EOI. Joined into
        // one stream without the inner EOI/SOI.
        QByteArray t = cleanJpeg(tables);
        QByteArray d = cleanJpeg(data);
        if (t.endsWith("\xff\xd9"))
            t.chop(2);
        if (d.startsWith("\xff\xd8"))
            d.remove(0, 2);
        bytes = t + d;
    } else {
        bytes = data;
    }
    QImage img = decodeImageData(bytes, why);
    if (img.isNull() || alpha.isEmpty())
        return img;
    const qint64 need = qint64(img.width()) * img.height();
    bool complete = false;
    const QByteArray a = inflateBounded(alpha, need, &complete);
    if (a.size() < need)
        return img; // a broken alpha plane leaves the picture opaque
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    const auto* ap = reinterpret_cast<const uint8_t*>(a.constData());
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            row[x] = (row[x] & 0x00ffffff) | (uint32_t(ap[qint64(y) * out.width() + x]) << 24);
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace fotarel::swf
