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
constexpr uint32_t kMouseMove = 0x08, kMouseDown = 0x10, kMouseUp = 0x20, kKeyDown = 0x40, kKeyUp = 0x80;
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

// Button condition flags (the low byte of a BUTTONCONDACTION) per event.
uint16_t buttonCondition(avm1::ClipEvent event)
{
    switch (event) {
    case avm1::ClipEvent::RollOver: return 0x01;       // idle -> over up
    case avm1::ClipEvent::RollOut: return 0x02;        // over up -> idle
    case avm1::ClipEvent::Press: return 0x04;          // over up -> over down
    case avm1::ClipEvent::Release: return 0x08;        // over down -> over up
    case avm1::ClipEvent::DragOut: return 0x10;        // over down -> out down
    case avm1::ClipEvent::DragOver: return 0x20;       // out down -> over down
    case avm1::ClipEvent::ReleaseOutside: return 0x40; // out down -> idle
    default: return 0;
    }
}

// The state a button shows after an event (0 up, 1 over, 2 down).
int stateAfter(avm1::ClipEvent event, int state)
{
    switch (event) {
    case avm1::ClipEvent::RollOver:
    case avm1::ClipEvent::Release:
    case avm1::ClipEvent::DragOut: return 1;
    case avm1::ClipEvent::Press:
    case avm1::ClipEvent::DragOver: return 2;
    case avm1::ClipEvent::RollOut:
    case avm1::ClipEvent::ReleaseOutside: return 0;
    default: return state;
    }
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

bool Clip::buttonHit(const QPointF& levelPx) const
{
    const QTransform t = toLevelTransform();
    const QPointF p = levelPx * 20.0;
    for (const auto& part : buttonHitParts)
        if (part->hitsShapes(p, part->toParent() * t, 1))
            return true;
    return false;
}

// Shows the records of a button's state as its children and keeps the
// records of its hit state for the mouse.
void Player::showButtonState(Clip& button, int state)
{
    const auto* b = button.character ? std::get_if<Button>(button.character.get()) : nullptr;
    if (!b)
        return;
    const bool first = button.buttonHitParts.empty() && button.children.empty();
    if (!first && state == button.buttonState)
        return;
    button.buttonState = state;
    button.children.clear();
    for (const ButtonRecord& rec : b->records) {
        const bool shown = rec.states & (1u << state);
        const bool hit = first && (rec.states & 0x08);
        if (!shown && !hit)
            continue;
        for (int pass = 0; pass < 2; ++pass) {
            if ((pass == 0 && !shown) || (pass == 1 && !hit))
                continue;
            auto part = instantiate(button, button.movie, rec.characterId, rec.depth);
            if (!part)
                continue;
            part->matrix = rec.matrix;
            part->cxform = rec.colorTransform;
            part->filters = rec.filters;
            part->blendMode = rec.blendMode;
            if (pass == 1) {
                button.buttonHitParts.push_back(std::move(part));
                continue;
            }
            Clip* raw = part.get();
            button.children[rec.depth] = std::move(part);
            if (raw->timeline)
                enterFrame(*raw, 0, true);
        }
    }
}

void Player::mouseClipEvent(avm1::ClipEvent event, uint32_t mask, const QString& listenerMessage)
{
    inputClipEvent(event, mask, QStringLiteral("Mouse"), listenerMessage);
}

void Player::inputClipEvent(avm1::ClipEvent event, uint32_t mask, const QString& broadcaster,
                            const QString& listenerMessage)
{
    if (!root_ || !engine_)
        return;
    std::vector<std::shared_ptr<avm1::ClipLink>> clips;
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
        if (it->second)
            collectClips(*it->second, clips, 0);
    collectClips(*root_, clips, 0);
    // Key handlers (onKeyDown, onKeyUp) belong to the focused object alone;
    // onClipEvent(keyDown) reaches every clip.
    const bool focusedOnly = event == avm1::ClipEvent::KeyDown || event == avm1::ClipEvent::KeyUp;
    size_t done = 0;
    for (const auto& link : clips) {
        if (++done > size_t(kMaxQueuedPerCall))
            break;
        Clip* c = alive(link);
        if (!c)
            continue;
        runClipEventBytes(*c, mask);
        if (alive(link) && !focusedOnly)
            engine_->clipEvent(*c, event);
    }
    if (focusedOnly)
        if (Clip* f = alive(focus_))
            engine_->clipEvent(*f, event);
    engine_->broadcastInput(broadcaster, listenerMessage);
    runQueued();
}

// The topmost button-like clip whose painted shapes lie under
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
        // A disabled clip catches no new mouse, but keeps the mouse it has.
        if (handles && (enabled || hovered_ == clip.link()))
            return clip.hitTestPoint(levelPx.x(), levelPx.y(), true) ? &clip : nullptr;
    }
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        Clip& c = *it->second;
        if (c.kind == Clip::Kind::Button && c.visible && c.buttonHit(levelPx)) {
            bool enabled = true;
            engine_->clipButtonState(c, &enabled);
            if (enabled || hovered_ == c.link())
                return &c;
        }
        if (c.isSprite())
            if (Clip* hit = pickButton(c, levelPx, nesting + 1))
                return hit;
    }
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
    if (clip->kind == Clip::Kind::Button) {
        showButtonState(*clip, stateAfter(event, clip->buttonState));
        const auto* b = clip->character ? std::get_if<Button>(clip->character.get()) : nullptr;
        const uint16_t condition = buttonCondition(event);
        // A button's actions run on the timeline it sits in.
        if (b && clip->parentClip)
            for (const ButtonAction& a : b->actions)
                if ((a.conditions & condition) && !a.actions.isEmpty() && alive(link))
                    engine_->runActions(a.actions, clip->swfVersion(), *clip->parentClip);
        if (!alive(link))
            return false;
    }
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
    Clip* pressed = alive(pressed_);
    if (mouseDown_ && !pressed)
        return; // pressed outside any button: buttons wait for the release
    hovered_ = top ? top->link() : nullptr;
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

void Player::mouseButton(const QPointF& stagePx, bool down, int button)
{
    if (down)
        keysDown_.insert(button);
    else
        keysDown_.erase(button);
    if (button != 1) {
        mouse_ = stagePx;
        return; // only the left button presses buttons and sends mouse events
    }
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
        clickFocus();
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

// Key codes as the Flash Player numbers them, for the key names of recorded input.
static int keyCodeOf(const QString& name)
{
    static const std::map<QString, int> named = {
        {QStringLiteral("Backspace"), 8},  {QStringLiteral("Tab"), 9},          {QStringLiteral("Enter"), 13},
        {QStringLiteral("Shift"), 16},     {QStringLiteral("LeftShift"), 16},   {QStringLiteral("RightShift"), 16},
        {QStringLiteral("Control"), 17},   {QStringLiteral("LeftControl"), 17}, {QStringLiteral("RightControl"), 17},
        {QStringLiteral("Alt"), 18},       {QStringLiteral("LeftAlt"), 18},     {QStringLiteral("RightAlt"), 18},
        {QStringLiteral("Pause"), 19},     {QStringLiteral("CapsLock"), 20},    {QStringLiteral("Escape"), 27},
        {QStringLiteral("Space"), 32},     {QStringLiteral("PageUp"), 33},      {QStringLiteral("PageDown"), 34},
        {QStringLiteral("End"), 35},       {QStringLiteral("Home"), 36},        {QStringLiteral("ArrowLeft"), 37},
        {QStringLiteral("ArrowUp"), 38},   {QStringLiteral("ArrowRight"), 39},  {QStringLiteral("ArrowDown"), 40},
        {QStringLiteral("Left"), 37},      {QStringLiteral("Up"), 38},          {QStringLiteral("Right"), 39},
        {QStringLiteral("Down"), 40},      {QStringLiteral("Insert"), 45},      {QStringLiteral("Delete"), 46},
    };
    if (auto it = named.find(name); it != named.end())
        return it->second;
    if (name.size() == 1) {
        const QChar c = name.at(0).toUpper();
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return c.unicode();
        static const QString punct = QStringLiteral(";=,-./`");
        if (const auto i = punct.indexOf(c); i >= 0)
            return 186 + int(i);
        static const QString brackets = QStringLiteral("[\\]'");
        if (const auto i = brackets.indexOf(c); i >= 0)
            return 219 + int(i);
    }
    if (name.size() >= 2 && name.startsWith(QLatin1Char('F'))) {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 15)
            return 111 + n;
    }
    return 0;
}

// The character a key gives, for Key.getAscii.
static int keyAsciiOf(const QString& name, int code)
{
    if (name.size() == 1)
        return name.at(0).unicode();
    switch (code) {
    case 8: return 8;
    case 9: return 9;
    case 13: return 13;
    case 27: return 27;
    case 32: return 32;
    case 46: return 127;
    default: return 0;
    }
}

void Player::key(const QString& name, bool down)
{
    const int code = keyCodeOf(name);
    if (down) {
        lastKeyCode_ = code;
        lastKeyAscii_ = keyAsciiOf(name, code);
        if (code)
            keysDown_.insert(code);
        inputClipEvent(avm1::ClipEvent::KeyDown, kKeyDown, QStringLiteral("Key"), QStringLiteral("onKeyDown"));
        if (code == 9) {
            tabFocus(keysDown_.count(16) > 0);
            runQueued();
        }
    } else {
        keysDown_.erase(code);
        inputClipEvent(avm1::ClipEvent::KeyUp, kKeyUp, QStringLiteral("Key"), QStringLiteral("onKeyUp"));
    }
}

void Player::textInput(const QString& text)
{
    Q_UNUSED(text);
}

} // namespace fotarel::swf
