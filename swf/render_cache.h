#pragma once

#include <QImage>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace fotarel::swf {

// Copies of pictures halved once or more (a mip chain), for pictures drawn
// at half their size or less: a smooth draw from a copy near the drawn size
// reads a quarter of the pixels per halving, and a colour transform applied
// to that copy costs as much less. Copies are kept while the picture lives
// in the cache (it is keyed by QImage::cacheKey, which no other picture
// takes), the least recently used going first.
class ImageLevels {
public:
    // How many halvings a picture drawn through `imageToDevice` can take
    // and still be drawn no smaller than half size from the copy (0: none).
    static int levelFor(const QImage& img, const QTransform& imageToDevice);
    // The picture halved `level` times (level ≥ 1), each halving averaging
    // 2 × 2 pixels; in ARGB32_Premultiplied, or RGB32 when opaque.
    const QImage& level(const QImage& img, int level);
    void clear() { entries_.clear(); }

private:
    struct Entry {
        qint64 key;
        int level;
        QImage image;
        uint64_t used;
    };
    std::vector<Entry> entries_;
    uint64_t clock_ = 0;
};

// A picture halved: each pixel the rounded average of 2 × 2 (the last row
// or column of an odd size taken alone). 32-bit formats only.
QImage halved(const QImage& img);

} // namespace fotarel::swf
