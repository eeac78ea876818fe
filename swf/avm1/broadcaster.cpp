// AsBroadcaster, and the Flash Player objects that broadcast with it: Stage,
// Key, Mouse and System.IME. A broadcaster keeps its listeners in the array
// `_listeners`, which scripts can see and change, as in the Flash Player.

#include "swf/avm1/interpreter.h"

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

Object* listenersOf(Interpreter& vm, const Value& self)
{
    const Value list = self.isObject() ? vm.getMember(self, QStringLiteral("_listeners")) : Value();
    return list.isObject() && list.o->kind == Object::Kind::Array ? list.o : nullptr;
}

} // namespace

void Interpreter::setupBroadcaster()
{
    Object* broadcaster = newObject();
    global->put(QStringLiteral("AsBroadcaster"), Value::object(broadcaster), DontEnum);

    // removeListener takes out the last listener equal (==) to the argument,
    // so null also takes out an undefined listener; addListener does that
    // first and then adds its listener at the end.
    auto takeOut = [](Interpreter& v, std::vector<Value>& items, const Value& listener) {
        for (size_t i = items.size(); i-- > 0;)
            if (v.looseEquals(items[i], listener)) {
                items.erase(items.begin() + ptrdiff_t(i));
                return true;
            }
        return false;
    };
    Object* add = newNative([takeOut](Interpreter& v, Args& a) {
        Object* list = listenersOf(v, a.self);
        if (!list)
            return Value::boolean(false);
        std::vector<Value> items = v.arrayValues(list);
        takeOut(v, items, a.at(0));
        items.push_back(a.at(0));
        v.setArrayValues(list, items);
        return Value::boolean(true);
    });
    Object* remove = newNative([takeOut](Interpreter& v, Args& a) {
        Object* list = listenersOf(v, a.self);
        if (!list)
            return Value::boolean(false);
        std::vector<Value> items = v.arrayValues(list);
        if (!takeOut(v, items, a.at(0)))
            return Value::boolean(false);
        v.setArrayValues(list, items);
        return Value::boolean(true);
    });
    // broadcastMessage(name, args...): calls the method on a copy of the
    // list (listeners may add or remove listeners); true when anyone heard.
    Object* broadcast = newNative([](Interpreter& v, Args& a) -> Value {
        Object* list = listenersOf(v, a.self);
        const std::vector<Value> targets = v.arrayValues(list);
        if (targets.empty())
            return Value();
        const QString method = v.toString(a.at(0));
        const std::vector<Value> args(a.args.begin() + std::min<ptrdiff_t>(1, ptrdiff_t(a.args.size())), a.args.end());
        for (const Value& t : targets) {
            // A removed clip hears nothing, though it stays in the list.
            if (t.isObject() && t.o->kind == Object::Kind::Clip && !t.o->clip())
                continue;
            v.callMethod(t, method, args);
        }
        return Value::boolean(true);
    });
    broadcaster->put(QStringLiteral("addListener"), Value::object(add), DontEnum);
    broadcaster->put(QStringLiteral("removeListener"), Value::object(remove), DontEnum);
    broadcaster->put(QStringLiteral("broadcastMessage"), Value::object(broadcast), DontEnum);
    Object* initialize = newNative([](Interpreter& v, Args& a) {
        if (a.at(0).isObject())
            v.makeBroadcaster(a.at(0).o);
        return Value();
    });
    broadcaster->put(QStringLiteral("initialize"), Value::object(initialize), DontEnum);
    broadcasterMethods_ = broadcaster;

    // Key and Mouse: broadcasters whose events come from the player's input.
    Object* key = newObject();
    global->put(QStringLiteral("Key"), Value::object(key), DontEnum);
    const std::pair<const char*, int> codes[] = {
        {"BACKSPACE", 8}, {"TAB", 9},       {"ENTER", 13},     {"SHIFT", 16}, {"CONTROL", 17}, {"ALT", 18},
        {"CAPSLOCK", 20}, {"ESCAPE", 27},   {"SPACE", 32},     {"PGUP", 33},  {"PGDN", 34},    {"END", 35},
        {"HOME", 36},     {"LEFT", 37},     {"UP", 38},        {"RIGHT", 39}, {"DOWN", 40},    {"INSERT", 45},
        {"DELETEKEY", 46},
    };
    for (const auto& [name, code] : codes)
        key->put(QString::fromLatin1(name), Value::number(code), DontEnum | DontDelete | ReadOnly);
    makeBroadcaster(key);
    setupKeyMethods(key);
    Object* mouse = newObject();
    global->put(QStringLiteral("Mouse"), Value::object(mouse), DontEnum);
    makeBroadcaster(mouse);

    // Stage and System.IME broadcast too.
    if (const Value stage = getMember(Value::object(global), QStringLiteral("Stage")); stage.isObject())
        makeBroadcaster(stage.o);
    if (const Value system = getMember(Value::object(global), QStringLiteral("System")); system.isObject()) {
        Object* ime = newObject();
        system.o->put(QStringLiteral("IME"), Value::object(ime));
        makeBroadcaster(ime);
    }
    setupSelection();
}

void Interpreter::makeBroadcaster(Object* o)
{
    o->put(QStringLiteral("_listeners"), Value::object(newArray()), DontEnum);
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        const QString n = QString::fromLatin1(name);
        o->put(n, getMember(Value::object(broadcasterMethods_), n), DontEnum);
    }
}

} // namespace fotarel::swf::avm1
