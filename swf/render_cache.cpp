#include "swf/render_cache.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf {

namespace {

constexpr int kMaxLevel = 5;
constexpr size_t kMaxEntries = 24;

} // namespace

int ImageLevels::levelFor(const QImage& img, const QTransform& t)
{
    // The larger of the two axes' scales decides: neither may end up drawn
    // below half size from the copy.
    const double scale = std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    if (!(scale > 0) || scale > 0.5 || img.isNull())
        return 0;
    int level = 0;
    int w = img.width(), h = img.height();
    for (double s = scale; s <= 0.5 && level < kMaxLevel && w >= 4 && h >= 4; s *= 2) {
        ++level;
        w = (w + 1) / 2;
        h = (h + 1) / 2;
    }
    return level;
}

QImage halved(const QImage& img)
{
    const int w = img.width(), h = img.height();
    QImage out((w + 1) / 2, (h + 1) / 2, img.format());
    for (int y = 0; y < out.height(); ++y) {
        const auto* r0 = reinterpret_cast<const QRgb*>(img.constScanLine(2 * y));
        const auto* r1 = reinterpret_cast<const QRgb*>(img.constScanLine(std::min(2 * y + 1, h - 1)));
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int x0 = 2 * x, x1 = std::min(2 * x + 1, w - 1);
            const QRgb a = r0[x0], b = r0[x1], c = r1[x0], d = r1[x1];
            // Two channels at a time: the even bytes, then the odd ones.
            constexpr uint64_t even = 0x00ff00ff;
            const uint64_t lo = (uint64_t(a) & even) + (b & even) + (c & even) + (d & even) + 0x00020002;
            const uint64_t hi = ((uint64_t(a) >> 8) & even) + ((b >> 8) & even) + ((c >> 8) & even) +
                                ((d >> 8) & even) + 0x00020002;
            row[x] = QRgb(((lo >> 2) & even) | (((hi >> 2) & even) << 8));
        }
    }
    return out;
}

const QImage& ImageLevels::level(const QImage& img, int level)
{
    level = std::clamp(level, 1, kMaxLevel);
    const qint64 key = img.cacheKey();
    ++clock_;
    auto find = [&](int l) -> Entry* {
        for (Entry& e : entries_)
            if (e.key == key && e.level == l) {
                e.used = clock_;
                return &e;
            }
        return nullptr;
    };
    if (Entry* e = find(level))
        return e->image;
    // Start from the deepest copy already made.
    int from = level - 1;
    while (from > 0 && !find(from))
        --from;
    QImage cur = from > 0 ? find(from)->image
                          : (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32_Premultiplied
                                 ? img
                                 : img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                             : QImage::Format_RGB32));
    for (int l = from + 1; l <= level; ++l) {
        cur = halved(cur);
        if (entries_.size() >= kMaxEntries)
            entries_.erase(std::min_element(entries_.begin(), entries_.end(),
                                            [](const Entry& a, const Entry& b) { return a.used < b.used; }));
        entries_.push_back(Entry{key, l, cur, clock_});
    }
    return entries_.back().image;
}

} // namespace fotarel::swf
