#pragma once

// Blend modes: a layer's premultiplied colours mixed with what lies under
// it, in 8-bit integers.

#include "swf/records.h"

#include <QImage>
#include <QRegion>

namespace fotarel::swf {

// One premultiplied ARGB pixel of `src` (s) laid over one of the target (d)
// by `mode`. Every mode mixes by the source's and the target's alpha: where
// the target is empty the source shows as it is, where the source is empty
// the target stays. Each sum of products is divided by 255 once, rounded to
// the nearest level.
QRgb blendPixel(QRgb s, QRgb d, BlendMode mode);

// Lays `src` with its top left corner at `at` onto `dst` (both
// ARGB32_Premultiplied, `dst` also RGB32) by `mode`, only inside `clip`
// (pixels of `dst`; empty: everywhere).
void blendOnto(QImage& dst, QPoint at, const QImage& src, BlendMode mode, const QRegion& clip = {});

} // namespace fotarel::swf
