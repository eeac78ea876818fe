// Mouse and keyboard input: clip events (onClipEvent(mouseDown) and the
// onMouseDown handlers), the Mouse and Key listeners, and movie clips that act
// as buttons (onPress, onRelease, onRollOver, ...).
//
// Order of one mouse event, as the Flash Player does it: the clip events of
// every clip (children before their parent, the top of the display list
// first), then the Mouse listeners, then the button events of the clip under
// the mouse.

#include "swf/player.h"

#include <cmath>

namespace fotarel::swf {

namespace {

// onClipEvent flags (the low bits of a clip action's event mask).
constexpr uint32_t kMouseMove = 0x08, kMouseDown = 0x10, kMouseUp = 0x20;
constexpr uint32_t kPress = 0x400, kRelease = 0x800, kReleaseOutside = 0x1000, kRollOver = 0x2000,
                   kRollOut = 0x4000, kDragOver = 0x8000, kDragOut = 0x10000;
constexpr uint32_t kButtonEvents = kPress | kRelease | kReleaseOutside | kRollOver | kRollOut | kDragOver | kDragOut;

// The movie clips that receive mouse clip events, in the order they get them.
void collectClips(Clip& clip, std::vector<std::shared_ptr<avm1::ClipLink>>& out, int nesting)
{
    if (nesting > limits::kMaxNesting)
        return;
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it)
        if (it->second->isSprite())
            collectClips(*it->second, out, nesting + 1);
    out.push_back(clip.link());
}

Clip* alive(const std::shared_ptr<avm1::ClipLink>& link)
{
    return link ? static_cast<Clip*>(link->clip) : nullptr;
}

} // namespace

QPointF Clip::localMouse() const
{
    bool invertible = false;
    const QTransform toLocal = worldTransform().inverted(&invertible);
    const QPointF stage = player.mousePosition() * 20.0;
    // The Flash Player answers in whole twips.
    const QPointF local = invertible ? toLocal.map(stage) : stage - QPointF(matrix.tx, matrix.ty);
    return QPointF(std::round(local.x()) / 20.0, std::round(local.y()) / 20.0);
}

void Player::mouseClipEvent(avm1::ClipEvent event, uint32_t mask, const QString& listenerMessage)
{
    if (!root_ || !engine_)
        return;
    std::vector<std::shared_ptr<avm1::ClipLink>> clips;
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
        if (it->second)
            collectClips(*it->second, clips, 0);
    collectClips(*root_, clips, 0);
    size_t done = 0;
    for (const auto& link : clips) {
        if (++done > size_t(kMaxQueuedPerCall))
            break;
        Clip* c = alive(link);
        if (!c)
            continue;
        runClipEventBytes(*c, mask);
        if (alive(link))
            engine_->clipEvent(*c, event);
    }
    engine_->broadcastInput(QStringLiteral("Mouse"), listenerMessage);
    runQueued();
}

// The topmost enabled-or-not button-like clip whose painted shapes lie under
// the point; a clip that acts as a button takes the mouse for its children.
// Level roots never act as buttons.
Clip* Player::pickButton(Clip& clip, const QPointF& levelPx, int nesting)
{
    if (!clip.visible || nesting > limits::kMaxNesting)
        return nullptr;
    if (clip.parentClip && clip.isSprite()) {
        bool enabled = true;
        bool handles = engine_->clipButtonState(clip, &enabled);
        for (const ClipAction& a : clip.clipActions)
            handles = handles || (a.events & kButtonEvents);
        if (handles)
            return clip.hitTestPoint(levelPx.x(), levelPx.y(), true) ? &clip : nullptr;
    }
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it)
        if (it->second->isSprite())
            if (Clip* hit = pickButton(*it->second, levelPx, nesting + 1))
                return hit;
    return nullptr;
}

// Runs a button event's onClipEvent bytes and handler unless the clip is
// disabled. Returns whether the clip still exists.
bool Player::buttonEvent(Clip* clip, avm1::ClipEvent event, uint32_t mask)
{
    if (!clip || !engine_)
        return false;
    auto link = clip->link();
    bool enabled = true;
    engine_->clipButtonState(*clip, &enabled);
    if (!enabled)
        return true;
    runClipEventBytes(*clip, mask);
    if (alive(link))
        engine_->clipEvent(*clip, event);
    return alive(link) != nullptr;
}

void Player::updateHover()
{
    if (!root_ || !engine_)
        return;
    Clip* top = nullptr;
    for (auto it = levels_.rbegin(); it != levels_.rend() && !top; ++it)
        if (it->second)
            top = pickButton(*it->second, mouse_, 0);
    if (!top)
        top = pickButton(*root_, mouse_, 0);
    Clip* was = alive(hovered_);
    if (top == was)
        return;
    hovered_ = top ? top->link() : nullptr;
    Clip* pressed = alive(pressed_);
    if (pressed) {
        // While the mouse is down only the pressed button hears of it.
        if (was == pressed)
            buttonEvent(pressed, avm1::ClipEvent::DragOut, kDragOut);
        else if (top == pressed)
            buttonEvent(pressed, avm1::ClipEvent::DragOver, kDragOver);
    } else {
        if (was)
            buttonEvent(was, avm1::ClipEvent::RollOut, kRollOut);
        if (Clip* now = alive(hovered_))
            buttonEvent(now, avm1::ClipEvent::RollOver, kRollOver);
    }
    runQueued();
}

void Player::mouseMove(const QPointF& stagePx)
{
    mouse_ = stagePx;
    mouseClipEvent(avm1::ClipEvent::MouseMove, kMouseMove, QStringLiteral("onMouseMove"));
    updateHover();
}

void Player::mouseButton(const QPointF& stagePx, bool down)
{
    const bool moved = stagePx != mouse_;
    mouse_ = stagePx;
    if (moved) {
        mouseClipEvent(avm1::ClipEvent::MouseMove, kMouseMove, QStringLiteral("onMouseMove"));
        updateHover();
    }
    if (down == mouseDown_)
        return;
    mouseDown_ = down;
    if (down) {
        mouseClipEvent(avm1::ClipEvent::MouseDown, kMouseDown, QStringLiteral("onMouseDown"));
        Clip* over = alive(hovered_);
        pressed_ = over ? over->link() : nullptr;
        if (over)
            buttonEvent(over, avm1::ClipEvent::Press, kPress);
    } else {
        mouseClipEvent(avm1::ClipEvent::MouseUp, kMouseUp, QStringLiteral("onMouseUp"));
        Clip* pressed = alive(pressed_);
        pressed_.reset();
        if (pressed) {
            if (pressed == alive(hovered_)) {
                buttonEvent(pressed, avm1::ClipEvent::Release, kRelease);
            } else {
                buttonEvent(pressed, avm1::ClipEvent::ReleaseOutside, kReleaseOutside);
                // What is under the mouse now was not rolled over while it was down.
                hovered_.reset();
            }
        }
    }
    runQueued();
    updateHover();
}

void Player::key(const QString& name, bool down)
{
    Q_UNUSED(name);
    Q_UNUSED(down);
}

void Player::textInput(const QString& text)
{
    Q_UNUSED(text);
}

} // namespace fotarel::swf
