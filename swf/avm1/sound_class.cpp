// The Sound class: its script side only. No audio is played; what scripts
// can observe is kept: each clip's volume, pan and channel transform, the
// duration of attached or loaded sounds, the ID3 tags of loaded MP3 files and
// the onID3 / onLoad / onSoundComplete events, timed by the movie clock so a
// movie behaves the same on every run.

#include "swf/avm1/builtin_helpers.h"
#include "swf/avm1/interpreter.h"
#include "swf/avm1/sound_state.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

// Sounds loading or playing at once (a script that keeps calling loadSound
// in a loop); further loads are refused.
constexpr size_t kMaxActiveSounds = 1024;
// Rounds of loads finished in one frame: a load asked for by the events of
// another finishes in the same frame, up to this many in a chain.
constexpr int kMaxLoadRounds = 32;

SoundState* stateOf(const Value& v)
{
    return v.isObject() && v.o->sound ? v.o->sound.get() : nullptr;
}

SoundState& ensureState(Object* o)
{
    if (!o->sound)
        o->sound = std::make_shared<SoundState>();
    return *o->sound;
}

// The object whose transform a Sound object controls: the movie's (kept on
// _global) for a Sound made without a clip, else the clip's script object;
// nullptr when the clip cannot be found by its path any more.
Object* transformHolder(Interpreter& vm, const SoundState& s)
{
    if (!s.hasOwner)
        return vm.global;
    DisplayObjectHost* base = vm.player.levelRoot(0);
    DisplayObjectHost* clip = vm.resolveClipPath(base, s.ownerPath);
    return clip ? vm.objectFor(clip) : nullptr;
}

// The clip a Sound object's attachSound looks in for exported sounds.
DisplayObjectHost* ownerClip(Interpreter& vm, const SoundState& s)
{
    DisplayObjectHost* base = vm.player.levelRoot(0);
    return s.hasOwner ? vm.resolveClipPath(base, s.ownerPath) : base;
}

Value roundedMs(double ms)
{
    return Value::number(std::round(ms));
}

// Read-only accessors for the load state members; a property the object
// already holds keeps its value.
void addReadOnly(Interpreter& vm, Object* o, const QString& name, NativeFunction get)
{
    o->put(name, Value(), DontEnum | DontDelete);
    Slot* slot = o->slot(name, true);
    slot->getter = vm.newNative(std::move(get));
    slot->setter = nullptr;
}

// The load state members appear on a Sound object once it has a sound
// (attachSound, loadSound), as read-only accessors; ones a script set before
// keep its values (duration and position only as a pair).
void addLoadMembers(Interpreter& vm, Object* o)
{
    const bool cs = vm.caseSensitive();
    if (!(o->slot(QStringLiteral("duration"), cs) && o->slot(QStringLiteral("position"), cs))) {
        addReadOnly(vm, o, QStringLiteral("duration"), [](Interpreter& v, Args& b) {
            return v.callMethod(b.self, QStringLiteral("getDuration"), {});
        });
        addReadOnly(vm, o, QStringLiteral("position"), [](Interpreter& v, Args& b) {
            return v.callMethod(b.self, QStringLiteral("getPosition"), {});
        });
    }
    if (!o->slot(QStringLiteral("id3"), cs)) {
        addReadOnly(vm, o, QStringLiteral("id3"), [](Interpreter&, Args& b) {
            SoundState* st = stateOf(b.self);
            return st && st->id3 ? Value::object(st->id3) : Value();
        });
    }
}

} // namespace

void Interpreter::setupSoundClass()
{
    Interpreter& vm = *this;
    Object* proto = newObject();
    Object* ctor = newNative([](Interpreter&, Args&) { return Value(); },
                             [](Interpreter& v, Args& a) {
                                 if (!a.self.isObject())
                                     return Value();
                                 SoundState& s = ensureState(a.self.o);
                                 if (a.count() == 0 || a.at(0).isUndefined())
                                     return Value();
                                 // The clip is remembered by its path and found
                                 // again on each call, as Flash Player does.
                                 s.hasOwner = true;
                                 if (DisplayObjectHost* c = v.clipOf(a.at(0))) {
                                     s.ownerPath = v.targetPath(c);
                                     return Value();
                                 }
                                 const QString path = v.toString(a.at(0));
                                 DisplayObjectHost* base =
                                     v.current ? v.clipOf(Value::object(v.current->timeline)) : nullptr;
                                 DisplayObjectHost* c = v.resolveClipPath(base, path);
                                 s.ownerPath = c ? v.targetPath(c) : path;
                                 return Value();
                             });
    ctor->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
    proto->put(QStringLiteral("constructor"), Value::object(ctor), DontEnum);
    global->put(QStringLiteral("Sound"), Value::object(ctor), DontEnum);

    // --- the transform of the owner's sounds -----------------------------
    auto withTransform = [](std::function<Value(Interpreter&, SoundState&, Args&)> fn) -> NativeFunction {
        return [fn](Interpreter& v, Args& a) -> Value {
            SoundState* s = stateOf(a.self);
            if (!s)
                return Value();
            Object* holder = transformHolder(v, *s);
            if (!holder)
                return Value();
            return fn(v, ensureState(holder), a);
        };
    };
    def(vm, proto, "getVolume", withTransform([](Interpreter&, SoundState& t, Args&) {
        return Value::number(t.volume);
    }));
    def(vm, proto, "setVolume", withTransform([](Interpreter& v, SoundState& t, Args& a) {
        t.volume = clampToInt(v.toNumber(a.at(0)));
        return Value();
    }));
    // Pan is the balance of the two direct channels: a positive pan turns
    // the left one down, a negative one the right one.
    def(vm, proto, "getPan", withTransform([](Interpreter&, SoundState& t, Args&) {
        return Value::number(t.ll != 100 ? 100 - t.ll : t.rr - 100);
    }));
    def(vm, proto, "setPan", withTransform([](Interpreter& v, SoundState& t, Args& a) {
        const int pan = clampToInt(v.toNumber(a.at(0)));
        t.ll = pan > 0 ? 100 - pan : 100;
        t.rr = pan < 0 ? 100 + pan : 100;
        t.lr = 0;
        t.rl = 0;
        return Value();
    }));
    def(vm, proto, "getTransform", withTransform([](Interpreter& v, SoundState& t, Args&) {
        Object* o = v.newObject();
        o->put(QStringLiteral("ll"), Value::number(t.ll));
        o->put(QStringLiteral("lr"), Value::number(t.lr));
        o->put(QStringLiteral("rr"), Value::number(t.rr));
        o->put(QStringLiteral("rl"), Value::number(t.rl));
        return Value::object(o);
    }));
    def(vm, proto, "setTransform", withTransform([](Interpreter& v, SoundState& t, Args& a) {
        if (!a.at(0).isObject())
            return Value();
        const Value o = a.at(0);
        auto take = [&](const char* name, int& field) {
            const Value x = v.getMember(o, QString::fromLatin1(name));
            if (!x.isUndefined())
                field = clampToInt(v.toNumber(x));
        };
        take("ll", t.ll);
        take("lr", t.lr);
        take("rr", t.rr);
        take("rl", t.rl);
        return Value();
    }));

    // --- the sound of this object -----------------------------------------
    def(vm, proto, "attachSound", [](Interpreter& v, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s || a.count() == 0)
            return Value();
        DisplayObjectHost* clip = ownerClip(v, *s);
        const double ms = clip ? clip->exportedSoundMs(v.toString(a.at(0))) : -1;
        if (ms < 0)
            return Value();
        s->load = SoundState::Load::Loaded;
        s->durationMs = ms;
        s->playing = false;
        s->completed = false;
        if (v.version() >= 6)
            addLoadMembers(v, a.self.o);
        return Value();
    });
    def(vm, proto, "start", [](Interpreter& v, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s || s->load == SoundState::Load::None || s->load == SoundState::Load::Failed)
            return Value();
        s->offsetMs = std::max(0.0, v.toNumber(a.at(0)) * 1000.0);
        if (!std::isfinite(s->offsetMs))
            s->offsetMs = 0;
        const double loops = v.toNumber(a.at(1));
        s->loops = std::isfinite(loops) ? std::clamp(int(loops), 1, 1 << 20) : 1;
        s->completed = false;
        if (s->load == SoundState::Load::Loading) {
            s->playWhenLoaded = true;
            return Value();
        }
        v.startSound(a.self.o);
        return Value();
    });
    def(vm, proto, "stop", [](Interpreter& v, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s)
            return Value();
        // A Sound of the whole movie stops every sound.
        if (!s->hasOwner) {
            for (Object* o : v.activeSounds)
                if (o->sound) {
                    o->sound->playing = false;
                    o->sound->playWhenLoaded = false;
                }
        }
        s->playing = false;
        s->playWhenLoaded = false;
        return Value();
    });

    // SWF 6 additions.
    def(vm, proto, "getDuration", [](Interpreter&, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s || s->load == SoundState::Load::None)
            return Value();
        return roundedMs(s->load == SoundState::Load::Loaded ? s->durationMs : 0);
    }, FromSwf6);
    def(vm, proto, "getPosition", [](Interpreter&, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s || s->load == SoundState::Load::None)
            return Value();
        return roundedMs(s->completed ? s->durationMs : 0);
    }, FromSwf6);
    def(vm, proto, "setDuration", [](Interpreter&, Args&) { return Value(); }, FromSwf6);
    def(vm, proto, "setPosition", [](Interpreter&, Args&) { return Value(); }, FromSwf6);
    def(vm, proto, "getBytesLoaded", [](Interpreter&, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s || s->bytes < 0)
            return Value();
        return Value::number(s->load == SoundState::Load::Loaded ? double(s->bytes) : 0);
    }, FromSwf6);
    def(vm, proto, "getBytesTotal", [](Interpreter&, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s || s->bytes < 0)
            return Value();
        return Value::number(double(s->bytes));
    }, FromSwf6);
    def(vm, proto, "loadSound", [](Interpreter& v, Args& a) {
        SoundState* s = stateOf(a.self);
        if (!s || a.count() == 0)
            return Value();
        Object* o = a.self.o;
        const bool listed = std::find(v.activeSounds.begin(), v.activeSounds.end(), o) != v.activeSounds.end();
        if (!listed && v.activeSounds.size() >= kMaxActiveSounds) {
            v.noteMissing(QStringLiteral("more than %1 sounds loading or playing").arg(kMaxActiveSounds));
            return Value();
        }
        s->url = v.toString(a.at(0));
        s->streaming = v.toBoolean(a.at(1));
        s->load = SoundState::Load::Loading;
        s->durationMs = 0;
        s->bytes = 0;
        s->playing = false;
        s->playWhenLoaded = false;
        s->completed = false;
        s->id3 = nullptr;
        addLoadMembers(v, o);
        if (!listed)
            v.activeSounds.push_back(o);
        return Value();
    }, FromSwf6);
}

void Interpreter::startSound(Object* o)
{
    SoundState& s = *o->sound;
    s.playing = true;
    s.playWhenLoaded = false;
    s.completed = false;
    const double once = std::max(0.0, s.durationMs - s.offsetMs);
    s.completeAt = player.movieTimeMs() + int64_t(std::llround(once + s.durationMs * (s.loops - 1)));
    if (std::find(activeSounds.begin(), activeSounds.end(), o) == activeSounds.end()
        && activeSounds.size() < kMaxActiveSounds)
        activeSounds.push_back(o);
}

void Interpreter::completeSoundLoads()
{
    for (int round = 0; round < kMaxLoadRounds; ++round) {
        std::vector<Object*> loading;
        for (Object* o : activeSounds)
            if (o->sound && o->sound->load == SoundState::Load::Loading)
                loading.push_back(o);
        if (loading.empty())
            return;
        for (Object* o : loading) {
            SoundState& s = *o->sound;
            if (s.load != SoundState::Load::Loading)
                continue;
            const QString url = s.url;
            QString why;
            const std::optional<QByteArray> bytes = player.readFile(url, &why);
            const Value self = Value::object(o);
            if (!bytes) {
                player.scriptError(QStringLiteral("load of %1 failed: %2").arg(url, why));
                s.load = SoundState::Load::Failed;
                s.bytes = -1;
                runCallback([&] { callMethod(self, QStringLiteral("onLoad"), {Value::boolean(false)}); });
                continue;
            }
            const Mp3Info info = readMp3(*bytes);
            if (!info.tags.empty()) {
                Object* id3 = alloc(Object::Kind::Plain, nullptr);
                for (const auto& [name, text] : info.tags)
                    id3->put(name, Value::string(text));
                s.id3 = id3;
                runCallback([&] { callMethod(self, QStringLiteral("onID3"), {}); });
            }
            // A load asked for again by onID3 starts over.
            if (s.load != SoundState::Load::Loading || s.url != url)
                continue;
            s.load = SoundState::Load::Loaded;
            s.durationMs = info.durationMs;
            s.bytes = bytes->size();
            const bool play = s.streaming || s.playWhenLoaded;
            if (play)
                startSound(o);
            runCallback([&] { callMethod(self, QStringLiteral("onLoad"), {Value::boolean(true)}); });
        }
    }
}

void Interpreter::tickSounds()
{
    const int64_t now = player.movieTimeMs();
    std::vector<std::pair<int64_t, Object*>> done;
    for (Object* o : activeSounds)
        if (o->sound && o->sound->playing && o->sound->completeAt <= now)
            done.emplace_back(o->sound->completeAt, o);
    std::stable_sort(done.begin(), done.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : done) {
        const int64_t when = entry.first;
        Object* o = entry.second; // a plain variable: lambdas below capture it
        SoundState& s = *o->sound;
        if (!s.playing || s.completeAt != when)
            continue; // stopped or started again by an earlier handler
        s.playing = false;
        s.completed = true;
        runCallback([&] { callMethod(Value::object(o), QStringLiteral("onSoundComplete"), {}); });
    }
    activeSounds.erase(std::remove_if(activeSounds.begin(), activeSounds.end(),
                                      [](Object* o) {
                                          return !o->sound || (!o->sound->playing
                                                               && o->sound->load != SoundState::Load::Loading);
                                      }),
                       activeSounds.end());
}

} // namespace fotarel::swf::avm1
