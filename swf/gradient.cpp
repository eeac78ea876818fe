#include "swf/gradient.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace fotarel::swf {

namespace {

QColor toColor(Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

double toLinear(double v)
{
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double toSrgb(double v)
{
    v = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return std::clamp(v * 255.0, 0.0, 255.0);
}

Rgba mix(Rgba a, Rgba b, double t, bool linearRgb)
{
    auto ch = [&](uint8_t x, uint8_t y) {
        if (linearRgb)
            return uint8_t(std::lround(toSrgb(toLinear(x) + (toLinear(y) - toLinear(x)) * t)));
        return uint8_t(std::lround(x + (y - x) * t));
    };
    return Rgba{ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b), uint8_t(std::lround(a.a + (b.a - a.a) * t))};
}

// Each stop one ratio past the one before at least (so equal ratios make
// narrow bands in file order, as in the Flash Player); stops pushed past
// 255 are left out.
std::vector<GradientStop> spreadRatios(std::vector<GradientStop> stops)
{
    for (size_t i = 1; i < stops.size(); ++i) {
        if (stops[i].ratio <= stops[i - 1].ratio) {
            if (stops[i - 1].ratio == 255) {
                stops.resize(i);
                break;
            }
            stops[i].ratio = uint8_t(stops[i - 1].ratio + 1);
        }
    }
    return stops;
}

} // namespace

std::array<Rgba, 256> gradientColours(const std::vector<GradientStop>& fileStops, bool linearRgb)
{
    std::array<Rgba, 256> out{};
    if (fileStops.empty())
        return out;
    const std::vector<GradientStop> stops = spreadRatios(fileStops);
    size_t k = 0; // stops[k] is the first stop at or past ratio i
    for (int i = 0; i < 256; ++i) {
        while (k < stops.size() && stops[k].ratio < i)
            ++k;
        if (k == 0 || k == stops.size()) {
            out[size_t(i)] = k == 0 ? stops.front().color : stops.back().color;
            continue;
        }
        const GradientStop& a = stops[k - 1];
        const GradientStop& b = stops[k];
        out[size_t(i)] = mix(a.color, b.color, double(i - a.ratio) / (b.ratio - a.ratio), linearRgb);
    }
    return out;
}

QGradientStops gradientStops(const Gradient& g, const ColorTransform& cx)
{
    QGradientStops stops;
    if (g.stops.empty()) {
        stops << QGradientStop(0, QColor(0, 0, 0, 0)) << QGradientStop(1, QColor(0, 0, 0, 0));
        return stops;
    }
    std::vector<GradientStop> transformed = g.stops;
    for (GradientStop& st : transformed)
        st.color = cx.apply(st.color);
    // The Flash Player paints a gradient from its table of 256 colours, each
    // taking 1/256 of the way with no blending into the next: stops sharing
    // a ratio show as bands of one entry each, and a smooth ramp goes in
    // steps. Entry i shows from (i + 0.5) / 256 of the way on, as in the
    // Flash Player's pictures. Runs of equal colours make one stretch.
    const std::array<Rgba, 256> table = gradientColours(transformed, g.linearRgb);
    stops.reserve(512);
    size_t from = 0;
    for (size_t i = 1; i <= 256; ++i) {
        if (i < 256 && table[i] == table[from])
            continue;
        const QColor c = toColor(table[from]);
        stops << QGradientStop(std::min(1.0, (double(from) + 0.5) / 256), c);
        stops << QGradientStop(std::min(1.0, std::nextafter((double(i) + 0.5) / 256, 0.0)), c);
        from = i;
    }
    stops.back().first = 1;
    return stops;
}

} // namespace fotarel::swf
