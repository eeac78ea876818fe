#pragma once

// Fills and outlines of the shapes the template compiler draws: fill styles,
// closed contours in twips (sizes and positions given in pixels), the
// transition masks and title glyph outlines.

#include "tools/templatec/scene.h"
#include "tools/templatec/swf_writer.h"

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QString>

#include <vector>

namespace fotarel::templatec {

inline constexpr double kTw = 20.0; // twips per pixel

// `alpha` < 0 keeps the colour's own alpha.
swf::Rgba rgba(const QColor& c, int alpha = -1);
swf::FillStyle solid(const QColor& c);
// Linear gradient across a w x h box centred on the origin, `angleDeg` the
// direction from the first colour to the second (90 = top to bottom).
swf::FillStyle linear(const std::vector<swf::GradientStop>& stops, double w, double h, double angleDeg);
swf::FillStyle radial(const std::vector<swf::GradientStop>& stops, double rx, double ry);

Contour rectContour(double cx, double cy, double w, double h);
Contour ellipseContour(double cx, double cy, double rx, double ry, int n = 72);
Contour roundRectContour(double cx, double cy, double w, double h, double r);
// A heart of the given width, centred on (cx, cy).
Contour heartContour(double cx, double cy, double size, int n = 96);
Contour starContour(double cx, double cy, double r1, double r2, int points, double rotDeg = -90);
// A petal `len` long and `width` wide, centred on the origin.
Contour petalContour(double len, double width);
Contour polygon(const std::vector<QPointF>& pxPoints);
// The closed subpaths of a path given in pixels.
std::vector<Contour> pathContours(const QPainterPath& path);

// Mask geometry on the stage for a progress p in [0, 1].
std::vector<Contour> maskContours(const MaskDef& m, double p);
// Complement inside a large rectangle: hides what the contours show.
std::vector<Contour> invert(std::vector<Contour> c);

// Glyph outlines of a title, centred on the origin, in pixels. Needs a
// QGuiApplication (fonts are read at compile time only).
QPainterPath titleOutline(const QString& text, const QString& font, double pixelSize);

} // namespace fotarel::templatec
