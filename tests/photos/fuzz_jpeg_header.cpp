// Fuzzes the reading of JPEG headers: size, bounds and the EXIF orientation.
#include "photos/jpeg_info.h"
#include "photos/measure.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int orientation = fotarel::readExifOrientation(data, size);
    if (orientation < 1 || orientation > 8)
        __builtin_trap();
    int width = 0, height = 0;
    if (fotarel::readFrameSize(data, size, &width, &height) && (width < 0 || width > 65535 || height < 0 || height > 65535))
        __builtin_trap();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const fotarel::JpegProbe probe = fotarel::probeJpeg(bytes);
    if (probe.ok) {
        if (std::int64_t(probe.info.width) * probe.info.height > fotarel::kMaxPhotoPixels)
            __builtin_trap();
        fotarel::measurePhoto(probe.info, QSize(1920, 1080));
    }
    return 0;
}
