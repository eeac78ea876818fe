#pragma once

// Picture comparison shared by the tests that check what was painted or
// decoded.

#include <QImage>

namespace fotarel::test {

// Peak signal-to-noise ratio of b against a over R, G and B, in dB; 99 when
// they are equal, 0 when their sizes differ.
double psnr(const QImage& a, const QImage& b);
// The largest difference of any channel (alpha included) at any pixel;
// 255 when the sizes differ.
int largestDifference(const QImage& a, const QImage& b);

} // namespace fotarel::test
