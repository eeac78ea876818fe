#include "photos/measure.h"

#include "photos/photo_columns.h"

#include <algorithm>
#include <cstdint>

namespace fotarel {

QSize fitInside(QSize picture, QSize box)
{
    const std::int64_t pw = std::max(1, picture.width()), ph = std::max(1, picture.height());
    const std::int64_t bw = std::max(1, box.width()), bh = std::max(1, box.height());
    if (pw * bh >= ph * bw) // relatively wider than the box: take its width
        return QSize(int(bw), int(std::max<std::int64_t>(1, ph * bw / pw)));
    return QSize(int(std::max<std::int64_t>(1, pw * bh / ph)), int(bh));
}

QSize requestSize(QSize stored, QSize canvas)
{
    const std::int64_t w = std::max(1, stored.width()), h = std::max(1, stored.height());
    if (w >= h)
        return QSize(canvas.width(), int(h * canvas.width() / w));
    return QSize(int(w * canvas.height() / h), canvas.height());
}

Measurement measurePhoto(const JpegInfo& info, QSize canvas)
{
    const QSize stored(info.width, info.height);
    const QSize rendered = fitInside(info.upright(), requestSize(stored, canvas));
    Measurement m;
    const int larger = std::max(info.width, info.height);
    const int smaller = std::min(info.width, info.height);
    if (rendered.width() >= rendered.height()) {
        m.orientation = QString(kLandscapePhoto);
        m.width = larger;
        m.height = smaller;
    } else {
        m.orientation = QString(kPortraitPhoto);
        m.width = smaller;
        m.height = larger;
    }
    return m;
}

} // namespace fotarel
