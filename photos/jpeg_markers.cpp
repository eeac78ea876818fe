// Small readers of JPEG marker segments, without a decoder: the EXIF
// orientation tag and the size the frame header claims. They walk the
// marker segments up to the start of the image data; for the orientation,
// the first APP1 segment that starts with "Exif\0\0" gives the TIFF header
// and the first image file directory. Every offset is checked against the
// segment's bounds.
#include "photos/jpeg_info.h"

namespace fotarel {

namespace {

struct Reader {
    const unsigned char* data;
    std::size_t size;
    bool little;

    bool has(std::size_t offset, std::size_t length) const { return offset <= size && length <= size - offset; }
    unsigned u16(std::size_t at) const
    {
        return little ? unsigned(data[at]) | unsigned(data[at + 1]) << 8 : unsigned(data[at]) << 8 | unsigned(data[at + 1]);
    }
    std::uint32_t u32(std::size_t at) const
    {
        const std::uint32_t b0 = data[at], b1 = data[at + 1], b2 = data[at + 2], b3 = data[at + 3];
        return little ? b0 | b1 << 8 | b2 << 16 | b3 << 24 : b0 << 24 | b1 << 16 | b2 << 8 | b3;
    }
};

int orientationFromTiff(const unsigned char* tiff, std::size_t size)
{
    if (size < 8)
        return 1;
    Reader r{tiff, size, false};
    if (tiff[0] == 'I' && tiff[1] == 'I')
        r.little = true;
    else if (!(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    if (r.u16(2) != 42)
        return 1;
    const std::uint32_t ifd = r.u32(4);
    if (!r.has(ifd, 2))
        return 1;
    const unsigned entries = r.u16(ifd);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = std::size_t(ifd) + 2 + std::size_t(i) * 12;
        if (!r.has(entry, 12))
            return 1;
        if (r.u16(entry) != 0x0112)
            continue;
        const unsigned type = r.u16(entry + 2);
        const std::uint32_t count = r.u32(entry + 4);
        if (type != 3 || count < 1) // SHORT, value held in the entry itself
            return 1;
        const unsigned value = r.u16(entry + 8);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

} // namespace

namespace {

// Walks the marker segments before the image data and calls `visit` with
// each segment's marker and payload; stops when `visit` returns true.
template <class Visit>
bool walkSegments(const unsigned char* data, std::size_t size, Visit visit)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    std::size_t pos = 2;
    while (pos + 4 <= size) {
        if (data[pos] != 0xFF)
            return false;
        const unsigned char marker = data[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            pos += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) // image data or end
            return false;
        const std::size_t length = std::size_t(data[pos + 2]) << 8 | data[pos + 3];
        if (length < 2 || length > size - pos - 2)
            return false;
        if (visit(marker, data + pos + 4, length - 2))
            return true;
        pos += 2 + length;
    }
    return false;
}

} // namespace

bool readFrameSize(const unsigned char* data, std::size_t size, int* width, int* height)
{
    return walkSegments(data, size, [&](unsigned char marker, const unsigned char* segment, std::size_t length) {
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (!frame || length < 5)
            return false;
        *height = int(segment[1]) << 8 | segment[2];
        *width = int(segment[3]) << 8 | segment[4];
        return true;
    });
}

int readExifOrientation(const unsigned char* data, std::size_t size)
{
    int orientation = 1;
    walkSegments(data, size, [&](unsigned char marker, const unsigned char* segment, std::size_t length) {
        if (marker == 0xE1 && length >= 6 && segment[0] == 'E' && segment[1] == 'x' && segment[2] == 'i'
            && segment[3] == 'f' && segment[4] == 0 && segment[5] == 0) {
            orientation = orientationFromTiff(segment + 6, length - 6);
            return true;
        }
        return false;
    });
    return orientation;
}

} // namespace fotarel
