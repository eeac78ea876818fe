// Work the renderer leaves out because it cannot change a pixel: a mask
// whose filled area contains everything it masks (an iris or a wipe that
// has opened completely) is not drawn into layers, and a shape whose opaque
// fill covers the whole area hides what lies under it, which is then not
// painted. Only shapes already compiled for painting are looked at, so
// these checks cost a few path tests a frame.
#include "swf/renderer.h"

#include <algorithm>

namespace fotarel::swf {

namespace {

// Device pixels added around what is masked before the test, so that no
// edge pixel the mask covers only partly is left out.
constexpr double kEdgeSlack = 2.0;

bool fillOpaque(const FillStyle& fill)
{
    if (fill.type == FillType::Solid)
        return fill.color.a == 255;
    if (fill.isGradient())
        return !fill.gradient.stops.empty() &&
               std::all_of(fill.gradient.stops.begin(), fill.gradient.stops.end(),
                           [](const GradientStop& s) { return s.color.a == 255; });
    return false;
}

} // namespace

const CompiledShape* Renderer::knownShape(const Clip& clip) const
{
    if (clip.kind != Clip::Kind::Shape)
        return nullptr;
    const auto it = shapes_.find(&std::get<ShapeData>(*clip.character));
    return it == shapes_.end() ? nullptr : &it->second;
}

bool Renderer::shapeCoversOpaquely(const Clip& clip, const QTransform& world, const QRectF& area) const
{
    // The caller has checked the clip's visibility, filters, blend mode and
    // that its colour transform keeps full alpha.
    const CompiledShape* shape = knownShape(clip);
    if (!shape)
        return false;
    for (const ShapeLayer& layer : shape->layers)
        for (const StyledPath& fill : layer.fills)
            if (fill.style >= 0 && size_t(fill.style) < shape->fills.size() &&
                fillOpaque(shape->fills[size_t(fill.style)]) && world.map(fill.path).contains(area))
                return true;
    return false;
}

bool Renderer::maskContains(const Clip& mask, const QTransform& maskWorld, const QRectF& rect, int nesting) const
{
    if (!mask.visible || nesting > limits::kMaxNesting)
        return false;
    // The mask is drawn opaque, so any fill of it counts, whatever its
    // colour; strokes and pictures are not counted (they only add).
    if (const CompiledShape* shape = knownShape(mask)) {
        for (const ShapeLayer& layer : shape->layers)
            for (const StyledPath& fill : layer.fills)
                if (maskWorld.map(fill.path).contains(rect))
                    return true;
        return false;
    }
    if (mask.kind != Clip::Kind::Sprite)
        return false;
    for (const auto& [depth, child] : mask.children) {
        if (child->isMaskOf || child->clipDepth > 0 || child->maskClip || !child->filters.empty() ||
            child->blendMode != BlendMode::Normal)
            continue;
        if (maskContains(*child, child->toParent() * maskWorld, rect, nesting + 1))
            return true;
    }
    return false;
}

int Renderer::spread(const Clip& clip, int nesting) const
{
    // A blend mode blends with what lies under it: inside the mask's layer
    // that is not the picture under the mask, so such content keeps its mask.
    if (nesting > limits::kMaxNesting || clip.blendMode != BlendMode::Normal || clip.maskClip)
        return -1;
    int inner = 0;
    for (const auto& [depth, child] : clip.children) {
        const int s = spread(*child, nesting + 1);
        if (s < 0)
            return -1;
        inner = std::max(inner, s);
    }
    return filterMargin(clip.filters, pixelScale_) + inner;
}

bool Renderer::maskHidesNothing(const Clip& mask, const QTransform& maskWorld, const std::vector<const Clip*>& list,
                                size_t begin, size_t end, const QTransform& world, int nesting) const
{
    QRectF masked;
    for (size_t k = begin; k < end; ++k) {
        const Clip* c = list[k];
        if (c->isMaskOf || !c->visible)
            continue;
        const int s = spread(*c, nesting);
        if (s < 0)
            return false;
        QRectF b = bounds(*c, c->toParent() * world, nesting);
        if (b.isEmpty())
            continue;
        const double m = s + kEdgeSlack;
        b.adjust(-m, -m, m, m);
        masked = masked.isEmpty() ? b : masked.united(b);
    }
    return masked.isEmpty() || maskContains(mask, maskWorld, masked, nesting);
}

bool Renderer::maskIsOpen(const std::vector<const Clip*>& list, const Clip* mask, size_t end, const QTransform& world,
                          int nesting) const
{
    const auto at = std::find(list.begin(), list.begin() + ptrdiff_t(end), mask);
    if (at == list.begin() + ptrdiff_t(end) || !mask->visible)
        return false;
    const size_t i = size_t(at - list.begin());
    size_t j = i + 1;
    while (j < end && list[j]->depthValue <= mask->clipDepth)
        ++j;
    return maskHidesNothing(*mask, mask->toParent() * world, list, i + 1, j, world, nesting);
}

} // namespace fotarel::swf
