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
    // Keeps of `content` (a layer covering `area`) only what `mask` covers.
    void applyMask(QPainter& content, const QRect& area, const Clip& mask, const QTransform& maskWorld, int nesting);
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
    // render_filters.cpp: blurs painted small, shadows drawn under their source.
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
    // render_skips.cpp: work that cannot change a pixel.
    // Whether the clip hides all of `area` (device pixels) with opaque paint.
    bool coversOpaquely(const Clip& clip, const QTransform& parentWorld, const ColorTransform& parentCx,
                        const QRectF& area, int nesting) const;
    // The index in list[begin, end) painting starts from: the topmost
    // object that hides the whole area opaquely.
    size_t firstVisible(const Context& ctx, const std::vector<const Clip*>& list, size_t begin, size_t end,
                        const QTransform& world, const ColorTransform& cx, int nesting) const;
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

    DisplayTree& tree_;
    std::unordered_map<const void*, CompiledShape> shapes_;
    std::map<std::pair<const void*, int>, CompiledShape> morphs_;
    std::map<std::pair<qint64, QByteArray>, QImage> tinted_;
    ImageLevels levels_;
    std::deque<QImage> layers_; // deque: references stay valid while deeper layers are added
    double pixelScale_ = 1; // device pixels per stage pixel
    QTransform base_;       // stage twips -> target pixels
    int layerDepth_ = 0;
    int groupDepth_ = 0;      // objects above painted as pictures of their own (blend modes, filters)
    int maskPainting_ = 0;    // painting a mask: its fills only
    int blurredPainting_ = 0; // inside paintSmall: what is painted is blurred or shadowed next
    bool highQuality_ = true;
    bool skipHidden_ = true;
};

} // namespace fotarel::swf
