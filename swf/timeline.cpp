// Timelines: placing characters from frame tags, entering and jumping to
// frames, and the queue of frame scripts and clip events that they trigger.

#include "swf/player.h"
#include "swf/text_field_display.h"

#include "swf/avm1_engine.h"

namespace fotarel::swf {

std::unique_ptr<Clip> Player::instantiate(Clip& parent, const std::shared_ptr<const Movie>& movie, uint16_t id,
                                          int depth)
{
    if (!movie)
        return nullptr;
    auto it = movie->characters.find(id);
    const bool canLog = errorLog_.size() < kMaxLogLines;
    if (it == movie->characters.end()) {
        if (canLog)
            logError(QStringLiteral("character %1 placed but never defined").arg(id));
        return nullptr;
    }
    if (liveObjects >= limits::kMaxDisplayObjects) {
        if (canLog)
            logError(QStringLiteral("more than %1 display objects: character %2 not shown").arg(limits::kMaxDisplayObjects).arg(id));
        return nullptr;
    }
    int nesting = 0;
    for (const Clip* a = &parent; a; a = a->parentClip, ++nesting) {
        // A character inside itself (directly or through others) would nest
        // without end: it is shown once.
        if (a->characterId == id && a->movie == movie && a->character) {
            if (canLog)
                logError(QStringLiteral("character %1 places itself: inner copy not shown").arg(id));
            return nullptr;
        }
    }
    if (nesting >= limits::kMaxNesting) {
        if (canLog)
            logError(QStringLiteral("character %1 nested deeper than %2 levels: not shown").arg(id).arg(limits::kMaxNesting));
        return nullptr;
    }
    const Character& ch = *it->second;
    Clip::Kind kind;
    if (std::holds_alternative<ShapeData>(ch))
        kind = Clip::Kind::Shape;
    else if (std::holds_alternative<MorphShapeData>(ch))
        kind = Clip::Kind::Morph;
    else if (std::holds_alternative<Sprite>(ch))
        kind = Clip::Kind::Sprite;
    else if (std::holds_alternative<StaticText>(ch))
        kind = Clip::Kind::StaticText;
    else if (std::holds_alternative<EditText>(ch))
        kind = Clip::Kind::EditText;
    else if (std::holds_alternative<Button>(ch))
        kind = Clip::Kind::Button;
    else if (std::holds_alternative<VideoStream>(ch))
        kind = Clip::Kind::Video;
    else if (std::holds_alternative<Bitmap>(ch))
        kind = Clip::Kind::Bitmap; // a bitmap placed directly (tolerated)
    else {
        logError(QStringLiteral("character %1 cannot be placed").arg(id));
        return nullptr;
    }
    auto c = std::make_unique<Clip>(*this, &parent, kind);
    c->movie = movie;
    c->character = it->second;
    c->characterId = id;
    c->depthValue = depth;
    c->bornTick = ticks_;
    if (kind == Clip::Kind::Sprite) {
        c->timeline = &std::get<Sprite>(ch).timeline;
        c->loadedBytes = std::get<Sprite>(ch).byteSize;
    } else if (kind == Clip::Kind::EditText) {
        c->field = editTextModel(std::get<EditText>(ch), *movie);
        bindPlacedField(*c);
    } else if (kind == Clip::Kind::Button) {
        showButtonState(*c, 0);
    } else if (kind == Clip::Kind::Video) {
        c->video = std::make_unique<VideoPlayback>(it->second, id, videoDecoders_,
                                                   [this](const QString& line) { logError(line); });
    }
    return c;
}

namespace {

// Takes a field over when the record carries it.
template <class Field, class Value>
void takeIf(bool carried, Field& field, const Value& value)
{
    if (carried)
        field = value;
}

void applyAttributes(Clip& c, const PlaceObject& p)
{
    takeIf(p.hasMatrix, c.matrix, p.matrix);
    takeIf(p.hasColorTransform, c.cxform, p.colorTransform);
    takeIf(p.hasRatio, c.ratio, p.ratio);
    takeIf(p.hasName, c.instanceName, p.name);
    takeIf(p.hasClipDepth, c.clipDepth, p.clipDepth);
    takeIf(p.hasFilters, c.filters, p.filters);
    takeIf(p.hasBlendMode, c.blendMode, p.blendMode);
    takeIf(p.hasCacheAsBitmap, c.cacheAsBitmap, p.cacheAsBitmap);
    takeIf(p.hasVisible, c.visible, p.visible);
    takeIf(p.hasOpaqueBackground, c.opaqueBackground, p.opaqueBackground);
    takeIf(!p.clipActions.empty(), c.clipActions, p.clipActions);
}

} // namespace

void Player::applyPlace(Clip& parent, const PlaceObject& p, int frame)
{
    Clip* existing = parent.child(p.depth);
    // A clip that swapDepths put at this depth is no longer the timeline's
    // to move or replace.
    if (p.move && existing && existing->depthBySwap)
        return;
    if (p.move && !p.hasCharacter) {
        if (existing)
            applyAttributes(*existing, p);
        return;
    }
    if (!p.hasCharacter)
        return;
    if (p.move && existing && existing->characterId == p.characterId) {
        applyAttributes(*existing, p);
        return;
    }
    auto c = instantiate(parent, parent.movie, p.characterId, p.depth);
    if (!c)
        return;
    if (existing && p.move) {
        // Replacing the character keeps the old placement unless given.
        c->matrix = existing->matrix;
        c->cxform = existing->cxform;
        c->ratio = existing->ratio;
        c->instanceName = existing->instanceName;
        c->clipDepth = existing->clipDepth;
    }
    applyAttributes(*c, p);
    nameIfUnnamed(*c);
    c->placeFrame = frame;
    Clip* raw = c.get();
    std::unique_ptr<Clip> old = std::move(parent.children[p.depth]);
    parent.children[p.depth] = std::move(c);
    retire(std::move(old));
    startPlacedClip(*raw);
}

namespace {

constexpr uint32_t kInitializeEvent = 0x200;
constexpr uint32_t kConstructEvent = 0x40000;

bool hasEvent(const Clip& clip, uint32_t mask)
{
    return std::any_of(clip.clipActions.begin(), clip.clipActions.end(),
                       [mask](const ClipAction& a) { return (a.events & mask) && !a.actions.isEmpty(); });
}

// The linkage name scripts registered a class for, if the clip's symbol has one.
QString exportNameOf(const Clip& clip)
{
    if (!clip.movie || !clip.characterId)
        return {};
    for (const auto& [name, id] : clip.movie->exports) {
        if (id == clip.characterId)
            return name;
    }
    return {};
}

} // namespace

// A clip the timeline just placed. Its initialize and construct events wait
// in the construction queues (they run before the next queued script, so
// before the frame script that placed it); its load event is queued before
// its first frame runs, so it comes before that frame's script.
void Player::startPlacedClip(Clip& c)
{
    if (engine_ && c.isSprite()) {
        const size_t cap = size_t(kMaxQueuedPerCall);
        if (hasEvent(c, kInitializeEvent) && initQueue_.size() < cap)
            initQueue_.push_back(PendingScript{&c, c.link(), QByteArray(), 5});
        if ((hasEvent(c, kConstructEvent) || !exportNameOf(c).isEmpty()) && constructQueue_.size() < cap)
            constructQueue_.push_back(PendingScript{&c, c.link(), QByteArray(), 6});
    }
    if (!c.clipActions.empty() || c.isSprite())
        queueActions(c, QByteArray());
    if (c.timeline)
        enterFrame(c, 0, true);
}

// Clips, buttons and text fields placed without a name are called
// "instance1", "instance2", ... in the order the player made them.
void Player::nameIfUnnamed(Clip& clip)
{
    const bool named = clip.kind == Clip::Kind::Sprite || clip.kind == Clip::Kind::Button ||
                       clip.kind == Clip::Kind::EditText;
    if (named && clip.instanceName.isEmpty())
        clip.instanceName = QStringLiteral("instance%1").arg(++instancesNamed_);
}

void Player::retire(std::unique_ptr<Clip> clip)
{
    if (!clip)
        return;
    dropFocusWithin(*clip);
    if (!engine_ || !clip->isSprite() || graveyard_.size() >= 1000 || queue_.size() >= size_t(kMaxQueuedPerCall))
        return; // destroyed here
    // Off the display list already; the unload handlers of its clips run
    // with the queue, the innermost first.
    retireTree(*clip, 0);
    graveyard_.push_back(std::move(clip));
}

void Player::retireTree(Clip& clip, int nesting)
{
    clip.offList = true;
    if (clip.hasLink())
        clip.rememberPath(clip.targetPath());
    if (nesting < limits::kMaxNesting) {
        for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it)
            retireTree(*it->second, nesting + 1);
    }
    if (clip.isSprite() && queue_.size() < size_t(kMaxQueuedPerCall))
        queue_.push_back(PendingScript{&clip, clip.link(), QByteArray(), 4});
}

void Player::enterFrame(Clip& clip, int f, bool runActions)
{
    if (!clip.timeline || f < 0 || f >= int(clip.timeline->frames.size()))
        return;
    clip.frame = f;
    for (const FrameItem& item : clip.timeline->frames[size_t(f)].items) {
        switch (item.kind) {
        case FrameItem::Place:
            applyPlace(clip, item.place, f);
            break;
        case FrameItem::Remove: {
            auto it = clip.children.find(item.depth);
            if (it != clip.children.end()) {
                std::unique_ptr<Clip> gone = std::move(it->second);
                clip.children.erase(it);
                retire(std::move(gone));
            }
            break;
        }
        case FrameItem::Action:
            if (runActions && !item.actions.isEmpty())
                queueActions(clip, item.actions);
            break;
        }
    }
}

void Player::gotoFrame(Clip& clip, int target)
{
    if (!clip.timeline)
        return;
    const int total = int(clip.timeline->frames.size());
    target = std::clamp(target, 0, total - 1);
    if (target == clip.frame)
        return;
    if (target > clip.frame) {
        for (int f = clip.frame + 1; f <= target; ++f)
            enterFrame(clip, f, f == target);
        return;
    }
    // Backward: the display list the timeline holds at the target frame,
    // computed from frame 0. An object stays (keeping its state) when the
    // timeline would hold the same one there: the same character at the
    // same depth, placed by the same PlaceObject (one placed after the
    // target frame is made again). The others are removed or created.
    std::map<int, PlaceObject> want;
    std::map<int, int> placedAt; // depth -> frame of the PlaceObject that made the object
    for (int f = 0; f <= target; ++f) {
        for (const FrameItem& item : clip.timeline->frames[size_t(f)].items) {
            if (item.kind == FrameItem::Remove) {
                want.erase(item.depth);
            } else if (item.kind == FrameItem::Place) {
                const PlaceObject& p = item.place;
                auto it = want.find(p.depth);
                if (p.hasCharacter && (!p.move || it == want.end() || it->second.characterId != p.characterId)) {
                    PlaceObject fresh = p;
                    if (it != want.end() && p.move) {
                        PlaceObject old = it->second;
                        if (!fresh.hasMatrix) { fresh.hasMatrix = old.hasMatrix; fresh.matrix = old.matrix; }
                        if (!fresh.hasColorTransform) { fresh.hasColorTransform = old.hasColorTransform; fresh.colorTransform = old.colorTransform; }
                    }
                    want[p.depth] = fresh;
                    placedAt[p.depth] = f;
                } else if (it != want.end()) {
                    PlaceObject& w = it->second;
                    if (p.hasMatrix) { w.hasMatrix = true; w.matrix = p.matrix; }
                    if (p.hasColorTransform) { w.hasColorTransform = true; w.colorTransform = p.colorTransform; }
                    if (p.hasRatio) { w.hasRatio = true; w.ratio = p.ratio; }
                    if (p.hasName) { w.hasName = true; w.name = p.name; }
                    if (p.hasClipDepth) { w.hasClipDepth = true; w.clipDepth = p.clipDepth; }
                    if (p.hasFilters) { w.hasFilters = true; w.filters = p.filters; }
                    if (p.hasBlendMode) { w.hasBlendMode = true; w.blendMode = p.blendMode; }
                    if (p.hasCacheAsBitmap) { w.hasCacheAsBitmap = true; w.cacheAsBitmap = p.cacheAsBitmap; }
                    if (p.hasVisible) { w.hasVisible = true; w.visible = p.visible; }
                    if (p.hasOpaqueBackground) { w.hasOpaqueBackground = true; w.opaqueBackground = p.opaqueBackground; }
                }
            }
        }
    }
    for (auto it = clip.children.begin(); it != clip.children.end();) {
        Clip& c = *it->second;
        if (c.placedByScript || c.depthValue >= kScriptDepthBase) {
            ++it;
            continue;
        }
        auto w = want.find(it->first);
        if (w != want.end() && w->second.characterId == c.characterId && c.placeFrame == placedAt[it->first]) {
            // Reset what the timeline controls, then apply the target state.
            c.matrix = Matrix{};
            c.cxform = ColorTransform{};
            c.ratio = 0;
            c.clipDepth = 0;
            applyAttributes(c, w->second);
            want.erase(w);
            ++it;
        } else {
            std::unique_ptr<Clip> gone = std::move(it->second);
            it = clip.children.erase(it);
            retire(std::move(gone));
        }
    }
    // The objects made again start in the order of their PlaceObject tags,
    // and the target frame's scripts are queued among its own tags in that
    // order, as when the frame is entered by playing.
    auto create = [&](int depth) {
        const auto w = want.find(depth);
        if (w == want.end())
            return;
        const PlaceObject place = w->second;
        want.erase(w);
        auto c = instantiate(clip, clip.movie, place.characterId, depth);
        if (!c)
            return;
        applyAttributes(*c, place);
        nameIfUnnamed(*c);
        c->placeFrame = placedAt[depth];
        Clip* raw = c.get();
        clip.children[depth] = std::move(c);
        startPlacedClip(*raw);
    };
    for (int f = 0; f < target; ++f) {
        for (const FrameItem& item : clip.timeline->frames[size_t(f)].items)
            if (item.kind == FrameItem::Place && placedAt[item.place.depth] == f)
                create(item.place.depth);
    }
    clip.frame = target;
    for (const FrameItem& item : clip.timeline->frames[size_t(target)].items) {
        if (item.kind == FrameItem::Action && !item.actions.isEmpty())
            queueActions(clip, item.actions);
        else if (item.kind == FrameItem::Place && placedAt[item.place.depth] == target)
            create(item.place.depth);
    }
}

void Player::queueActions(Clip& clip, const QByteArray& actions)
{
    if (queue_.size() >= size_t(kMaxQueuedPerCall))
        return;
    queue_.push_back(PendingScript{&clip, clip.link(), actions, actions.isEmpty() ? 1 : 0});
}

void Player::advance(Clip& clip, bool forceRoot)
{
    const bool isRoot = &clip == root_.get();
    // Children first, the highest depth first, then the clip itself: the
    // Flash Player's order, in which a child's frame script runs before its
    // parent's. The list may change while scripts are queued, never while
    // it is walked here (scripts run later).
    std::vector<std::shared_ptr<avm1::ClipLink>> kids;
    kids.reserve(clip.children.size());
    for (auto& [d, c] : clip.children)
        kids.push_back(c->link());
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
        if ((*it)->clip)
            advance(*static_cast<Clip*>((*it)->clip), false);
    }
    // Clips that existed before this tick: enterFrame handlers, then the frame.
    if (clip.bornTick != ticks_) {
        if (clip.isSprite() && (!clip.clipActions.empty() || engine_)) {
            if (queue_.size() < size_t(kMaxQueuedPerCall))
                queue_.push_back(PendingScript{&clip, clip.link(), QByteArray(), 2});
        }
        if (clip.timeline) {
            const int total = int(clip.timeline->frames.size());
            if ((isRoot && forceRoot) || (clip.playing && total > 1)) {
                const int next = clip.frame + 1;
                if (next >= total)
                    gotoFrame(clip, 0);
                else
                    enterFrame(clip, next, true);
            }
        }
    }
}

void Player::runClipEventBytes(Clip& clip, uint32_t mask)
{
    if (!engine_)
        return;
    for (const ClipAction& a : clip.clipActions) {
        if ((a.events & mask) && !a.actions.isEmpty()) {
            auto link = clip.link();
            engine_->runActions(a.actions, clip.swfVersion(), clip);
            if (!link->clip)
                return;
        }
    }
}

void Player::runQueued()
{
    if (runDepth_ > 0)
        return; // scripts queued from inside a script run after it
    ++runDepth_;
    size_t done = 0;
    for (size_t i = 0;; ++i) {
        while (runConstruction()) {
        }
        if (i >= queue_.size())
            break;
        if (++done > size_t(kMaxQueuedPerCall)) {
            logError(QStringLiteral("too many frame scripts in one step; the rest dropped"));
            break;
        }
        const PendingScript s = queue_[i];
        runPending(s);
    }
    queue_.clear();
    initQueue_.clear();
    constructQueue_.clear();
    {
        auto dead = std::move(graveyard_); // unload handlers have run
    }
    --runDepth_;
}

// Runs the first waiting initialize event, else the first construct event;
// false when none waits.
bool Player::runConstruction()
{
    std::deque<PendingScript>& q = !initQueue_.empty() ? initQueue_ : constructQueue_;
    if (q.empty())
        return false;
    const PendingScript s = q.front();
    q.pop_front();
    runPending(s);
    return true;
}

void Player::runPending(const PendingScript& s)
{
    if (!s.link->clip || !engine_)
        return;
    Clip& c = *s.clip;
    // A clip its parent's timeline removed in this tick (children advance
    // before their parent) runs only its unload handlers.
    if (c.offList && s.kind != 4 && s.kind != 3)
        return;
    switch (s.kind) {
    case 0:
        engine_->runActions(s.actions, c.swfVersion(), c);
        break;
    case 1: // load: onClipEvent(load) bytes, then onLoad
        runClipEventBytes(c, 0x01);
        if (s.link->clip)
            engine_->clipEvent(c, avm1::ClipEvent::Load);
        break;
    case 2: // enterFrame
        runClipEventBytes(c, 0x02);
        if (s.link->clip)
            engine_->clipEvent(c, avm1::ClipEvent::EnterFrame);
        break;
    case 3: // a load finished: its first frame has run
        engine_->reportLoad(c, avm1::LoadEvent::Init, QString());
        break;
    case 4: // removed by its timeline: onClipEvent(unload) bytes, then onUnload
        runClipEventBytes(c, 0x04);
        if (s.link->clip)
            engine_->clipEvent(c, avm1::ClipEvent::Unload);
        break;
    case 5: // onClipEvent(initialize)
        runClipEventBytes(c, kInitializeEvent);
        break;
    case 6: { // the registered class's prototype, onClipEvent(construct), then the class's constructor
        const QString exported = exportNameOf(c);
        if (!exported.isEmpty())
            engine_->constructClip(c, exported, true);
        if (s.link->clip)
            runClipEventBytes(c, kConstructEvent);
        if (s.link->clip && !exported.isEmpty())
            engine_->constructClip(c, exported, false);
        break;
    }
    default:
        break;
    }
}

} // namespace fotarel::swf
