// A display object as scripts see it: properties, frames, children made by
// script, depths and masks. The timeline work itself is the player's.

#include "swf/clip.h"

#include "swf/player.h"
#include "swf/text_field_display.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace fotarel::swf {

Clip::Clip(Player& p, Clip* parent, Kind k) : kind(k), player(p), parentClip(parent) { ++player.liveObjects; }

Clip::~Clip()
{
    // A clip whose parent is gone already had its path kept when it was
    // taken off the display list.
    if (hasLink() && (parentClip || kind == Kind::Sprite))
        rememberPath(targetPath());
    children.clear();
    // Removed clips waiting for their unload event must not keep a pointer to us.
    for (auto& dead : player.graveyard_) {
        if (dead->parentClip == this)
            dead->parentClip = nullptr;
    }
    --player.liveObjects;
}

Clip* Clip::child(int d) const
{
    auto it = children.find(d);
    return it == children.end() ? nullptr : it->second.get();
}

QTransform Clip::toParent() const
{
    if (!scrollRect)
        return matrix.toTransform();
    return QTransform::fromTranslate(-scrollRect->x(), -scrollRect->y()) * matrix.toTransform();
}

QTransform Clip::worldTransform() const
{
    QTransform t = toParent();
    for (const Clip* p = parentClip; p; p = p->parentClip)
        t = t * p->toParent();
    return t;
}

QString Clip::targetPath() const
{
    if (!parentClip)
        return QStringLiteral("_level%1").arg(levelNumber);
    return parentClip->targetPath() + QLatin1Char('.') + instanceName;
}

int Clip::level() const
{
    const Clip* c = this;
    while (c->parentClip)
        c = c->parentClip;
    return c->levelNumber;
}

avm1::DisplayObjectHost* Clip::childByName(const QString& n, bool caseSensitive) const
{
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const auto& [d, c] : children) {
        if (!c->instanceName.isEmpty() && c->instanceName.compare(n, cs) == 0)
            return c->scriptable() ? static_cast<DisplayObjectHost*>(c.get()) : const_cast<Clip*>(this);
    }
    return nullptr;
}

QStringList Clip::childNames() const
{
    QStringList out;
    for (const auto& [d, c] : children) {
        if (!c->instanceName.isEmpty())
            out << c->instanceName;
    }
    return out;
}

QString Clip::url() const
{
    for (const Clip* c = this; c; c = c->parentClip) {
        if (!c->movieUrl.isEmpty())
            return c->movieUrl;
    }
    return {};
}

const Clip::Decomposed& Clip::decomposed() const
{
    Decomposed& d = decomposed_;
    if (d.a != matrix.a || d.b != matrix.b || d.c != matrix.c || d.d != matrix.d) {
        d = Decomposed{matrix.a, matrix.b, matrix.c, matrix.d, std::hypot(matrix.a, matrix.b),
                       std::hypot(matrix.c, matrix.d), std::atan2(matrix.b, matrix.a), std::atan2(-matrix.c, matrix.d)};
    }
    return d;
}

double Clip::scaleX() const { return decomposed().scaleX; }
double Clip::scaleY() const { return decomposed().scaleY; }
double Clip::rotation() const { return qRadiansToDegrees(decomposed().rotationX); }

void Clip::setScaleRotation(double sx, double sy, double rotDegrees)
{
    const Decomposed old = decomposed();
    const double rx = qDegreesToRadians(rotDegrees);
    // The angle between the axes (a skew) stays as it is.
    const double ry = old.rotationY + (rx - old.rotationX);
    matrix.a = sx * std::cos(rx);
    matrix.b = sx * std::sin(rx);
    matrix.c = -sy * std::sin(ry);
    matrix.d = sy * std::cos(ry);
    decomposed_ = Decomposed{matrix.a, matrix.b, matrix.c, matrix.d, sx, sy, rx, ry};
}

double Clip::property(avm1::Property p) const
{
    using P = avm1::Property;
    switch (p) {
    case P::X: return matrix.tx / 20.0;
    case P::Y: return matrix.ty / 20.0;
    case P::XScale: return scaleX() * 100;
    case P::YScale: return scaleY() * 100;
    case P::CurrentFrame: return currentFrame();
    case P::TotalFrames: return totalFrames();
    case P::FramesLoaded: return totalFrames();
    case P::Alpha: return double(cxform.aMul) * 100;
    case P::Visible: return visible ? 1 : 0;
    case P::Width:
    case P::Height: {
        // Measured in whole twips, as the Flash Player keeps bounds.
        const QRectF b = clipBounds(*this, toParent());
        if (b.isEmpty() && b.width() <= 0 && b.height() <= 0)
            return 0;
        return p == P::Width ? (std::round(b.right()) - std::round(b.left())) / 20.0
                             : (std::round(b.bottom()) - std::round(b.top())) / 20.0;
    }
    case P::Rotation: return rotation();
    case P::HighQuality: return 1;
    case P::FocusRect: return 1;
    case P::SoundBufTime: return 5;
    case P::XMouse: return localMouse().x();
    case P::YMouse: return localMouse().y();
    default: return 0;
    }
}

void Clip::setProperty(avm1::Property p, double v)
{
    using P = avm1::Property;
    if (!std::isfinite(v))
        return;
    switch (p) {
    case P::X: matrix.tx = pixelsToTwips(v); break;
    case P::Y: matrix.ty = pixelsToTwips(v); break;
    case P::XScale: setScaleRotation(v / 100, scaleY(), rotation()); break;
    case P::YScale: setScaleRotation(scaleX(), v / 100, rotation()); break;
    case P::Alpha:
        // Kept as the Flash Player keeps it: a signed 8.8 fixed-point
        // multiplier, cut toward zero (30 reads back as 29.6875 and paints
        // as 76/256).
        cxform.aMul = float(std::trunc(std::clamp(v * 256 / 100, -32768.0, 32767.0)) / 256);
        break;
    case P::Visible:
        visible = v != 0;
        if (!visible)
            player.dropFocusWithin(*this);
        break;
    case P::Rotation: {
        double r = std::fmod(v, 360);
        if (r > 180)
            r -= 360;
        else if (r < -180)
            r += 360;
        setScaleRotation(scaleX(), scaleY(), r);
        break;
    }
    case P::Width:
    case P::Height: {
        if (field) {
            resizeTextField(p == P::Width, v);
            break;
        }
        const QRectF local = clipBounds(*this, QTransform());
        const double size = p == P::Width ? local.width() : local.height();
        if (size <= 0)
            break;
        const double target = v * 20;
        // The new scale makes the untransformed size (times the current
        // rotation-free scale) match the requested one.
        if (p == P::Width)
            setScaleRotation(target / size, scaleY(), rotation());
        else
            setScaleRotation(scaleX(), target / size, rotation());
        break;
    }
    default:
        break;
    }
}

void Clip::gotoFrame(int f, bool andPlay)
{
    playing = andPlay;
    if (timeline)
        player.gotoFrame(*this, f - 1);
}

int Clip::frameOfLabel(const QString& label) const
{
    if (!timeline)
        return 0;
    for (const auto& [name, f] : timeline->labels) {
        if (name.compare(label, Qt::CaseInsensitive) == 0)
            return f + 1;
    }
    return 0;
}

std::vector<avm1::ActionBlock> Clip::frameActions(int f) const
{
    std::vector<avm1::ActionBlock> out;
    if (!timeline || f < 1 || f > int(timeline->frames.size()))
        return out;
    for (const FrameItem& item : timeline->frames[size_t(f - 1)].items) {
        if (item.kind == FrameItem::Action)
            out.push_back(avm1::ActionBlock{item.actions, swfVersion()});
    }
    return out;
}

avm1::ColorTransformValues Clip::colorTransform() const
{
    avm1::ColorTransformValues v;
    v.ra = double(cxform.rMul) * 100;
    v.ga = double(cxform.gMul) * 100;
    v.ba = double(cxform.bMul) * 100;
    v.aa = double(cxform.aMul) * 100;
    v.rb = cxform.rAdd;
    v.gb = cxform.gAdd;
    v.bb = cxform.bAdd;
    v.ab = cxform.aAdd;
    return v;
}

void Clip::setColorTransform(const avm1::ColorTransformValues& v)
{
    // The ranges of the Flash Player's signed 16-bit fields (8.8 multipliers).
    auto mul = [](double x) { return std::isfinite(x) ? float(std::clamp(x, -12800.0, 12800.0) / 100) : 1.f; };
    auto add = [](double x) { return std::isfinite(x) ? float(std::clamp(x, -32768.0, 32767.0)) : 0.f; };
    cxform.rMul = mul(v.ra);
    cxform.gMul = mul(v.ga);
    cxform.bMul = mul(v.ba);
    cxform.aMul = mul(v.aa);
    cxform.rAdd = add(v.rb);
    cxform.gAdd = add(v.gb);
    cxform.bAdd = add(v.bb);
    cxform.aAdd = add(v.ab);
}

avm1::DisplayProps Clip::displayProps() const
{
    avm1::DisplayProps p;
    p.blendMode = blendMode == BlendMode::Normal ? 1 : int(blendMode);
    p.cacheAsBitmap = cacheAsBitmap;
    p.focusRect = focusRect;
    if (opaqueBackground)
        p.opaqueBackground = uint32_t(opaqueBackground->r) << 16 | uint32_t(opaqueBackground->g) << 8 |
                             opaqueBackground->b;
    if (scrollRect)
        p.scrollRect = std::array<double, 4>{scrollRect->x() / 20, scrollRect->y() / 20, scrollRect->width() / 20,
                                             scrollRect->height() / 20};
    return p;
}

void Clip::setDisplayProps(const avm1::DisplayProps& p)
{
    blendMode = p.blendMode <= 1 ? BlendMode::Normal : BlendMode(std::min(p.blendMode, 14));
    cacheAsBitmap = p.cacheAsBitmap;
    focusRect = p.focusRect;
    if (p.opaqueBackground)
        opaqueBackground = Rgba{uint8_t(*p.opaqueBackground >> 16), uint8_t(*p.opaqueBackground >> 8),
                                uint8_t(*p.opaqueBackground), 255};
    else
        opaqueBackground.reset();
    scrollRect.reset();
    if (p.scrollRect) {
        // Kept within the range twips are (a rectangle beyond it shows
        // nothing more); one that is not a number takes the scroll away.
        constexpr double kMax = 1 << 26;
        const auto& r = *p.scrollRect;
        if (std::all_of(r.begin(), r.end(), [](double v) { return std::isfinite(v); }))
            scrollRect = QRectF(std::clamp(r[0] * 20, -kMax, kMax), std::clamp(r[1] * 20, -kMax, kMax),
                                std::clamp(r[2] * 20, 0.0, kMax), std::clamp(r[3] * 20, 0.0, kMax));
    }
}

avm1::DisplayObjectHost* Clip::createEmptyMovieClip(const QString& n, int d)
{
    if (!isSprite() || player.nestingOf(*this) >= limits::kMaxNesting ||
        player.liveObjects >= limits::kMaxDisplayObjects)
        return nullptr;
    auto c = std::make_unique<Clip>(player, this, Kind::Sprite);
    c->movie = movie;
    c->instanceName = n;
    c->depthValue = d + kScriptDepthBase;
    c->placedByScript = true;
    c->frame = 0;
    c->bornTick = player.currentTick();
    Clip* out = c.get();
    children[c->depthValue] = std::move(c);
    return out;
}

double Clip::exportedSoundMs(const QString& exportName) const
{
    if (!movie)
        return -1;
    for (const auto& [name, id] : movie->exports) {
        if (name.compare(exportName, Qt::CaseInsensitive) != 0)
            continue;
        const auto it = movie->soundLengthsMs.find(id);
        if (it != movie->soundLengthsMs.end())
            return it->second;
    }
    return -1;
}

avm1::DisplayObjectHost* Clip::attachMovie(const QString& exportName, const QString& n, int d)
{
    if (!isSprite() || !movie)
        return nullptr;
    uint16_t id = 0;
    for (const auto& [name, cid] : movie->exports) {
        if (name.compare(exportName, Qt::CaseInsensitive) == 0)
            id = cid;
    }
    if (!id)
        return nullptr;
    auto c = player.instantiate(*this, movie, id, d + kScriptDepthBase);
    if (!c)
        return nullptr;
    c->instanceName = n;
    c->placedByScript = true;
    Clip* out = c.get();
    children[out->depthValue] = std::move(c);
    if (out->timeline)
        player.enterFrame(*out, 0, true);
    player.queueActions(*out, QByteArray()); // load event
    return out;
}

avm1::DisplayObjectHost* Clip::duplicate(const QString& n, int d)
{
    if (!parentClip)
        return nullptr;
    std::unique_ptr<Clip> c;
    if (character) {
        c = player.instantiate(*parentClip, movie, characterId, d + kScriptDepthBase);
    } else if (isSprite() && player.nestingOf(*parentClip) < limits::kMaxNesting &&
               player.liveObjects < limits::kMaxDisplayObjects) {
        // A clip made by script (or holding a loaded movie): the copy is an
        // empty clip.
        c = std::make_unique<Clip>(player, parentClip, Kind::Sprite);
        c->movie = movie;
        c->depthValue = d + kScriptDepthBase;
        c->frame = 0;
        c->bornTick = player.currentTick();
    }
    if (!c)
        return nullptr;
    if (drawing)
        c->drawing = std::make_unique<Drawing>(*drawing);
    c->instanceName = n;
    c->placedByScript = true;
    c->matrix = matrix;
    c->cxform = cxform;
    c->ratio = ratio;
    c->clipActions = clipActions;
    c->filters = filters;
    c->blendMode = blendMode;
    c->cacheAsBitmap = cacheAsBitmap;
    c->opaqueBackground = opaqueBackground;
    Clip* out = c.get();
    // A copy placed at this clip's own depth replaces it: nothing of `this`
    // may be used after the assignment.
    Player& owner = player;
    parentClip->children[out->depthValue] = std::move(c);
    if (out->timeline)
        owner.enterFrame(*out, 0, true);
    owner.queueActions(*out, QByteArray());
    return out;
}

bool Clip::removeFromParent()
{
    // Script depths 0 to 2130690031 can be removed; the timeline's (below 0)
    // and the Flash Player's reserved top ones cannot.
    constexpr int kHighestRemovable = 2130690031;
    if (!parentClip || depthValue < kScriptDepthBase || depthValue - kScriptDepthBase > kHighestRemovable)
        return false;
    auto it = parentClip->children.find(depthValue);
    if (it == parentClip->children.end() || it->second.get() != this)
        return false;
    Clip* parent = parentClip;
    player.dropFocusWithin(*this);
    if (player.scriptEngine())
        player.scriptEngine()->clipEvent(*this, avm1::ClipEvent::Unload);
    parent->children.erase(parent->children.find(depthValue)); // destroys this
    return true;
}

void Clip::swapDepths(int d)
{
    if (!parentClip)
        return;
    const int target = d + kScriptDepthBase;
    if (target == depthValue)
        return;
    auto& siblings = parentClip->children;
    auto self = siblings.find(depthValue);
    if (self == siblings.end())
        return;
    std::unique_ptr<Clip> me = std::move(self->second);
    siblings.erase(self);
    auto other = siblings.find(target);
    if (other != siblings.end()) {
        std::unique_ptr<Clip> them = std::move(other->second);
        siblings.erase(other);
        them->depthValue = depthValue;
        them->depthBySwap = true;
        siblings[them->depthValue] = std::move(them);
    }
    me->depthValue = target;
    me->depthBySwap = true;
    siblings[target] = std::move(me);
}

int Clip::nextHighestDepth() const
{
    int best = 0;
    for (const auto& [d, c] : children)
        best = std::max(best, d - kScriptDepthBase + 1);
    return best;
}

void Clip::setMask(avm1::DisplayObjectHost* mask)
{
    if (maskClip)
        maskClip->isMaskOf = false;
    maskClip = dynamic_cast<Clip*>(mask);
    if (maskClip)
        maskClip->isMaskOf = true;
}

void Clip::loadMovie(const QString& u) { player.requestLoad(this, -1, u); }

void Clip::unloadMovie()
{
    // The clip stays, its content goes: its unload handlers hear of it.
    if (timeline && player.scriptEngine())
        player.scriptEngine()->clipEvent(*this, avm1::ClipEvent::Unload);
    children.clear();
    drawing.reset();
    loadedImage = QImage();
    timeline = nullptr;
    frame = -1;
}

} // namespace fotarel::swf
