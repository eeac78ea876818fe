// Loading text: LoadVars, XML.load and loadVariables. A request is queued
// and answered at the end of the frame that made it (completeTextLoads), with
// the file read through PlayerHost::readFile. Nothing is sent anywhere: a
// movie plays from local files only.

#include "swf/avm1/builtin_helpers.h"
#include "swf/avm1/interpreter.h"

namespace fotarel::swf::avm1 {

namespace {

constexpr size_t kMaxPendingTextLoads = 256;

// "a=1&b=two%20words" into members of `target` (unescaped: "+" is a space).
void decodeVariables(Interpreter& vm, const Value& target, const QString& text)
{
    for (const QString& pair : text.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? pair : pair.left(eq);
        const QString value = eq < 0 ? QString() : pair.mid(eq + 1);
        vm.setMember(target, unescapeText(name), Value::string(unescapeText(value)));
    }
}

// Text files are UTF-8 (a byte-order mark is dropped).
QString textOf(const QByteArray& bytes)
{
    QString s = QString::fromUtf8(bytes);
    if (s.startsWith(QChar(0xfeff)))
        s.remove(0, 1);
    return s;
}

} // namespace

// The load state members are the player's: hidden from for..in and toString;
// the byte counts cannot be deleted.
void setLoadState(Object* o, const char* name, const Value& v)
{
    const QString key = QString::fromLatin1(name);
    o->put(key, v, key.startsWith(QLatin1Char('_')) ? uint16_t(DontEnum | DontDelete) : uint16_t(DontEnum));
}

void Interpreter::requestText(Object* target, DisplayObjectHost* clip, const QString& url)
{
    if (textLoads.size() >= kMaxPendingTextLoads) {
        noteMissing(QStringLiteral("more than %1 pending text loads").arg(kMaxPendingTextLoads));
        return;
    }
    TextLoad load;
    load.target = target;
    if (clip)
        load.clip = clip->link();
    load.url = url;
    textLoads.push_back(std::move(load));
}

void Interpreter::completeTextLoads()
{
    completeSoundLoads();
    if (textLoads.empty())
        return;
    std::vector<TextLoad> loads;
    loads.swap(textLoads);
    for (const TextLoad& load : loads) {
        QString why;
        const std::optional<QByteArray> bytes = player.readFile(load.url, &why);
        if (!bytes)
            player.scriptError(QStringLiteral("load of %1 failed: %2").arg(load.url, why));
        runCallback([&] {
            if (load.clip) {
                // loadVariables: the variables land on the clip, which then
                // hears its data event.
                DisplayObjectHost* clip = load.clip->clip;
                if (!clip || !bytes)
                    return;
                const Value clipObject = Value::object(objectFor(clip));
                decodeVariables(*this, clipObject, textOf(*bytes));
                callMethod(clipObject, QStringLiteral("onData"), {});
                return;
            }
            const Value target = Value::object(load.target);
            if (bytes) {
                const double size = double(bytes->size());
                setLoadState(load.target, "_bytesLoaded", Value::number(size));
                setLoadState(load.target, "_bytesTotal", Value::number(size));
            }
            callMethod(target, QStringLiteral("onData"), {bytes ? Value::string(textOf(*bytes)) : Value()});
        });
    }
}

void Interpreter::setupLoadVars()
{
    Interpreter& vm = *this;
    Object* proto = newObject();
    Object* ctor = newNative([](Interpreter&, Args&) { return Value(); },
                             [](Interpreter&, Args&) { return Value(); });
    ctor->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
    proto->put(QStringLiteral("constructor"), Value::object(ctor), DontEnum);
    proto->put(QStringLiteral("contentType"), Value::string(QStringLiteral("application/x-www-form-urlencoded")),
               DontEnum);
    global->put(QStringLiteral("LoadVars"), Value::object(ctor), DontEnum);
    installTextLoading(proto);

    // The default onData decodes the variables, marks the object loaded and
    // tells onLoad; undefined data (a failed load) is onLoad(false).
    def(vm, proto, "onData", [](Interpreter& v, Args& a) {
        if (a.at(0).isUndefined()) {
            v.callMethod(a.self, QStringLiteral("onLoad"), {Value::boolean(false)});
            return Value();
        }
        decodeVariables(v, a.self, v.toString(a.at(0)));
        if (a.self.isObject())
            setLoadState(a.self.o, "loaded", Value::boolean(true));
        v.callMethod(a.self, QStringLiteral("onLoad"), {Value::boolean(true)});
        return Value();
    });
    def(vm, proto, "onLoad", [](Interpreter&, Args&) { return Value(); });
    def(vm, proto, "decode", [](Interpreter& v, Args& a) {
        if (a.self.isObject())
            decodeVariables(v, a.self, v.toString(a.at(0)));
        return Value();
    });
    // "name=value&..." of the enumerable members, escaped, newest first (as
    // for..in lists them).
    def(vm, proto, "toString", [](Interpreter& v, Args& a) {
        QStringList pairs;
        const QStringList names = v.enumerate(a.self);
        for (auto it = names.rbegin(); it != names.rend(); ++it) {
            const QString& name = *it;
            pairs.append(escapeText(name) + QLatin1Char('=') + escapeText(v.toString(v.getMember(a.self, name))));
        }
        QString out = pairs.join(QLatin1Char('&'));
        v.checkString(out);
        return Value::string(out);
    });
}

void Interpreter::installTextLoading(Object* proto)
{
    Interpreter& vm = *this;
    // load(url): true when a request was queued.
    def(vm, proto, "load", [](Interpreter& v, Args& a) {
        if (!a.self.isObject() || a.at(0).isNullish())
            return Value::boolean(false);
        v.startTextLoad(a.self.o, v.toString(a.at(0)));
        return Value::boolean(true);
    });
    // sendAndLoad(url, target): nothing is sent; the target loads the url.
    def(vm, proto, "sendAndLoad", [](Interpreter& v, Args& a) {
        if (!a.self.isObject() || a.at(0).isNullish() || !a.at(1).isObject())
            return Value::boolean(false);
        v.startTextLoad(a.at(1).o, v.toString(a.at(0)));
        return Value::boolean(true);
    });
    def(vm, proto, "send", [](Interpreter&, Args&) { return Value::boolean(false); });
    def(vm, proto, "addRequestHeader", [](Interpreter&, Args&) { return Value(); });
    def(vm, proto, "getBytesLoaded", [](Interpreter& v, Args& a) {
        return v.getMember(a.self, QStringLiteral("_bytesLoaded"));
    });
    def(vm, proto, "getBytesTotal", [](Interpreter& v, Args& a) {
        return v.getMember(a.self, QStringLiteral("_bytesTotal"));
    });
}

void Interpreter::startTextLoad(Object* target, const QString& url)
{
    setLoadState(target, "loaded", Value::boolean(false));
    setLoadState(target, "_bytesLoaded", Value::number(0));
    setLoadState(target, "_bytesTotal", Value());
    requestText(target, nullptr, url);
}

} // namespace fotarel::swf::avm1
