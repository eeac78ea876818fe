#include "tools/templatec/particles.h"

#include "tools/templatec/geometry.h"
#include "tools/templatec/placement.h"
#include "tools/templatec/swf_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fotarel::templatec {

namespace {

constexpr double kPi = std::numbers::pi;

// Deterministic random numbers for particles.
struct Rng {
    uint32_t s;
    double next()
    {
        s = s * 1664525u + 1013904223u;
        return (s >> 8) / double(1 << 24);
    }
    double range(double a, double b) { return a + (b - a) * next(); }
};

uint16_t particleShape(const QString& kind, int variant, QByteArray& defs, uint16_t id)
{
    ShapeDef s;
    if (kind == "petals") {
        static const QColor tones[] = {QColor(255, 183, 197), QColor(255, 209, 220), QColor(246, 160, 180)};
        const QColor c = tones[variant % 3];
        s.fill = radial({{0, rgba(QColor(255, 240, 245), 240)}, {255, rgba(c, 230)}}, 16, 22);
        s.contours.push_back(petalContour(30, 20));
    } else if (kind == "snow") {
        s.fill = radial({{0, {255, 255, 255, 250}}, {120, {255, 255, 255, 200}}, {255, {255, 255, 255, 0}}}, 9, 9);
        s.contours.push_back(ellipseContour(0, 0, 9, 9, 24));
    } else if (kind == "hearts") {
        static const QColor tones[] = {QColor(238, 64, 96), QColor(255, 120, 150), QColor(250, 90, 120)};
        s.fill = radial({{0, rgba(tones[variant % 3].lighter(140), 235)}, {255, rgba(tones[variant % 3], 235)}}, 14, 14);
        s.contours.push_back(heartContour(0, 0, 34));
    } else if (kind == "bokeh") {
        static const QColor tones[] = {QColor(255, 214, 140), QColor(255, 170, 120), QColor(200, 220, 255), QColor(255, 240, 200)};
        const QColor c = tones[variant % 4];
        s.fill = radial({{0, rgba(c, 110)}, {200, rgba(c, 80)}, {235, rgba(c, 120)}, {255, rgba(c, 0)}}, 60, 60);
        s.contours.push_back(ellipseContour(0, 0, 60, 60, 60));
    } else { // stars
        s.fill = radial({{0, {255, 255, 255, 255}}, {255, {255, 236, 180, 200}}}, 14, 14);
        s.contours.push_back(starContour(0, 0, 16, 3, 4, 0));
    }
    defs += defineShape3(id, s);
    return id;
}

} // namespace

void addParticles(const Layer& l, int frames, int firstDepth, uint16_t& nextId, QByteArray& defs,
                  std::vector<QByteArray>& perFrame)
{
    const int from = std::clamp(l.lifeFrom, 0, frames - 1);
    const int to = l.lifeTo < 0 ? frames - 1 : std::clamp(l.lifeTo, from, frames - 1);
    uint16_t variants[4];
    for (int v = 0; v < 4; ++v)
        variants[v] = particleShape(l.particle, v, defs, nextId++);
    Rng rng{uint32_t(l.seed * 7919 + 17)};
    const double layerAlpha = 1.0;
    for (int i = 0; i < l.count; ++i) {
        const int depth = firstDepth + i;
        const double x0 = rng.range(-60, kStageWidth + 60), y0 = rng.range(-140, kStageHeight + 60);
        const double speed = rng.range(0.6, 1.4), phase = rng.range(0, 2 * kPi), spin = rng.range(-4, 4);
        const double scale = l.particle == "bokeh" ? rng.range(0.5, 1.6) : rng.range(0.55, 1.25);
        const double sway = rng.range(20, 70), swayRate = rng.range(0.02, 0.05), rot0 = rng.range(0, 360);
        const uint16_t shape = variants[i % 4];
        bool placed = false;
        Placement last;
        for (int f = 0; f < frames; ++f) {
            const bool alive = f >= from && f <= to;
            if (!alive) {
                if (placed) {
                    perFrame[size_t(f)] += removeObject2(uint16_t(depth));
                    placed = false;
                }
                continue;
            }
            const double t = f - from;
            double x = x0, y = y0, rot = rot0, sx = scale, sy = scale, alpha = 100;
            const double span = kStageHeight + 200;
            if (l.particle == "petals" || l.particle == "snow") {
                const double v = (l.particle == "snow" ? 2.2 : 2.8) * speed;
                y = std::fmod(y0 + 100 + v * t, span) - 100;
                x = x0 + sway * std::sin(phase + swayRate * t) + (l.particle == "petals" ? 0.9 * t * speed : 0);
                x = std::fmod(x + 100 + 3 * kStageWidth, kStageWidth + 200) - 100;
                rot = rot0 + spin * t;
                if (l.particle == "petals")
                    sy = scale * (0.55 + 0.45 * std::cos(phase + 0.07 * t));
            } else if (l.particle == "hearts") {
                y = kStageHeight + 100 - std::fmod(kStageHeight + 100 - y0 + 2.4 * speed * t, span);
                x = x0 + sway * std::sin(phase + swayRate * t);
                rot = 12 * std::sin(phase + 0.05 * t);
            } else if (l.particle == "bokeh") {
                y = y0 - 0.6 * speed * t;
                x = x0 + 0.3 * sway * std::sin(phase + 0.5 * swayRate * t);
                sx = sy = scale * (1 + 0.08 * std::sin(phase + 0.03 * t));
                alpha = 60 + 40 * std::sin(phase + 0.04 * t);
                rot = 0;
            } else { // stars twinkle in place
                alpha = 50 + 50 * std::sin(phase + 0.12 * t * speed);
                rot = rot0 + spin * 0.5 * t;
            }
            // Fade in after birth and out before the end of life.
            alpha *= std::clamp(t / 20.0, 0.0, 1.0) * std::clamp((to - f) / 20.0, 0.0, 1.0) * layerAlpha;
            alpha *= layerValue(l, Prop::Alpha, f) / 100.0;
            const Placement pl{transform(x, y, sx, sy, rot), colour(alpha, 0)};
            swf::PlaceObject po;
            po.depth = uint16_t(depth);
            po.hasMatrix = true;
            po.matrix = pl.m;
            po.hasColorTransform = true;
            po.colorTransform = pl.cx;
            if (!placed) {
                po.hasCharacter = true;
                po.characterId = shape;
                perFrame[size_t(f)] += placeObject(po);
                placed = true;
            } else if (!samePlacement(pl, last)) {
                po.move = true;
                perFrame[size_t(f)] += placeObject(po);
            }
            last = pl;
        }
    }
}

} // namespace fotarel::templatec
