#include "tests/photos/jpeg_fixtures.h"

#include <QFile>

#include <turbojpeg.h>

#include <cstdlib>
#include <stdexcept>

namespace fotarel::test {

namespace {

QByteArray exifSegment(int orientation)
{
    // APP1 "Exif\0\0", big-endian TIFF with one IFD entry: 0x0112 SHORT 1.
    QByteArray tiff;
    tiff.append("MM\x00\x2a", 4);
    tiff.append("\x00\x00\x00\x08", 4);
    tiff.append("\x00\x01", 2);
    tiff.append("\x01\x12\x00\x03\x00\x00\x00\x01", 8);
    tiff.append(char(0));
    tiff.append(char(orientation));
    tiff.append("\x00\x00", 2);
    tiff.append("\x00\x00\x00\x00", 4);
    QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    return segment + payload;
}

} // namespace

QByteArray jpegOf(const QImage& picture, const JpegOptions& options)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    int status = 0;
    const int flags = options.progressive ? TJFLAG_PROGRESSIVE : 0;
    if (options.cmyk) {
        // Inverted CMYK as Adobe writes it: 255 means no ink.
        QByteArray cmyk(qsizetype(rgb.width()) * rgb.height() * 4, Qt::Uninitialized);
        auto* p = reinterpret_cast<unsigned char*>(cmyk.data());
        for (int y = 0; y < rgb.height(); ++y)
            for (int x = 0; x < rgb.width(); ++x) {
                const QRgb c = rgb.pixel(x, y);
                *p++ = static_cast<unsigned char>(qRed(c));
                *p++ = static_cast<unsigned char>(qGreen(c));
                *p++ = static_cast<unsigned char>(qBlue(c));
                *p++ = 255;
            }
        status = tjCompress2(handle, reinterpret_cast<const unsigned char*>(cmyk.constData()), rgb.width(),
                             rgb.width() * 4, rgb.height(), TJPF_CMYK, &out, &size, TJSAMP_444, options.quality,
                             flags);
    } else {
        status = tjCompress2(handle, rgb.constBits(), rgb.width(), int(rgb.bytesPerLine()), rgb.height(), TJPF_BGRX,
                             &out, &size, options.grey ? TJSAMP_GRAY : TJSAMP_444, options.quality, flags);
    }
    if (status != 0)
        throw std::runtime_error(tjGetErrorStr2(handle));
    QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(handle);
    if (options.orientation > 0)
        jpeg.insert(2, exifSegment(options.orientation));
    return jpeg;
}

QImage quadrants(int w, int h)
{
    return quadrants(w, h, w / 2, h / 2);
}

QImage quadrants(int w, int h, int splitX, int splitY)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool right = x >= splitX, bottom = y >= splitY;
            line[x] = !bottom ? (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0)) : (right ? qRgb(255, 255, 0) : qRgb(0, 0, 255));
        }
    }
    return image;
}

QImage decodeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith("BM"))
        return QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32);
    tjhandle handle = tjInitDecompress();
    int w = 0, h = 0, sub = 0, cs = 0;
    QImage image;
    if (tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(bytes.constData()),
                            static_cast<unsigned long>(bytes.size()), &w, &h, &sub, &cs)
        == 0) {
        image = QImage(w, h, QImage::Format_RGB32);
        if (tjDecompress2(handle, reinterpret_cast<const unsigned char*>(bytes.constData()),
                          static_cast<unsigned long>(bytes.size()), image.bits(), w, int(image.bytesPerLine()), h,
                          TJPF_BGRA, 0)
            != 0)
            image = QImage();
    }
    tjDestroy(handle);
    return image;
}

QString colourName(QRgb p)
{
    struct Named {
        const char* name;
        int r, g, b;
    };
    static const Named named[] = {{"red", 255, 0, 0},     {"green", 0, 255, 0}, {"blue", 0, 0, 255},
                                  {"yellow", 255, 255, 0}, {"black", 0, 0, 0},  {"white", 255, 255, 255}};
    for (const Named& n : named)
        if (std::abs(qRed(p) - n.r) < 60 && std::abs(qGreen(p) - n.g) < 60 && std::abs(qBlue(p) - n.b) < 60)
            return QString::fromLatin1(n.name);
    return QStringLiteral("?");
}

} // namespace fotarel::test
