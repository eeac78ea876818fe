#include "tools/templatec/placement.h"

#include "tools/templatec/geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fotarel::templatec {

swf::Matrix transform(double x, double y, double sx, double sy, double rotDeg)
{
    const double a = rotDeg * std::numbers::pi / 180;
    return {sx * std::cos(a), sx * std::sin(a), -sy * std::sin(a), sy * std::cos(a), x * kTw, y * kTw};
}

swf::ColorTransform colour(double alpha, double bright)
{
    swf::ColorTransform c;
    c.aMul = float(std::clamp(alpha, 0.0, 100.0) / 100.0);
    const double b = std::clamp(bright, -100.0, 100.0) / 100.0;
    if (b < 0) {
        c.rMul = c.gMul = c.bMul = float(1 + b);
    } else if (b > 0) {
        c.rMul = c.gMul = c.bMul = float(1 - b);
        c.rAdd = c.gAdd = c.bAdd = float(255 * b);
    }
    // Quantise like the file does, so unchanged frames compare equal.
    auto q = [](float& f, float unit) { f = std::round(f * unit) / unit; };
    q(c.aMul, 256);
    q(c.rMul, 256);
    q(c.gMul, 256);
    q(c.bMul, 256);
    q(c.rAdd, 1);
    q(c.gAdd, 1);
    q(c.bAdd, 1);
    return c;
}

Placement layerPlacement(const Layer& l, int frame)
{
    const double s = layerValue(l, Prop::Scale, frame);
    return {transform(layerValue(l, Prop::X, frame), layerValue(l, Prop::Y, frame), s * layerValue(l, Prop::ScaleX, frame),
                      s * layerValue(l, Prop::ScaleY, frame), layerValue(l, Prop::Rot, frame)),
            colour(layerValue(l, Prop::Alpha, frame), layerValue(l, Prop::Bright, frame))};
}

bool samePlacement(const Placement& a, const Placement& b)
{
    auto close = [](double x, double y, double eps) { return std::abs(x - y) < eps; };
    return close(a.m.a, b.m.a, 1e-5) && close(a.m.b, b.m.b, 1e-5) && close(a.m.c, b.m.c, 1e-5) &&
           close(a.m.d, b.m.d, 1e-5) && close(a.m.tx, b.m.tx, 0.5) && close(a.m.ty, b.m.ty, 0.5) && a.cx == b.cx;
}

} // namespace fotarel::templatec
