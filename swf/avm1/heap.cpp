// The script heap: every object the VM makes is allocated here, counted
// against the heap bound, and freed by a mark-and-sweep collection that runs
// only between top-level runs (no script is on the stack then).
#include "swf/avm1/interpreter.h"
#include "swf/avm1/sound_state.h"

#include <algorithm>

namespace fotarel::swf::avm1 {

void Interpreter::noteAllocation(int64_t bytes)
{
    allocatedSinceGc += bytes;
    if (liveBytes + allocatedSinceGc > limits.heapBytes) {
        if (runDepth == 0) {
            collectGarbage();
            if (liveBytes + bytes <= limits.heapBytes)
                return;
        }
        fail(QStringLiteral("script memory limit of %1 bytes reached").arg(limits.heapBytes));
    }
}

Object* Interpreter::alloc(Object::Kind kind, Object* proto)
{
    noteAllocation(160);
    auto* o = new Object(kind);
    o->proto = proto;
    heap.push_back(o);
    return o;
}

Object* Interpreter::newNative(NativeFunction fn, NativeFunction construct)
{
    Object* f = alloc(Object::Kind::Function, functionProto);
    f->native = std::move(fn);
    f->nativeConstruct = std::move(construct);
    return f;
}

Object* Interpreter::newScriptFunction(std::shared_ptr<ScriptFunction> fn)
{
    Object* f = alloc(Object::Kind::Function, functionProto);
    f->script = std::move(fn);
    Object* proto = newObject();
    proto->put(QStringLiteral("constructor"), Value::object(f), DontEnum);
    f->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
    return f;
}

void Interpreter::markValue(const Value& v, std::vector<Object*>& work)
{
    if (v.type == Value::Type::Object && v.o && !v.o->marked) {
        v.o->marked = true;
        work.push_back(v.o);
    }
}

void Interpreter::collectGarbage()
{
    if (runDepth > 0)
        return;
    std::vector<Object*> work;
    auto mark = [&](Object* o) { markValue(Value::object(o), work); };
    for (Object* o : {global, objectProto, functionProto, arrayProto, stringProto, numberProto, booleanProto,
                      clipProto, loaderProto, errorProto, xmlNodeProto, xmlProto, broadcasterMethods_})
        mark(o);
    mark(classRegistry);
    mark(stringCtor_);
    mark(numberCtor_);
    mark(booleanCtor_);
    mark(textFieldProto);
    mark(textFormatProto);
    mark(nativeTable);
    links.erase(std::remove_if(links.begin(), links.end(),
                               [](const std::shared_ptr<ClipLink>& l) { return l->clip == nullptr; }),
                links.end());
    for (const auto& link : links)
        if (link->object)
            mark(link->object);
    for (const auto& [id, iv] : intervals) {
        markValue(iv.function, work);
        for (const Value& a : iv.args)
            markValue(a, work);
    }
    for (const auto& p : pendingLoads)
        mark(p.loader);
    for (const TextLoad& t : textLoads)
        mark(t.target);
    for (Object* o : activeSounds)
        mark(o);
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        mark(o->proto);
        mark(o->home);
        markValue(o->primitive, work);
        for (const Slot& s : o->props) {
            markValue(s.value, work);
            mark(s.getter);
            mark(s.setter);
        }
        if (o->watches)
            for (const auto& [name, w] : *o->watches) {
                mark(w.callback);
                markValue(w.data, work);
            }
        if (o->xml) {
            for (Object* c : o->xml->children)
                mark(c);
            mark(o->xml->parent);
            mark(o->xml->attributes);
            mark(o->xml->childArray);
        }
        if (o->sound)
            mark(o->sound->id3);
        if (o->script) {
            for (Object* s : o->script->scope)
                mark(s);
            mark(o->script->timeline);
        }
    }
    int64_t live = 0;
    size_t keep = 0;
    for (Object* o : heap) {
        if (o->marked) {
            o->marked = false;
            live += int64_t(o->estimateBytes());
            heap[keep++] = o;
        } else {
            if (o->link && o->link->object == o)
                o->link->object = nullptr;
            delete o;
        }
    }
    heap.resize(keep);
    liveBytes = live;
    allocatedSinceGc = 0;
}

void Interpreter::maybeCollect()
{
    // Collect after a quarter of the heap bound (at most 8 MB) was allocated,
    // so a bound is only reached by data scripts really keep.
    const int64_t threshold = std::min<int64_t>(8 * 1024 * 1024, limits.heapBytes / 4);
    if (runDepth == 0 && allocatedSinceGc > threshold)
        collectGarbage();
}

} // namespace fotarel::swf::avm1
