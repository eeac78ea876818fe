// Clips as script objects: display properties, target paths, loads and
// intervals.

#include "swf/avm1/interpreter.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

constexpr int kMaxPathDepth = 256;

const char* const kPropertyNames[kPropertyCount] = {
    "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible",
    "_width", "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget", "_url",
    "_highquality", "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse",
};

// Display property names are case-insensitive in every SWF version.
int propertyIndex(const QString& name)
{
    if (name.size() < 2 || name[0] != QLatin1Char('_'))
        return -1;
    for (int i = 0; i < kPropertyCount; ++i)
        if (name.compare(QLatin1String(kPropertyNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

bool levelNumber(const QString& name, int& level, Qt::CaseSensitivity cs)
{
    if (!name.startsWith(QLatin1String("_level"), cs))
        return false;
    bool ok = false;
    level = name.mid(6).toInt(&ok);
    return ok && level >= 0;
}

Object* Interpreter::objectFor(DisplayObjectHost* clip)
{
    if (!clip)
        return nullptr;
    const std::shared_ptr<ClipLink>& link = clip->link();
    if (link->object)
        return link->object;
    Object* o = alloc(Object::Kind::Clip, clipProto);
    o->link = link;
    link->object = o;
    links.push_back(link);
    if (clip->textField())
        initTextFieldObject(o);
    return o;
}

DisplayObjectHost* Interpreter::clipOf(const Value& v) const
{
    if (!v.isObject() || v.o->kind != Object::Kind::Clip)
        return nullptr;
    if (DisplayObjectHost* c = v.o->clip())
        return c;
    return v.o->link ? clipAtTargetPath(v.o->link->path) : nullptr;
}

Object* Interpreter::liveClipObject(Object* o)
{
    if (o->kind != Object::Kind::Clip || o->clip() || !o->link)
        return nullptr;
    DisplayObjectHost* c = clipAtTargetPath(o->link->path);
    return c ? objectFor(c) : nullptr;
}

DisplayObjectHost* Interpreter::clipAtTargetPath(const QString& path) const
{
    // "_level0.a.b": a level's root, then children by name.
    if (path.isEmpty())
        return nullptr;
    const QStringList parts = path.split(QLatin1Char('.'));
    int level = 0;
    if (!levelNumber(parts[0], level, Qt::CaseInsensitive) || parts.size() > kMaxPathDepth)
        return nullptr;
    DisplayObjectHost* clip = player.levelRoot(level);
    for (qsizetype i = 1; clip && i < parts.size(); ++i)
        clip = clip->childByName(parts[i], caseSensitive());
    return clip;
}

DisplayObjectHost* Interpreter::rootOf(DisplayObjectHost* clip) const
{
    if (!clip)
        return player.levelRoot(0);
    // The nearest clip that locks the root, else the level's root.
    int hops = 0;
    while (!clip->lockRoot() && clip->parent() && hops++ < kMaxPathDepth)
        clip = clip->parent();
    return clip;
}

QString Interpreter::targetPath(DisplayObjectHost* clip) const
{
    QStringList parts;
    int hops = 0;
    while (clip && clip->parent() && hops++ < kMaxPathDepth) {
        parts.prepend(clip->name());
        clip = clip->parent();
    }
    parts.prepend(QStringLiteral("_level%1").arg(clip ? clip->level() : 0));
    return parts.join(QLatin1Char('.'));
}

QString Interpreter::slashPath(DisplayObjectHost* clip) const
{
    QStringList parts;
    int hops = 0;
    while (clip && clip->parent() && hops++ < kMaxPathDepth) {
        parts.prepend(clip->name());
        clip = clip->parent();
    }
    const int level = clip ? clip->level() : 0;
    const QString root = level == 0 ? QString() : QStringLiteral("_level%1").arg(level);
    return root + QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

bool Interpreter::splitVariablePath(const QString& path, QString& target, QString& var) const
{
    const int colon = path.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        target = path.left(colon);
        var = path.mid(colon + 1);
        return true;
    }
    if (path.contains(QLatin1Char('/'))) {
        target = path;
        var.clear();
        return true;
    }
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        target = path.left(dot);
        var = path.mid(dot + 1);
        return true;
    }
    target.clear();
    var = path;
    return true;
}

DisplayObjectHost* Interpreter::resolveClipPath(DisplayObjectHost* base, const QString& path)
{
    if (path.isEmpty())
        return base;
    return clipOf(resolvePath(base, path));
}

Value Interpreter::resolvePath(DisplayObjectHost* base, const QString& path)
{
    const auto clipValue = [this](DisplayObjectHost* c) { return c ? Value::object(objectFor(c)) : Value(); };
    if (path.isEmpty())
        return clipValue(base);
    const bool cs = caseSensitive();
    const Qt::CaseSensitivity sensitivity = cs ? Qt::CaseSensitive : Qt::CaseInsensitive;
    Value at = clipValue(base);
    QStringList parts;
    const bool slashes = path.contains(QLatin1Char('/'));
    if (slashes) {
        QString rest = path;
        if (rest.startsWith(QLatin1Char('/'))) {
            at = clipValue(rootOf(base));
            rest = rest.mid(1);
        }
        parts = rest.split(QLatin1Char('/'));
    } else {
        parts = path.split(QLatin1Char('.'));
    }
    if (parts.size() > kMaxPathDepth)
        return {};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const bool isFirst = i == 0;
        // A slash path may end with "/", but "a//b" names nothing.
        if (part.isEmpty() && slashes && i + 1 < parts.size())
            return {};
        if (part.isEmpty())
            continue;
        DisplayObjectHost* clip = clipOf(at);
        int level = 0;
        if (isFirst && levelNumber(part, level)) {
            at = clipValue(player.levelRoot(level));
        } else if (isFirst && part.compare(QLatin1String("_root"), sensitivity) == 0) {
            at = clipValue(rootOf(base));
        } else if (isFirst && part == QLatin1String("this")) {
            at = clipValue(base);
        } else if (part == QLatin1String("..") || part.compare(QLatin1String("_parent"), sensitivity) == 0) {
            at = clipValue(clip ? clip->parent() : nullptr);
        } else if (clip) {
            if (DisplayObjectHost* child = clip->childByName(part, cs)) {
                at = clipValue(child);
            } else {
                // A timeline variable that holds a clip or an object.
                Object* o = clip->link()->object;
                Slot* s = o ? o->slot(part, cs) : nullptr;
                at = s && s->value.isObject() ? s->value : Value();
            }
        } else {
            // Past a plain object the path goes on through its members.
            const Value member = at.isObject() ? getMember(at, part) : Value();
            at = member.isObject() ? member : Value();
        }
        if (!at.isObject())
            return {};
    }
    return at;
}

Value Interpreter::clipProperty(DisplayObjectHost* clip, int prop)
{
    switch (Property(prop)) {
    case Property::Target: return Value::string(slashPath(clip));
    case Property::Name: return Value::string(clip->name());
    case Property::DropTarget: return Value::string(QString());
    case Property::Url: return Value::string(clip->url());
    case Property::Quality: return Value::string(QStringLiteral("HIGH"));
    case Property::Visible: return version_ >= 5 ? Value::boolean(clip->property(Property::Visible) != 0)
                                                 : Value::number(clip->property(Property::Visible) != 0 ? 1 : 0);
    case Property::CurrentFrame: return Value::number(clip->currentFrame());
    case Property::TotalFrames: return Value::number(clip->totalFrames());
    case Property::FramesLoaded: return Value::number(clip->framesLoaded());
    case Property::FocusRect: {
        // SWF 5 knows only the player's, as a number; later the root's is
        // the player's and every other object has its own (null when unset).
        if (version_ < 6)
            return Value::number(player.focusRect() ? 1 : 0);
        if (!clip->parent())
            return Value::boolean(player.focusRect());
        const std::optional<bool> own = clip->displayProps().focusRect;
        return own ? Value::boolean(*own) : Value::null();
    }
    default: return Value::number(clip->property(Property(prop)));
    }
}

void Interpreter::setClipProperty(DisplayObjectHost* clip, int prop, const Value& v)
{
    switch (Property(prop)) {
    case Property::Name:
        clip->setName(toString(v));
        return;
    case Property::Visible: {
        // Set as a number: a value that reads as NaN leaves it as it is.
        const double n = v.isUndefined() || v.isNull() ? qQNaN() : toNumber(v);
        if (!std::isnan(n))
            clip->setProperty(Property::Visible, n != 0 ? 1 : 0);
        return;
    }
    case Property::FocusRect: {
        if (version_ < 6 || !clip->parent()) {
            // undefined and null leave it; an object turns it off; any
            // other value counts as a number (text as SWF 7 reads it, so
            // "" too is NaN), NaN as on.
            if (v.isNullish())
                return;
            if (v.isObject())
                player.setFocusRect(false);
            else if (v.type == Value::Type::Boolean)
                player.setFocusRect(v.b);
            else
                player.setFocusRect((v.isString() ? stringToNumber(v.s, 7) : v.n) != 0);
            return;
        }
        DisplayProps props = clip->displayProps();
        props.focusRect = v.isUndefined() || v.isNull() ? std::nullopt : std::optional<bool>(toBoolean(v));
        clip->setDisplayProps(props);
        return;
    }
    case Property::Target:
    case Property::DropTarget:
    case Property::Url:
    case Property::CurrentFrame:
    case Property::TotalFrames:
    case Property::FramesLoaded:
    case Property::XMouse:
    case Property::YMouse:
    case Property::Quality:
        return; // read-only
    default: {
        if (v.isUndefined() || v.isNull())
            return; // ignored in every version (SWF 6 would read them as 0)
        const double n = toNumber(v);
        if (std::isnan(n))
            return; // Flash Player ignores a NaN position or scale
        clip->setProperty(Property(prop), n);
        return;
    }
    }
}

Value Interpreter::clipMember(Object* clipObject, const QString& name, bool& found)
{
    found = false;
    DisplayObjectHost* clip = clipObject->clip();
    if (!clip)
        return {};
    if (name.startsWith(QLatin1Char('_'))) {
        const int prop = propertyIndex(name);
        if (prop >= 0) {
            found = true;
            return clipProperty(clip, prop);
        }
        // Names of the tree: their letter case counts from SWF 7.
        const Qt::CaseSensitivity cs = caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive;
        if (name.compare(QLatin1String("_parent"), cs) == 0) {
            found = true;
            return clip->parent() ? Value::object(objectFor(clip->parent())) : Value();
        }
        if (name.compare(QLatin1String("_root"), cs) == 0) {
            found = true;
            return Value::object(objectFor(rootOf(clip)));
        }
        if (name.compare(QLatin1String("_global"), cs) == 0) {
            found = true;
            return Value::object(global);
        }
        int level = 0;
        if (levelNumber(name, level, cs)) {
            DisplayObjectHost* root = player.levelRoot(level);
            found = root != nullptr;
            return root ? Value::object(objectFor(root)) : Value();
        }
    }
    // Own variables come first, then children by instance name, then the
    // prototype chain (MovieClip methods).
    if (clipObject->find(name, caseSensitive()) >= 0)
        return {};
    if (DisplayObjectHost* child = clip->childByName(name, caseSensitive())) {
        found = true;
        return Value::object(objectFor(child));
    }
    return {};
}

bool Interpreter::setClipMember(Object* clipObject, const QString& name, const Value& value)
{
    const int prop = propertyIndex(name);
    if (prop < 0)
        return false;
    if (DisplayObjectHost* clip = clipObject->clip())
        setClipProperty(clip, prop, value);
    return true;
}

bool Interpreter::resolveFrame(DisplayObjectHost* clip, const Value& frame, int bias, DisplayObjectHost*& target,
                               int& number)
{
    target = clip;
    if (!clip)
        return false;
    // An object names its frame by its text.
    const Value given =
        frame.isObject() && frame.o->kind != Object::Kind::Clip ? Value::string(toString(frame)) : frame;
    if (given.isString()) {
        QString text = given.s;
        const int colon = int(text.lastIndexOf(QLatin1Char(':')));
        if (colon >= 0) {
            target = resolveClipPath(clip, text.left(colon));
            text = text.mid(colon + 1);
            if (!target)
                return false;
        }
        bool isNumber = false;
        const int n = text.toInt(&isNumber);
        if (isNumber) {
            number = n + bias;
            return true;
        }
        number = target->frameOfLabel(text);
        return number > 0;
    }
    const double n = toNumber(given);
    if (std::isnan(n))
        return false;
    // The frame number is taken as a 32-bit integer and made 0-based with
    // 32-bit wrap-around: frames below 1 are ignored, 2^31 means "past the
    // end" (the last frame) and 2^32 + 2 means frame 2.
    const auto index = int32_t(uint32_t(toInt32(n)) + uint32_t(bias) - 1u);
    if (index < 0)
        return false;
    number = int(std::min<int32_t>(index, 1000000000)) + 1;
    return true;
}

void Interpreter::gotoFrameValue(DisplayObjectHost* clip, const Value& frame, bool play, int bias)
{
    DisplayObjectHost* target = nullptr;
    int number = 0;
    if (resolveFrame(clip, frame, bias, target, number))
        target->gotoFrame(number, play);
}

void Interpreter::callFrame(DisplayObjectHost* clip, const Value& frame)
{
    DisplayObjectHost* target = nullptr;
    int number = 0;
    if (!resolveFrame(clip, frame, 0, target, number) || number < 1 || number > target->totalFrames())
        return;
    const std::vector<ActionBlock> blocks = target->frameActions(number);
    const std::shared_ptr<ClipLink> link = target->link(); // a block may remove the clip
    for (const ActionBlock& block : blocks) {
        if (!link->clip)
            return;
        // A frame that calls itself recurses: bound it like function calls.
        if (callDepth >= limits.callDepth)
            fail(QStringLiteral("function calls nested deeper than %1").arg(limits.callDepth));
        DepthGuard guard(callDepth);
        Frame f;
        f.code = block.bytes;
        f.end = int(block.bytes.size());
        f.version = block.swfVersion;
        Object* t = objectFor(link->clip);
        f.scope = {global, t};
        f.timeline = f.baseTimeline = f.locals = t;
        f.thisv = Value::object(t);
        f.registers.resize(4);
        execute(f);
    }
}

void Interpreter::applyRegisteredClass(DisplayObjectHost* clip, const QString& exportName, const Value& init,
                                       bool prototypeOnly)
{
    Object* o = objectFor(clip);
    if (!o)
        return;
    // The class's prototype first, so that the init object's values reach
    // its setters; then the constructor.
    Slot* registered = classRegistry ? classRegistry->slot(exportName, true) : nullptr;
    const Value ctor = registered && registered->value.isObject() ? registered->value : Value();
    const Value proto = ctor.isObject() ? getMember(ctor, QStringLiteral("prototype")) : Value();
    if (proto.isObject())
        o->proto = proto.o;
    if (init.isObject()) {
        for (size_t i = 0; i < init.o->props.size(); ++i) {
            const Slot s = init.o->props[i];
            if (!s.removed && !(s.flags & DontEnum))
                setMember(Value::object(o), s.name, s.value);
        }
    }
    if (!ctor.isObject() || prototypeOnly)
        return;
    o->put(QStringLiteral("__constructor__"), ctor, DontEnum);
    call(ctor, Value::object(o), {}, proto.isObject() ? proto.o : nullptr);
}

void Interpreter::getUrlOrLoad(DisplayObjectHost* base, const QString& url, const QString& window, bool loadTarget)
{
    if (url.startsWith(QLatin1String("FSCommand:"), Qt::CaseInsensitive)) {
        player.fscommand(url.mid(10), window);
        return;
    }
    int level = 0;
    if (!loadTarget && levelNumber(window, level)) {
        if (url.isEmpty())
            player.unloadMovieNum(level);
        else
            player.loadMovieNum(url, level);
        return;
    }
    if (loadTarget) {
        DisplayObjectHost* clip = resolveClipPath(base, window);
        if (!clip)
            return;
        if (url.isEmpty())
            clip->unloadMovie();
        else
            loadInto(clip, url);
        return;
    }
    player.getUrl(url, window);
}

void Interpreter::loadInto(DisplayObjectHost* clip, const QString& url)
{
    if (!clip)
        return;
    clip->loadMovie(url);
}

void Interpreter::reportLoad(DisplayObjectHost& clip, LoadEvent event, const QString& error)
{
    const std::shared_ptr<ClipLink>& link = clip.link();
    if (event == LoadEvent::Complete) {
        // The loaded movie starts with a clean timeline.
        if (Object* o = link->object) {
            o->clearProperties();
            o->proto = clipProto;
        }
    }
    std::vector<Object*> loaders;
    for (PendingLoad& p : pendingLoads) {
        if (!p.link && p.level >= 0 && !clip.parent() && clip.level() == p.level)
            p.link = link; // the level's movie has arrived
        if (p.link == link)
            loaders.push_back(p.loader);
    }
    if (event == LoadEvent::Init || event == LoadEvent::Error) {
        pendingLoads.erase(std::remove_if(pendingLoads.begin(), pendingLoads.end(),
                                          [&](const PendingLoad& p) { return p.link == link; }),
                           pendingLoads.end());
    }
    if (loaders.empty())
        return;
    QString handler;
    std::vector<Value> extra;
    switch (event) {
    case LoadEvent::Start: handler = QStringLiteral("onLoadStart"); break;
    case LoadEvent::Progress:
        handler = QStringLiteral("onLoadProgress");
        extra.push_back(Value::number(double(clip.bytesLoaded())));
        extra.push_back(Value::number(double(clip.bytesTotal())));
        break;
    case LoadEvent::Complete:
        handler = QStringLiteral("onLoadComplete");
        extra.push_back(Value::number(0));
        break;
    case LoadEvent::Init: handler = QStringLiteral("onLoadInit"); break;
    case LoadEvent::Error:
        handler = QStringLiteral("onLoadError");
        extra.push_back(Value::string(error.isEmpty() ? QStringLiteral("URLNotFound") : error));
        extra.push_back(Value::number(0));
        break;
    }
    // One run for all listeners: the loaders are no longer rooted once their
    // load finished, and garbage is only collected after a run.
    runCallback([&] {
        std::vector<Value> args{Value::object(objectFor(&clip))};
        args.insert(args.end(), extra.begin(), extra.end());
        // Each loader broadcasts the event to its listeners (itself first,
        // unless a script removed it) through its own broadcastMessage.
        std::vector<Value> message{Value::string(handler)};
        message.insert(message.end(), args.begin(), args.end());
        for (Object* loader : loaders) {
            try {
                callMethod(Value::object(loader), QStringLiteral("broadcastMessage"), message);
            } catch (const ScriptThrow& thrown) {
                // One failing loader does not keep the others from hearing.
                player.scriptError(QStringLiteral("uncaught exception in %1").arg(handler));
                (void)thrown;
            }
        }
    });
}

void Interpreter::runIntervals()
{
    const int64_t now = player.movieTimeMs();
    startFrame(now); // called once per frame: a new frame's action budget
    std::vector<std::pair<int64_t, int>> due;
    for (const auto& [id, iv] : intervals)
        if (iv.due <= now)
            due.emplace_back(iv.due, id);
    std::sort(due.begin(), due.end());
    for (const auto& [when, id] : due) {
        auto it = intervals.find(id);
        if (it == intervals.end())
            continue; // cleared by an earlier callback
        Interval iv = it->second;
        if (iv.once) {
            intervals.erase(it);
        } else {
            it->second.due += std::max<int64_t>(iv.period, 1);
            if (it->second.due <= now)
                it->second.due = now + std::max<int64_t>(iv.period, 1);
        }
        runCallback([&] {
            if (iv.method.isEmpty())
                call(iv.function, Value(), iv.args);
            else
                callMethod(iv.function, iv.method, iv.args);
        });
    }
    tickSounds();
}

double Interpreter::random()
{
    // splitmix64: small, fast and the same on every platform.
    rng += 0x9E3779B97F4A7C15ull;
    uint64_t z = rng;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace fotarel::swf::avm1
