// JPEG reading and writing over the TurboJPEG API of libjpeg-turbo.
#include "photos/jpeg_codec.h"

#include <QTransform>

#include <turbojpeg.h>

#include <memory>

namespace fotarel {

namespace {

struct HandleCloser {
    void operator()(void* handle) const
    {
        if (handle)
            tjDestroy(handle);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

QString reasonNotJpeg()
{
    return QStringLiteral("不是有效的JPEG文件");
}

QString reasonCorrupt()
{
    return QStringLiteral("文件不完整或已损坏");
}

QString reasonTooLarge(int w, int h)
{
    return QStringLiteral("图像尺寸过大（%1 × %2）").arg(w).arg(h);
}

// The largest power-of-two reduction (1, 1/2, 1/4, 1/8) whose result still
// covers the wanted size. These are the reductions libjpeg-turbo does with
// its SIMD inverse transforms.
int reductionFor(QSize stored, QSize wanted)
{
    int denominator = 1;
    for (int d : {8, 4, 2}) {
        if (TJSCALED(stored.width(), (tjscalingfactor{1, d})) >= wanted.width()
            && TJSCALED(stored.height(), (tjscalingfactor{1, d})) >= wanted.height()) {
            denominator = d;
            break;
        }
    }
    return denominator;
}

QImage cmykToRgb(const unsigned char* cmyk, int width, int height)
{
    // Adobe writes CMYK JPEGs inverted (0 is full ink), which is also what
    // the decoder hands back; each channel times K gives the RGB value.
    QImage out(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = cmyk + std::size_t(y) * std::size_t(width) * 4;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x, in += 4) {
            const unsigned k = in[3];
            line[x] = qRgb(int(in[0] * k / 255), int(in[1] * k / 255), int(in[2] * k / 255));
        }
    }
    return out;
}

} // namespace

QString reasonEmptyFile()
{
    return QStringLiteral("文件为空");
}

QString reasonUnreadable()
{
    return QStringLiteral("无法读取文件");
}

JpegProbe probeJpeg(const QByteArray& bytes)
{
    JpegProbe probe;
    if (bytes.isEmpty()) {
        probe.reason = reasonEmptyFile();
        return probe;
    }
    Handle handle(tjInitDecompress());
    if (!handle) {
        probe.reason = reasonCorrupt();
        return probe;
    }
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                            static_cast<unsigned long>(bytes.size()), &width, &height, &subsampling, &colourspace)
            != 0
        || width <= 0 || height <= 0) {
        // The decoder refuses sizes above its own limit as errors; such a
        // file is a picture too large rather than no JPEG at all.
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
        if (readFrameSize(data, std::size_t(bytes.size()), &width, &height)
            && std::int64_t(width) * height > kMaxPhotoPixels)
            probe.reason = reasonTooLarge(width, height);
        else
            probe.reason = reasonNotJpeg();
        return probe;
    }
    const std::int64_t pixels = std::int64_t(width) * height;
    if (pixels > kMaxPhotoPixels || pixels / kMaxPixelsPerByte > bytes.size()) {
        probe.reason = reasonTooLarge(width, height);
        return probe;
    }
    probe.ok = true;
    probe.info.width = width;
    probe.info.height = height;
    probe.info.orientation =
        readExifOrientation(reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size()));
    return probe;
}

QImage applyOrientation(const QImage& stored, int orientation)
{
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.transformed(QTransform().rotate(180));
    case 4:
        return stored.mirrored(false, true);
    case 5: // transpose
        return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return stored.transformed(QTransform().rotate(90));
    case 7: // transverse
        return stored.transformed(QTransform().rotate(90)).mirrored(false, true);
    case 8:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

namespace {

// Decodes at the reduction covering `storedCover` (stored coordinates), in
// stored orientation.
DecodedPicture decodeStored(const QByteArray& bytes, const JpegInfo& info, QSize storedCover)
{
    DecodedPicture out;
    if (storedCover.width() <= 0 || storedCover.height() <= 0) {
        out.reason = reasonCorrupt();
        return out;
    }
    Handle handle(tjInitDecompress());
    if (!handle) {
        out.reason = reasonCorrupt();
        return out;
    }
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto srcSize = static_cast<unsigned long>(bytes.size());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), src, srcSize, &width, &height, &subsampling, &colourspace) != 0) {
        out.reason = reasonNotJpeg();
        return out;
    }
    if (width != info.width || height != info.height) {
        out.reason = reasonCorrupt();
        return out;
    }
    const int denominator = reductionFor(QSize(width, height), storedCover);
    const tjscalingfactor factor{1, denominator};
    const int scaledW = TJSCALED(width, factor);
    const int scaledH = TJSCALED(height, factor);

    const bool cmyk = colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
    QImage decoded;
    int status = 0;
    // Progressive files with absurd numbers of scans are cut off.
    const int flags = TJFLAG_LIMITSCANS;
    if (cmyk) {
        std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[std::size_t(scaledW) * scaledH * 4]);
        if (!buffer) {
            out.reason = reasonTooLarge(width, height);
            return out;
        }
        status = tjDecompress2(handle.get(), src, srcSize, buffer.get(), scaledW, scaledW * 4, scaledH, TJPF_CMYK,
                               flags);
        if (status == 0 || tjGetErrorCode(handle.get()) == TJERR_WARNING)
            decoded = cmykToRgb(buffer.get(), scaledW, scaledH);
    } else {
        decoded = QImage(scaledW, scaledH, QImage::Format_RGB32);
        if (decoded.isNull()) {
            out.reason = reasonTooLarge(width, height);
            return out;
        }
        status = tjDecompress2(handle.get(), src, srcSize, decoded.bits(), scaledW, int(decoded.bytesPerLine()),
                               scaledH, TJPF_BGRA, flags);
    }
    if (status != 0) {
        // Warnings such as stray bytes between markers leave a usable
        // picture; data that end early (a truncated file, or a small file
        // posing as a big picture) and real errors do not.
        const bool warning = tjGetErrorCode(handle.get()) == TJERR_WARNING;
        const QString message = QString::fromLatin1(tjGetErrorStr2(handle.get()));
        if (!warning || message.contains(QLatin1String("Premature end"), Qt::CaseInsensitive)) {
            out.reason = reasonCorrupt();
            return out;
        }
    }
    out.image = decoded;
    return out;
}

QImage upright(const QImage& stored, int orientation)
{
    QImage image = applyOrientation(stored, orientation);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}

} // namespace

DecodedPicture decodeUpright(const QByteArray& bytes, const JpegInfo& info, QSize target)
{
    const QSize storedTarget = info.turned() ? target.transposed() : target;
    DecodedPicture out = decodeStored(bytes, info, storedTarget);
    if (out.image.isNull())
        return out;
    if (out.image.size() != storedTarget)
        out.image = out.image.scaled(storedTarget, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    out.image = upright(out.image, info.orientation);
    return out;
}

DecodedPicture decodeReduced(const QByteArray& bytes, const JpegInfo& info, QSize cover)
{
    DecodedPicture out = decodeStored(bytes, info, info.turned() ? cover.transposed() : cover);
    if (!out.image.isNull())
        out.image = upright(out.image, info.orientation);
    return out;
}

QByteArray encodeJpeg(const QImage& image, int quality)
{
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    Handle handle(tjInitCompress());
    if (!handle || rgb.isNull())
        return {};
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    const int status = tjCompress2(handle.get(), rgb.constBits(), rgb.width(), int(rgb.bytesPerLine()), rgb.height(),
                                   TJPF_BGRX, &jpeg, &jpegSize, TJSAMP_420, quality, 0);
    QByteArray out;
    if (status == 0)
        out = QByteArray(reinterpret_cast<const char*>(jpeg), qsizetype(jpegSize));
    tjFree(jpeg);
    return out;
}

} // namespace fotarel
