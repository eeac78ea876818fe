#include "swf/player.h"

#include "swf/avm1_engine.h"
#include "swf/bitmap_decode.h"
#include "swf/renderer.h"
#include "swf/text_field_display.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtMath>

#include <cmath>

namespace fotarel::swf {

namespace {
// Frame scripts, events and load reports that one host call may run before
// the rest is dropped (a script that keeps jumping between frames).
constexpr int kMaxQueuedPerCall = 20000;
constexpr int kMaxLogLines = 2000;
constexpr int kScriptDepthBase = 16384;
} // namespace

// ---------------------------------------------------------------- Clip

Clip::Clip(Player& p, Clip* parent, Kind k) : kind(k), player(p), parentClip(parent) { ++player.liveObjects; }

Clip::~Clip()
{
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

QTransform Clip::worldTransform() const
{
    QTransform t = matrix.toTransform();
    for (const Clip* p = parentClip; p; p = p->parentClip)
        t = t * p->matrix.toTransform();
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
            return c.get();
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

double Clip::scaleX() const { return std::hypot(matrix.a, matrix.b); }
double Clip::scaleY() const
{
    const double det = matrix.a * matrix.d - matrix.b * matrix.c;
    const double sy = std::hypot(matrix.c, matrix.d);
    return det < 0 ? -sy : sy;
}
double Clip::rotation() const { return qRadiansToDegrees(std::atan2(matrix.b, matrix.a)); }

void Clip::setScaleRotation(double sx, double sy, double rot)
{
    const double r = qDegreesToRadians(rot);
    // Keep the skew between the axes as it is.
    const double skew = std::atan2(-matrix.c, matrix.d) - std::atan2(matrix.b, matrix.a);
    matrix.a = sx * std::cos(r);
    matrix.b = sx * std::sin(r);
    matrix.c = -sy * std::sin(r + skew);
    matrix.d = sy * std::cos(r + skew);
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
        const QRectF b = Renderer::bounds(*this, matrix.toTransform());
        return (p == P::Width ? b.width() : b.height()) / 20.0;
    }
    case P::Rotation: return rotation();
    case P::HighQuality: return 1;
    case P::FocusRect: return 1;
    case P::SoundBufTime: return 5;
    default: return 0;
    }
}

void Clip::setProperty(avm1::Property p, double v)
{
    using P = avm1::Property;
    if (!std::isfinite(v))
        return;
    switch (p) {
    case P::X: matrix.tx = std::round(v * 20); break;
    case P::Y: matrix.ty = std::round(v * 20); break;
    case P::XScale: setScaleRotation(v / 100, scaleY(), rotation()); break;
    case P::YScale: setScaleRotation(scaleX(), v / 100, rotation()); break;
    case P::Alpha: cxform.aMul = float(v / 100); break;
    case P::Visible: visible = v != 0; break;
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
        const QRectF local = Renderer::bounds(*this, QTransform());
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
    auto mul = [](double x) { return std::isfinite(x) ? float(std::clamp(x, -25600.0, 25600.0) / 100) : 1.f; };
    auto add = [](double x) { return std::isfinite(x) ? float(std::clamp(x, -512.0, 512.0)) : 0.f; };
    cxform.rMul = mul(v.ra);
    cxform.gMul = mul(v.ga);
    cxform.bMul = mul(v.ba);
    cxform.aMul = mul(v.aa);
    cxform.rAdd = add(v.rb);
    cxform.gAdd = add(v.gb);
    cxform.bAdd = add(v.bb);
    cxform.aAdd = add(v.ab);
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
    auto c = player.instantiate(*parentClip, movie, characterId, d + kScriptDepthBase);
    if (!c)
        return nullptr;
    c->instanceName = n;
    c->placedByScript = true;
    c->matrix = matrix;
    c->cxform = cxform;
    c->ratio = ratio;
    c->clipActions = clipActions;
    c->filters = filters;
    c->blendMode = blendMode;
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
        siblings[them->depthValue] = std::move(them);
    }
    me->depthValue = target;
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
    loadedImage = QImage();
    timeline = nullptr;
    frame = -1;
}

// ---------------------------------------------------------------- Player

Player::Player() : renderer_(std::make_unique<Renderer>(*this)) { engine_ = makeAvm1Engine(*this); }

Player::~Player()
{
    queue_.clear();
    {
        auto dead = std::move(graveyard_);
    }
    levels_.clear();
    root_.reset();
}

void Player::logLoad(const QString& line)
{
    if (loadLog_.size() < kMaxLogLines)
        loadLog_ << line;
}

void Player::logError(const QString& line)
{
    if (errorLog_.size() < kMaxLogLines)
        errorLog_ << line;
}


int Player::nestingOf(const Clip& clip) const
{
    int n = 0;
    for (const Clip* c = &clip; c; c = c->parentClip)
        ++n;
    return n;
}

bool Player::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        logError(QStringLiteral("cannot open %1").arg(path));
        return false;
    }
    if (f.size() > limits::kMaxMovieBytes) {
        logError(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(limits::kMaxMovieBytes));
        return false;
    }
    return loadData(f.readAll(), path);
}

namespace {

bool looksLikeSwf(const QByteArray& b)
{
    return b.size() >= 3 && (b[0] == 'F' || b[0] == 'C' || b[0] == 'Z') && b[1] == 'W' && b[2] == 'S';
}

// A movie of one frame that shows a picture at its natural size.
std::shared_ptr<Movie> pictureMovie(const QImage& img)
{
    auto m = std::make_shared<Movie>();
    m->version = 8;
    m->frameSize = Rect{0, img.width() * 20, 0, img.height() * 20};
    m->frameCount = 1;
    m->timeline.frames.resize(1);
    return m;
}

} // namespace

bool Player::loadData(const QByteArray& bytes, const QString& path)
{
    queue_.clear();
    loads_.clear();
    levels_.clear();
    root_.reset();
    movie_.reset();
    renderer_->clear();
    ticks_ = 0;
    engine_ = makeAvm1Engine(*this); // no script state survives a new movie
    path_ = path;
    QImage picture;
    if (looksLikeSwf(bytes)) {
        ParseResult res = parseMovie(bytes);
        for (const QString& line : res.log)
            logError(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), line));
        if (!res.movie) {
            logError(QStringLiteral("%1: %2").arg(path, res.error));
            return false;
        }
        movie_ = std::move(res.movie);
    } else {
        QString why;
        picture = decodeImageData(bytes, &why);
        if (picture.isNull()) {
            logError(QStringLiteral("%1: neither a movie nor a picture (%2)").arg(path, why));
            return false;
        }
        movie_ = pictureMovie(picture);
    }
    logLoad(QStringLiteral("loaded %1 (%2 frames)").arg(path).arg(movie_->frameCount));
    resetRoot();
    root_->loadedImage = picture;
    if (engine_) {
        for (const InitAction& a : movie_->initActions)
            engine_->runInitActions(a.actions, movie_->version, *root_);
    }
    enterFrame(*root_, 0, true);
    runQueued();
    endFrame();
    return true;
}

void Player::resetRoot()
{
    root_ = std::make_unique<Clip>(*this, nullptr, Clip::Kind::Sprite);
    root_->movie = movie_;
    root_->timeline = &movie_->timeline;
    root_->movieUrl = path_;
    root_->loadedBytes = QFileInfo(path_).size();
}

void Player::stopPlaying()
{
    if (root_)
        root_->playing = false;
}

int Player::totalFrames() const { return root_ ? root_->totalFrames() : 0; }
int Player::frameNum() const { return root_ ? std::max(0, root_->frame) : 0; }

void Player::setFrameNum(int f)
{
    if (!root_ || totalFrames() <= 0)
        return;
    f = std::clamp(f, 0, totalFrames() - 1);
    if (f == root_->frame + 1) {
        ticks_++;
        completeLoads();
        advance(*root_, true);
        runQueued();
        if (engine_)
            engine_->runIntervals();
        endFrame();
        return;
    }
    completeLoads();
    gotoFrame(*root_, f);
    runQueued();
    endFrame();
}

void Player::tick()
{
    if (!root_)
        return;
    ticks_++;
    completeLoads();
    advance(*root_, false);
    runQueued();
    if (engine_)
        engine_->runIntervals();
    endFrame();
}

void Player::settle()
{
    completeLoads();
    runQueued();
    endFrame();
}

void Player::endFrame()
{
    // Text and variables scripts asked for arrive at the end of the frame;
    // what their handlers queue runs in the same frame.
    if (engine_) {
        engine_->completeTextLoads();
        runQueued();
    }
}

qint64 Player::movieTimeMs() const { return qint64(std::llround(ticks_ * 1000.0 / frameRate())); }

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
    } else if (kind == Clip::Kind::EditText) {
        c->field = editTextModel(std::get<EditText>(ch), *movie);
        bindPlacedField(*c);
    } else if (kind == Clip::Kind::Button) {
        // Buttons show their up state; each record becomes a child.
        for (const ButtonRecord& rec : std::get<Button>(ch).records) {
            if (!(rec.states & 0x01))
                continue;
            auto part = instantiate(*c, movie, rec.characterId, rec.depth);
            if (!part)
                continue;
            part->matrix = rec.matrix;
            part->cxform = rec.colorTransform;
            part->filters = rec.filters;
            part->blendMode = rec.blendMode;
            Clip* raw = part.get();
            c->children[rec.depth] = std::move(part);
            if (raw->timeline)
                enterFrame(*raw, 0, true);
        }
    }
    return c;
}

namespace {

void applyAttributes(Clip& c, const PlaceObject& p)
{
    if (p.hasMatrix)
        c.matrix = p.matrix;
    if (p.hasColorTransform)
        c.cxform = p.colorTransform;
    if (p.hasRatio)
        c.ratio = p.ratio;
    if (p.hasName)
        c.instanceName = p.name;
    if (p.hasClipDepth)
        c.clipDepth = p.clipDepth;
    if (p.hasFilters)
        c.filters = p.filters;
    if (p.hasBlendMode)
        c.blendMode = p.blendMode;
    if (!p.clipActions.empty())
        c.clipActions = p.clipActions;
}

} // namespace

void Player::applyPlace(Clip& parent, const PlaceObject& p, int)
{
    Clip* existing = parent.child(p.depth);
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
    Clip* raw = c.get();
    std::unique_ptr<Clip> old = std::move(parent.children[p.depth]);
    parent.children[p.depth] = std::move(c);
    retire(std::move(old));
    if (raw->timeline)
        enterFrame(*raw, 0, true);
    if (!raw->clipActions.empty() || raw->isSprite())
        queueActions(*raw, QByteArray()); // the load event, after its first frame
}

void Player::retire(std::unique_ptr<Clip> clip)
{
    if (!clip)
        return;
    if (!engine_ || !clip->isSprite() || graveyard_.size() >= 1000 || queue_.size() >= size_t(kMaxQueuedPerCall))
        return; // destroyed here
    // Off the display list already; its unload handlers run with the queue.
    queue_.push_back(PendingScript{clip.get(), clip->link(), QByteArray(), 4});
    graveyard_.push_back(std::move(clip));
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
    // computed from frame 0. Objects that stay (same character at the same
    // depth) keep their state; the others are removed or created.
    std::map<int, PlaceObject> want;
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
                } else if (it != want.end()) {
                    PlaceObject& w = it->second;
                    if (p.hasMatrix) { w.hasMatrix = true; w.matrix = p.matrix; }
                    if (p.hasColorTransform) { w.hasColorTransform = true; w.colorTransform = p.colorTransform; }
                    if (p.hasRatio) { w.hasRatio = true; w.ratio = p.ratio; }
                    if (p.hasName) { w.hasName = true; w.name = p.name; }
                    if (p.hasClipDepth) { w.hasClipDepth = true; w.clipDepth = p.clipDepth; }
                    if (p.hasFilters) { w.hasFilters = true; w.filters = p.filters; }
                    if (p.hasBlendMode) { w.hasBlendMode = true; w.blendMode = p.blendMode; }
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
        if (w != want.end() && w->second.characterId == c.characterId) {
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
    for (auto& [depth, p] : want) {
        auto c = instantiate(clip, clip.movie, p.characterId, depth);
        if (!c)
            continue;
        applyAttributes(*c, p);
        Clip* raw = c.get();
        clip.children[depth] = std::move(c);
        if (raw->timeline)
            enterFrame(*raw, 0, true);
        if (!raw->clipActions.empty() || raw->isSprite())
            queueActions(*raw, QByteArray());
    }
    clip.frame = target;
    for (const FrameItem& item : clip.timeline->frames[size_t(target)].items) {
        if (item.kind == FrameItem::Action && !item.actions.isEmpty())
            queueActions(clip, item.actions);
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
    for (size_t i = 0; i < queue_.size(); ++i) {
        if (++done > size_t(kMaxQueuedPerCall)) {
            logError(QStringLiteral("too many frame scripts in one step; the rest dropped"));
            break;
        }
        PendingScript s = queue_[i];
        if (!s.link->clip)
            continue;
        Clip& c = *s.clip;
        if (!engine_)
            continue;
        // A clip its parent's timeline removed in this tick (children advance
        // before their parent) runs only its unload handlers.
        const bool offList = (s.kind == 0 || s.kind == 2) && !graveyard_.empty() &&
                             std::any_of(graveyard_.begin(), graveyard_.end(),
                                         [&](const std::unique_ptr<Clip>& g) { return g.get() == &c; });
        if (offList)
            continue;
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
        default:
            break;
        }
    }
    queue_.clear();
    {
        auto dead = std::move(graveyard_); // unload handlers have run
    }
    --runDepth_;
}

// ---------------------------------------------------------------- loading

QString Player::resolvePath(const QString& url, QString* why) const
{
    QString u = url.trimmed();
    u.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (u.startsWith(QLatin1String("file:///")))
        u = u.mid(7);
    if (u.isEmpty()) {
        *why = QStringLiteral("empty path");
        return {};
    }
    if (u.startsWith(QLatin1Char('/')) || (u.size() > 1 && u[1] == QLatin1Char(':')) || u.contains(QLatin1String("://"))) {
        *why = QStringLiteral("absolute path or address refused: %1").arg(url);
        return {};
    }
    const QString movieDir = QFileInfo(path_).absolutePath();
    QString rootDir = confinement_;
    if (rootDir.isEmpty()) {
        // The working folder "smxcwjj" that holds the movie; otherwise the
        // movie's own folder.
        rootDir = movieDir;
        for (QDir d(movieDir);; ) {
            if (d.dirName() == QLatin1String("smxcwjj")) {
                rootDir = d.absolutePath();
                break;
            }
            if (!d.cdUp())
                break;
        }
    }
    const QString full = QDir::cleanPath(movieDir + QLatin1Char('/') + u);
    const QString root = QDir::cleanPath(QFileInfo(rootDir).absoluteFilePath());
    if (full != root && !full.startsWith(root + QLatin1Char('/'))) {
        *why = QStringLiteral("path leaves %1: %2").arg(root, url);
        return {};
    }
    return full;
}

void Player::requestLoad(Clip* target, int level, const QString& url)
{
    PendingLoad l;
    if (target)
        l.target = target->link();
    l.level = level;
    l.url = url;
    logLoad(QStringLiteral("load requested: %1").arg(url));
    if (loads_.size() < 256)
        loads_.push_back(std::move(l));
    else
        logError(QStringLiteral("too many loads pending; %1 refused").arg(url));
}

avm1::DisplayObjectHost* Player::levelRoot(int level)
{
    if (level == 0)
        return root_.get();
    auto it = levels_.find(level);
    return it == levels_.end() ? nullptr : it->second.get();
}

void Player::loadMovieNum(const QString& url, int level)
{
    if (level == 0) {
        requestLoad(root_.get(), 0, url);
        return;
    }
    requestLoad(nullptr, level, url);
}

void Player::unloadMovieNum(int level)
{
    if (level == 0) {
        if (root_)
            root_->unloadMovie();
    } else if (loads_.size() < 256) {
        // As the Flash Player does, the level goes away with the loads of the
        // next tick, not in the middle of the script that asked (which may
        // be running on that very level).
        PendingLoad l;
        l.level = level;
        l.unload = true;
        loads_.push_back(std::move(l));
    }
}

std::optional<QByteArray> Player::readFile(const QString& url, QString* why)
{
    // Text a script loads becomes one script string: no larger than that.
    constexpr qint64 kMaxTextBytes = 8 * 1024 * 1024;
    const QString file = resolvePath(url, why);
    if (file.isEmpty())
        return std::nullopt;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxTextBytes) {
        if (why)
            *why = QStringLiteral("cannot read %1").arg(file);
        return std::nullopt;
    }
    logLoad(QStringLiteral("text loaded: %1").arg(file));
    return f.readAll();
}

void Player::completeLoads()
{
    std::vector<PendingLoad> loads;
    loads.swap(loads_);
    for (PendingLoad& l : loads) {
        if (l.unload) {
            levels_.erase(l.level);
            continue;
        }
        Clip* target = nullptr;
        if (l.target) {
            target = static_cast<Clip*>(l.target->clip);
            if (!target)
                continue; // the clip went away
        } else {
            auto& slot = levels_[l.level];
            if (!slot) {
                slot = std::make_unique<Clip>(*this, nullptr, Clip::Kind::Sprite);
                slot->levelNumber = l.level;
            }
            target = slot.get();
        }
        auto link = target->link();
        auto fail = [&](const QString& why) {
            logError(QStringLiteral("load of %1 failed: %2").arg(l.url, why));
            if (engine_)
                engine_->reportLoad(*target, avm1::LoadEvent::Error, why);
        };
        if (engine_)
            engine_->reportLoad(*target, avm1::LoadEvent::Start, QString());
        if (!link->clip)
            continue;
        QString why;
        const QString file = resolvePath(l.url, &why);
        if (file.isEmpty()) {
            fail(why);
            continue;
        }
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly) || f.size() > limits::kMaxMovieBytes) {
            fail(QStringLiteral("cannot read %1").arg(file));
            continue;
        }
        const QByteArray bytes = f.readAll();
        std::shared_ptr<const Movie> loaded;
        QImage picture;
        if (looksLikeSwf(bytes)) {
            ParseResult res = parseMovie(bytes);
            for (const QString& line : res.log)
                logError(QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), line));
            if (!res.movie) {
                fail(res.error);
                continue;
            }
            loaded = std::move(res.movie);
        } else {
            picture = decodeImageData(bytes, &why);
            if (picture.isNull()) {
                fail(why);
                continue;
            }
            loaded = pictureMovie(picture);
        }
        // The clip keeps its name, depth and placement; its content is new.
        target->children.clear();
        target->movie = loaded;
        target->timeline = &loaded->timeline;
        target->frame = -1;
        target->playing = true;
        target->loadedImage = picture;
        target->loadedBytes = bytes.size();
        target->movieUrl = file;
        target->kind = Clip::Kind::Sprite;
        target->character.reset();
        logLoad(QStringLiteral("loaded %1 into %2").arg(l.url, target->targetPath()));
        if (engine_) {
            engine_->reportLoad(*target, avm1::LoadEvent::Progress, QString());
            if (link->clip)
                engine_->reportLoad(*target, avm1::LoadEvent::Complete, QString());
            if (!link->clip)
                continue;
            for (const InitAction& a : loaded->initActions)
                engine_->runInitActions(a.actions, loaded->version, *target);
        }
        if (!link->clip)
            continue;
        enterFrame(*target, 0, true);
        target->bornTick = ticks_;
        if (queue_.size() < size_t(kMaxQueuedPerCall))
            queue_.push_back(PendingScript{target, link, QByteArray(), 3});
    }
}

// ---------------------------------------------------------------- host events

void Player::fscommand(const QString& command, const QString& args)
{
    logLoad(QStringLiteral("fscommand %1 %2").arg(command, args));
    if (onFsCommand)
        onFsCommand(command, args);
}

void Player::getUrl(const QString& url, const QString& window)
{
    logLoad(QStringLiteral("getURL %1 %2 ignored").arg(url, window));
}

void Player::trace(const QString& line)
{
    logLoad(QStringLiteral("trace: %1").arg(line));
    if (onTrace)
        onTrace(line);
}

void Player::scriptError(const QString& message) { logError(QStringLiteral("script: %1").arg(message)); }

// ---------------------------------------------------------------- variables

Clip* Player::resolveVariableTarget(const QString& path, QString* name)
{
    if (!root_)
        return nullptr;
    QString p = path;
    int cut = p.lastIndexOf(QLatin1Char(':'));
    if (cut < 0)
        cut = p.lastIndexOf(QLatin1Char('.'));
    *name = cut < 0 ? p : p.mid(cut + 1);
    const QString target = cut < 0 ? QString() : p.left(cut);
    Clip* c = root_.get();
    const QStringList parts = target.split(QRegularExpression(QStringLiteral("[./]")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("_root") || part == QLatin1String("_level0"))
            c = root_.get();
        else if (part == QLatin1String("_parent"))
            c = c->parentClip ? c->parentClip : c;
        else if (part.startsWith(QLatin1String("_level")))
            c = static_cast<Clip*>(levelRoot(part.mid(6).toInt()));
        else
            c = static_cast<Clip*>(c->childByName(part, false));
        if (!c)
            return nullptr;
    }
    return c;
}

void Player::mouseMove(const QPointF& stagePx)
{
    mouse_ = stagePx;
}

void Player::mouseButton(const QPointF& stagePx, bool down)
{
    mouse_ = stagePx;
    mouseDown_ = down;
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

bool Player::setVariable(const QString& path, const QString& value)
{
    if (!root_)
        return false;
    if (engine_)
        return engine_->setVariable(path, value);
    QString name;
    Clip* c = resolveVariableTarget(path, &name);
    if (!c || name.isEmpty())
        return false;
    c->variables[name] = value;
    return true;
}

std::optional<QString> Player::getVariable(const QString& path)
{
    if (!root_)
        return std::nullopt;
    if (engine_)
        return engine_->getVariable(path);
    QString name;
    Clip* c = resolveVariableTarget(path, &name);
    if (!c)
        return std::nullopt;
    auto it = c->variables.find(name);
    if (it == c->variables.end())
        return std::nullopt;
    return it->second;
}

// ---------------------------------------------------------------- painting

QSizeF Player::stageSize() const
{
    if (!movie_)
        return {};
    return QSizeF(movie_->frameSize.width() / 20.0, movie_->frameSize.height() / 20.0);
}

void Player::paint(QImage& target) { renderer_->paint(target); }

QImage Player::paint(const QSize& size)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    paint(img);
    return img;
}

} // namespace fotarel::swf
