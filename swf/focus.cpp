// The keyboard focus: which object has it, losing it when that object is
// removed or hidden, moving it with Tab and Shift+Tab, and giving it to the
// text field the mouse goes down on.
//
// Tab order: the objects that take part, in display order (a parent before
// its children, lower depths first): input text fields, buttons and movie
// clips acting as buttons or given a tabIndex, unless scripts set tabEnabled
// (true adds any of them, false removes it); a clip whose tabChildren is false hides its
// descendants; hidden objects never take part. When any of them has a
// tabIndex, only those with one take part, ordered by it (as a signed 32-bit
// number); otherwise the order is by position on the stage, top to bottom and
// then left to right. Tab moves to the first object whose key is greater than
// the focused one's (the first of all when there is none), Shift+Tab to the
// last whose key is smaller: of objects sharing a key only the first is ever
// reached, as in the Flash Player.

#include "swf/player.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf {

namespace {

Clip* alive(const std::shared_ptr<avm1::ClipLink>& link)
{
    return link ? static_cast<Clip*>(link->clip) : nullptr;
}

bool within(const Clip* clip, const Clip& ancestor)
{
    for (int hops = 0; clip && hops <= limits::kMaxNesting + 2; ++hops, clip = clip->parentClip)
        if (clip == &ancestor)
            return true;
    return false;
}

struct TabStop {
    Clip* clip;
    std::optional<int32_t> tabIndex;
    double y, x; // top left corner of its bounds on the stage, twips
};

} // namespace

avm1::DisplayObjectHost* Player::focus() const
{
    return alive(focus_);
}

void Player::storeFocus(avm1::DisplayObjectHost* target)
{
    focus_ = target ? target->link() : nullptr;
    // Whether the object shows the focus rectangle is decided as it takes the
    // focus: _focusrect changed later shows only at the next change. Text
    // fields show their caret instead. From SWF 6 an object's own _focusrect
    // wins over the player's.
    Clip* clip = alive(focus_);
    focusShown_ = clip && !clip->field &&
                  (clip->swfVersion() >= 6 && clip->focusRect ? *clip->focusRect : focusRect_);
}

std::optional<QRectF> Player::focusHighlight() const
{
    const Clip* clip = focusShown_ ? alive(focus_) : nullptr;
    if (!clip)
        return std::nullopt;
    QRectF r;
    if (clip->kind == Clip::Kind::Button) {
        // A button's rectangle is its hit area (none when it has no hit state).
        const QTransform world = clip->worldTransform();
        for (const auto& part : clip->buttonHitParts)
            r |= clipBounds(*part, part->matrix.toTransform() * world);
    } else {
        r = clipBounds(*clip, clip->worldTransform());
    }
    if (r.isEmpty())
        return std::nullopt;
    return r;
}

void Player::focusTo(Clip* target)
{
    if (engine_ && target != alive(focus_))
        engine_->changeFocus(target);
}

void Player::dropFocusWithin(Clip& clip)
{
    if (Clip* f = alive(focus_); f && within(f, clip))
        focusTo(nullptr);
}

// The objects of the Tab order under `clip`, in display order.
void Player::collectTabStops(Clip& clip, std::vector<TabStopRef>& out, int nesting)
{
    if (nesting > limits::kMaxNesting || out.size() >= size_t(kMaxQueuedPerCall))
        return;
    for (auto& [depth, child] : clip.children) {
        Clip& c = *child;
        if (!c.visible)
            continue;
        const bool field = c.kind == Clip::Kind::EditText && c.field;
        if (!field && c.kind != Clip::Kind::Button && !c.isSprite())
            continue;
        const avm1::FocusTraits traits = engine_->focusTraits(c);
        bool byDefault = false;
        if (field)
            byDefault = c.field->editable;
        else if (c.kind == Clip::Kind::Button)
            byDefault = true;
        else
            byDefault = traits.buttonHandlers || traits.tabIndex; // a tabIndex enrols a clip too
        if (traits.tabEnabled.value_or(byDefault))
            out.push_back(TabStopRef{c.link(), traits.tabIndex});
        if (c.isSprite() && traits.tabChildren)
            collectTabStops(c, out, nesting + 1);
    }
}

void Player::tabFocus(bool backward)
{
    if (!root_ || !engine_)
        return;
    std::vector<TabStopRef> refs;
    collectTabStops(*root_, refs, 0);
    for (auto& [n, level] : levels_)
        if (level)
            collectTabStops(*level, refs, 0);
    std::vector<TabStop> stops;
    const bool custom = std::any_of(refs.begin(), refs.end(), [](const TabStopRef& r) { return r.tabIndex; });
    const auto stopOf = [](Clip* c, std::optional<int32_t> index) {
        const QRectF b = clipBounds(*c, c->worldTransform());
        // In whole twips, as the Flash Player keeps positions.
        return TabStop{c, index, std::round(b.top()), std::round(b.left())};
    };
    for (const TabStopRef& r : refs)
        if (Clip* c = alive(r.link); c && (!custom || r.tabIndex))
            stops.push_back(stopOf(c, r.tabIndex));
    if (stops.empty())
        return;
    const auto less = [custom](const TabStop& a, const TabStop& b) {
        if (custom)
            return *a.tabIndex < *b.tabIndex;
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    };
    std::stable_sort(stops.begin(), stops.end(), less);

    // Where the focus is now: its key, when it has one in this order.
    std::optional<TabStop> current;
    if (Clip* f = alive(focus_)) {
        if (custom) {
            if (const avm1::FocusTraits t = engine_->focusTraits(*f); t.tabIndex)
                current = stopOf(f, t.tabIndex);
        } else {
            current = stopOf(f, std::nullopt);
        }
    }
    Clip* next = nullptr;
    if (!backward) {
        next = stops.front().clip;
        if (current)
            for (const TabStop& s : stops)
                if (less(*current, s)) {
                    next = s.clip;
                    break;
                }
    } else {
        // The first of the last run of equal keys below the focused one,
        // or of all when none is below.
        const auto lastBelow = [&](const std::optional<TabStop>& bound) {
            auto pick = stops.end();
            for (auto it = stops.begin(); it != stops.end(); ++it)
                if ((!bound || less(*it, *bound)) && (pick == stops.end() || less(*pick, *it)))
                    pick = it;
            return pick;
        };
        auto pick = lastBelow(current);
        if (pick == stops.end())
            pick = lastBelow(std::nullopt);
        next = pick->clip;
    }
    focusTo(next);
}

// The text field a click gives the focus to: the topmost selectable one
// under the point (level pixels).
Clip* Player::pickTextField(Clip& clip, const QPointF& levelPx, int nesting)
{
    if (!clip.visible || nesting > limits::kMaxNesting)
        return nullptr;
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        Clip& c = *it->second;
        if (!c.visible)
            continue;
        if (c.kind == Clip::Kind::EditText && c.field && c.hitTestPoint(levelPx.x(), levelPx.y(), false))
            return c.field->selectable ? &c : nullptr;
        if (c.isSprite())
            if (Clip* hit = pickTextField(c, levelPx, nesting + 1))
                return hit;
    }
    return nullptr;
}

void Player::clickFocus()
{
    if (!root_ || !engine_)
        return;
    Clip* field = nullptr;
    for (auto it = levels_.rbegin(); it != levels_.rend() && !field; ++it)
        if (it->second)
            field = pickTextField(*it->second, mouse_, 0);
    if (!field)
        field = pickTextField(*root_, mouse_, 0);
    focusTo(field);
}

} // namespace fotarel::swf
