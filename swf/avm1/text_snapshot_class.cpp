// TextSnapshot: the characters of a clip's static texts, and
// MovieClip.getTextSnapshot.

#include "swf/avm1/interpreter.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

// The snapshot's clip and its characters; nullptr when `self` is no
// snapshot or its clip is gone.
TextSnapshotState* stateOf(const Value& self, DisplayObjectHost::StaticChars& chars)
{
    if (!self.isObject() || !self.o->snapshot)
        return nullptr;
    TextSnapshotState* s = self.o->snapshot.get();
    if (s->clip && s->clip->clip)
        chars = s->clip->clip->staticText();
    // Selection flags follow the text as it is now.
    s->selected.resize(size_t(chars.text.size()), false);
    return s;
}

// An index argument: NaN is 0, the rest cut toward zero and kept in int range.
int indexArg(Interpreter& vm, const Value& v) { return clampToInt(vm.toInteger(v)); }

// Characters [begin, end) of the text, with "\n" before each line start
// inside the range when asked.
QString charsIn(const DisplayObjectHost::StaticChars& chars, int begin, int end, bool lineEndings,
                const std::vector<bool>* only = nullptr)
{
    QString out;
    size_t line = 0;
    for (int i = begin; i < end; ++i) {
        while (line < chars.lineStarts.size() && chars.lineStarts[line] < i)
            ++line;
        if (only && !(*only)[size_t(i)])
            continue;
        if (lineEndings && line < chars.lineStarts.size() && chars.lineStarts[line] == i && !out.isEmpty())
            out += QLatin1Char('\n');
        out += chars.text[i];
    }
    return out;
}

// [begin, end) of a range argument pair, inside the text; an empty or
// reversed range covers the character at begin.
void rangeArgs(Interpreter& vm, const Args& a, int count, int& begin, int& end)
{
    begin = std::clamp(indexArg(vm, a.at(0)), 0, count);
    end = std::clamp(indexArg(vm, a.at(1)), 0, count);
    if (end <= begin)
        end = std::min(begin + 1, count);
}

} // namespace

void setupTextSnapshotClass(Interpreter& vm)
{
    Object* proto = vm.alloc(Object::Kind::Plain, vm.objectProto);
    Object* ctor = vm.newNative([](Interpreter& v, Args& a) -> Value {
        if (!a.construct || !a.self.isObject())
            return {};
        auto state = std::make_unique<TextSnapshotState>();
        if (DisplayObjectHost* clip = v.clipOf(a.at(0)))
            state->clip = clip->link();
        a.self.o->snapshot = std::move(state);
        return {};
    });
    ctor->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
    proto->put(QStringLiteral("constructor"), Value::object(ctor), DontEnum);
    vm.global->put(QStringLiteral("TextSnapshot"), Value::object(ctor), DontEnum);

    // The methods are enumerable and exist from SWF 6 on (a for..in loop
    // still lists them for older movies).
    using Method = std::function<Value(Interpreter&, TextSnapshotState&, const DisplayObjectHost::StaticChars&, Args&)>;
    auto method = [&](const char* name, Method fn) {
        proto->put(QString::fromLatin1(name), Value::object(vm.newNative([fn](Interpreter& v, Args& a) -> Value {
            DisplayObjectHost::StaticChars chars;
            TextSnapshotState* s = stateOf(a.self, chars);
            return s ? fn(v, *s, chars, a) : Value();
        })), FromSwf6);
    };
    method("getCount", [](Interpreter&, TextSnapshotState&, const DisplayObjectHost::StaticChars& c, Args&) {
        return Value::number(double(c.text.size()));
    });
    method("setSelected", [](Interpreter& v, TextSnapshotState& s, const DisplayObjectHost::StaticChars& c, Args& a) {
        if (a.count() < 3)
            return Value();
        int begin = 0, end = 0;
        rangeArgs(v, a, int(c.text.size()), begin, end);
        const bool select = v.toBoolean(a.at(2));
        for (int i = begin; i < end; ++i)
            s.selected[size_t(i)] = select;
        return Value();
    });
    method("getSelected", [](Interpreter& v, TextSnapshotState& s, const DisplayObjectHost::StaticChars& c, Args& a) {
        if (a.count() < 2)
            return Value();
        int begin = 0, end = 0;
        rangeArgs(v, a, int(c.text.size()), begin, end);
        for (int i = begin; i < end; ++i)
            if (s.selected[size_t(i)])
                return Value::boolean(true);
        return Value::boolean(false);
    });
    method("getText", [](Interpreter& v, TextSnapshotState&, const DisplayObjectHost::StaticChars& c, Args& a) {
        if (a.count() < 2)
            return Value();
        int begin = 0, end = 0;
        rangeArgs(v, a, int(c.text.size()), begin, end);
        return Value::string(charsIn(c, begin, end, v.toBoolean(a.at(2))));
    });
    method("getSelectedText", [](Interpreter& v, TextSnapshotState& s, const DisplayObjectHost::StaticChars& c, Args& a) {
        return Value::string(charsIn(c, 0, int(c.text.size()), v.toBoolean(a.at(0)), &s.selected));
    });
    method("hitTestTextNearPos", [](Interpreter& v, TextSnapshotState&, const DisplayObjectHost::StaticChars&, Args&) {
        v.noteMissing(QStringLiteral("TextSnapshot.hitTestTextNearPos"));
        return Value::number(-1);
    });
    method("findText", [](Interpreter& v, TextSnapshotState&, const DisplayObjectHost::StaticChars& c, Args& a) {
        // (start, text, caseSensitive): all three are needed.
        if (a.count() != 3)
            return Value();
        const int start = indexArg(v, a.at(0));
        const QString needle = v.toString(a.at(1));
        const Qt::CaseSensitivity cs = v.toBoolean(a.at(2)) ? Qt::CaseSensitive : Qt::CaseInsensitive;
        if (start < 0 || start >= c.text.size() || needle.isEmpty())
            return Value::number(-1);
        return Value::number(double(c.text.indexOf(needle, start, cs)));
    });
    method("setSelectColor", [](Interpreter& v, TextSnapshotState& s, const DisplayObjectHost::StaticChars&, Args& a) {
        if (a.count() >= 1)
            s.selectColor = toUint32(v.toNumber(a.at(0))) & 0xffffff;
        return Value();
    });
    method("getTextRunInfo", [](Interpreter& v, TextSnapshotState&, const DisplayObjectHost::StaticChars&, Args&) {
        v.noteMissing(QStringLiteral("TextSnapshot.getTextRunInfo"));
        return Value::object(v.newArray());
    });

    // MovieClip.getTextSnapshot(): a new TextSnapshot of the clip, made by
    // whatever _global.TextSnapshot is now.
    vm.defineMethod(vm.clipProto, "getTextSnapshot", [](Interpreter& v, Args& a) -> Value {
        if (!v.clipOf(a.self))
            return {};
        return v.construct(v.getMember(Value::object(v.global), QStringLiteral("TextSnapshot")), {a.self});
    });
}

} // namespace fotarel::swf::avm1
