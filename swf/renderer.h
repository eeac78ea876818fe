#pragma once

#include "swf/clip.h"
#include "swf/render_cache.h"
#include "swf/shape_paths.h"

#include <QPainter>

#include <deque>
#include <unordered_map>

namespace fotarel::swf {

// What the renderer reads of a player: the stage's movie, the roots of the
// levels in painting order and the text of variables that edit texts show.
class DisplayTree {
public:
    virtual ~DisplayTree() = default;
    virtual const Movie* stageMovie() const = 0;
    virtual std::vector<const Clip*> levelRoots() const = 0; // _level0 first
    virtual std::optional<QString> boundText(const QString& variablePath) = 0;
    // Stage twips of the rectangle drawn around the object that has the
    // keyboard focus, when it shows one.
    virtual std::optional<QRectF> focusHighlight() const { return std::nullopt; }
};

// Paints a player's display list. Parsed shapes are turned into paths once
// and kept; layers for masks, filters and blend modes are reused between
// frames.
class Renderer {
public:
    explicit Renderer(DisplayTree& tree);
    void clear();
    void paint(QImage& target);
    // The Flash Player's quality setting: at low quality shapes are not
    // antialiased and bitmaps are not smoothed (filters stay as they are).
    void setHighQuality(bool high) { highQuality_ = high; }
    bool highQuality() const { return highQuality_; }
    // Objects are painted only where no opaque object above them covers
    // them (on by default; off paints everything, to compare pictures).
    void setSkipHidden(bool skip) { skipHidden_ = skip; }

    // Bounds in the coordinates `toParent` maps the clip's own twips to.
    // Without strokes only drawings made by script leave their line widths
    // out (parsed shapes keep only their outer bounds).
    static QRectF bounds(const Clip& clip, const QTransform& toParent, int nesting = 0, bool withStrokes = true);
    // A shape or morph clip's paths (kept between frames).
    const CompiledShape& compiled(const Clip& clip);

private:
    struct Context {
        QPainter* painter;
        QRect area; // device pixels of the painter's image that matter
        QPoint origin; // device position of the painter's image in the target
    };
    void drawClip(const Context& ctx, const Clip& clip, const QTransform& parentWorld, const ColorTransform& parentCx,
                  int nesting);
    void drawContent(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                     int nesting);
    void fillOpaqueBackground(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx);
    void drawChildren(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                      int nesting);
    void drawRange(const Context& ctx, const std::vector<const Clip*>& list, size_t begin, size_t end,
                   const QTransform& world, const ColorTransform& cx, int nesting);
    void drawShape(QPainter& p, const CompiledShape& shape, const Movie& movie, const QTransform& world,
                   const ColorTransform& cx);
    void drawFocusHighlight(QPainter& p, const QRectF& device);
    void drawStaticText(QPainter& p, const Clip& clip, const QTransform& world, const ColorTransform& cx);
    void drawVideo(QPainter& p, const Clip& clip, const QTransform& world, const ColorTransform& cx);
    void drawImage(QPainter& p, const QImage& img, const QTransform& imageToDevice, const ColorTransform& cx,
                   bool smooth);
    QBrush brush(const FillStyle& fill, const Movie& movie, const ColorTransform& cx);
    QImage transformedImage(const QImage& img, const ColorTransform& cx);
    QImage& layer(int level, const QSize& size);
    int blurShrink(const Clip& clip) const;
    // The clip painted k times smaller into a layer covering `area` (device
    // pixels, widened to whole small pixels, given back in small pixels).
    QImage& paintSmall(const Clip& clip, const QTransform& world, const ColorTransform& cx, int nesting, int k,
                       const QRect& area, QRect& small);
    void drawSmall(const Context& ctx, const QImage& img, const QRect& small, int k, const QRect& clipArea,
                   QPointF offset = {});
    QRect filterArea(const Context& ctx, const Clip& clip, const QTransform& world) const;
    void drawBlurredSmall(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                          int nesting, int k);
    bool drawShadowUnder(const Context& ctx, const Clip& clip, const QTransform& world, const ColorTransform& cx,
                         int nesting);
    bool coversOpaquely(const Clip& clip, const QTransform& parentWorld, const ColorTransform& parentCx,
                        const QRectF& area, int nesting) const;
    // render_skips.cpp: work that cannot change a pixel.
    const CompiledShape* knownShape(const Clip& clip) const;
    bool shapeCoversOpaquely(const Clip& clip, const QTransform& world, const QRectF& area) const;
    bool maskContains(const Clip& mask, const QTransform& maskWorld, const QRectF& rect, int nesting) const;
    int spread(const Clip& clip, int nesting) const;
    bool maskHidesNothing(const Clip& mask, const QTransform& maskWorld, const std::vector<const Clip*>& list,
                          size_t begin, size_t end, const QTransform& world, int nesting) const;
    // A mask of `list` (before `end`) that hides nothing of its range.
    bool maskIsOpen(const std::vector<const Clip*>& list, const Clip* mask, size_t end, const QTransform& world,
                    int nesting) const;
    // Device pixels the clip surely paints opaque (straight onto its
    // painter, normal blending), or less; never more.
    QRegion opaqueRegion(const Clip& clip, const QTransform& parentWorld, const ColorTransform& parentCx,
                         int nesting) const;
    // For each object of list[begin, end): the part of `area` that opaque
    // objects above it (not masked) cover. Empty when nothing is covered.
    std::vector<QRegion> hiddenUnder(const QRect& area, const std::vector<const Clip*>& list, size_t begin, size_t end,
                                     const QTransform& world, const ColorTransform& cx, int nesting) const;
    // drawClip painting only outside `hidden` (device pixels), and not at
    // all when everything it could paint lies inside.
    void drawClipBeside(const Context& ctx, const Clip& clip, const QTransform& parentWorld,
                        const ColorTransform& parentCx, int nesting, const QRegion& hidden);
    size_t firstVisible(const Context& ctx, const std::vector<const Clip*>& list, size_t begin, size_t end,
                        const QTransform& world, const ColorTransform& cx, int nesting) const;

    DisplayTree& tree_;
    std::unordered_map<const void*, CompiledShape> shapes_;
    std::map<std::pair<const void*, int>, CompiledShape> morphs_;
    std::map<std::pair<qint64, QByteArray>, QImage> tinted_;
    ImageLevels levels_;
    std::deque<QImage> layers_; // deque: references stay valid while deeper layers are added
    double pixelScale_ = 1; // device pixels per stage pixel
    QTransform base_;       // stage twips -> target pixels
    int layerDepth_ = 0;
    int groupDepth_ = 0;
    int blurredPainting_ = 0; // inside paintSmall: what is painted is blurred or shadowed next // objects above painted as pictures of their own (blend modes, filters)
    bool highQuality_ = true;
    bool skipHidden_ = true;
};

// Where a clip is painted: filtered and cached objects have their top left
// corner moved onto a whole pixel, as the Flash Player paints them.
QTransform placedWorld(const Clip& clip, const QTransform& parentWorld);

// Filters on a premultiplied image, in device pixels (`scale` = device
// pixels per stage pixel).
void applyFilter(QImage& img, const Filter& filter, double scale);
// A box blur of `passes` passes with boxes `widthX` × `widthY` pixels wide
// (edges fade to transparent). Wide boxes are run on a copy shrunk by up to
// `maxShrink`, which looks the same and costs a fraction; 1 blurs at full
// size.
void boxBlur(QImage& img, double widthX, double widthY, int passes, int maxShrink = 8);
// How far filters spread an object's picture, in device pixels: across and
// down (filterMargins), or the larger of the two (filterMargin).
QSize filterMargins(const std::vector<Filter>& filters, double scale);
int filterMargin(const std::vector<Filter>& filters, double scale);
// Draws the outer shadow or glow of a source painted k times smaller
// (`small`, whose top left corner lies at target pixel `smallCorner`) onto
// `target` within `area`, offset by `offset` target pixels, except where the
// source itself will cover it. `smallScale`: device pixels of `small` per stage
// pixel.
void drawShadowOnto(QImage& target, const QRect& area, const QImage& small, QPoint smallCorner, int k,
                    const Filter& filter, double smallScale, QPoint offset);
// How many times smaller a blur of these radii (device pixels) can be
// computed without a visible difference (1: not at all), keeping the radius
// at least `smallestRadius` pixels at the small size.
int blurShrinkFactor(double radiusX, double radiusY, int smallestRadius = 6);

} // namespace fotarel::swf
