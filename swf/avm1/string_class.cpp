// The String class.

#include "swf/avm1/builtin_helpers.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

// The string a String method works on.
QString selfString(Interpreter& vm, const Args& a)
{
    if (a.self.isObject() && a.self.o->kind == Object::Kind::Primitive)
        return vm.toString(a.self.o->primitive);
    return vm.toString(a.self);
}

// toUpperCase / toLowerCase: one character at a time (no special casing
// that changes the length) by the Flash Player's case table, which differs
// from today's Unicode in a few places.
QString changeCase(QString s, bool upper)
{
    for (QChar& c : s) {
        const char16_t u = c.unicode();
        if (c.isSurrogate())
            continue;
        if (u >= 0x10A0 && u <= 0x10FF) {
            // Georgian capitals lower to the letters of today's script; those
            // have no capitals.
            if (!upper && u <= 0x10C5)
                c = QChar(char16_t(u + 0x30));
        } else if (!upper && u == 0x03A2) {
            c = QChar(0x03C2);
        } else if (!upper && u == 0x0130) {
            c = QChar(u'i');
        } else if (upper && u == 0x03C2) {
            c = QChar(0x03A2);
        } else if (upper && u == 0x03F2) {
            c = QChar(0x03A3);
        } else if (upper && ((u >= 0x1F80 && u <= 0x1FAF && (u & 0xF) < 8) ||
                             u == 0x1FB3 || u == 0x1FC3 || u == 0x1FF3)) {
            // Greek letters with a subscript iota take their title form.
            c = QChar(char16_t(u >= 0x1FB0 ? u + 9 : u + 8));
        } else {
            const QChar m = upper ? c.toUpper() : c.toLower();
            if (m.unicodeVersion() <= QChar::Unicode_5_0)
                c = m;
        }
    }
    return s;
}

// Positions given to String methods are 32-bit integers (4294967297 is 1).
double stringIndex(Interpreter& vm, const Value& v)
{
    return double(toInt32(vm.toNumber(v)));
}

} // namespace

double relativeIndex(double i, double length)
{
    if (std::isnan(i))
        return 0;
    if (i < 0)
        return std::max(0.0, length + i);
    return std::min(i, length);
}

// String: the methods work on 32-bit positions and the Flash Player's case table.
void Interpreter::setupStringClass()
{
    Interpreter& vm = *this;
    stringProto = alloc(Object::Kind::Plain, objectProto);
    Object* stringCtor = makeClass(
        vm, "String", stringProto,
        [](Interpreter& v, Args& a) { return Value::string(a.count() ? v.toString(a.at(0)) : QString()); },
        [](Interpreter& v, Args& a) {
            // new String(s) holds its length as an own, writable property.
            const QString text = a.count() ? v.toString(a.at(0)) : QString();
            a.self.o->kind = Object::Kind::Primitive;
            a.self.o->primitive = Value::string(text);
            a.self.o->put(QStringLiteral("length"), Value::number(double(text.size())), DontEnum | DontDelete);
            return a.self;
        });
    stringCtor_ = stringCtor;
    def(vm, stringCtor, "fromCharCode", [](Interpreter& v, Args& a) {
        QString s;
        for (const Value& x : a.args)
            s += QChar(char16_t(toUint32(v.toNumber(x)) & 0xFFFF));
        return Value::string(s);
    });
    def(vm, stringProto, "toString", [](Interpreter& v, Args& a) { return Value::string(selfString(v, a)); });
    def(vm, stringProto, "valueOf", [](Interpreter& v, Args& a) { return Value::string(selfString(v, a)); });
    def(vm, stringProto, "charAt", [](Interpreter& v, Args& a) {
        const QString s = selfString(v, a);
        const double i = stringIndex(v, a.at(0));
        return Value::string(i >= 0 && i < double(s.size()) ? QString(s.at(qsizetype(i))) : QString());
    });
    def(vm, stringProto, "charCodeAt", [](Interpreter& v, Args& a) {
        const QString s = selfString(v, a);
        const double i = stringIndex(v, a.at(0));
        if (i >= 0 && i < double(s.size()))
            return Value::number(double(s.at(qsizetype(i)).unicode()));
        // Past the end SWF 5 movies read 0.
        return Value::number(i >= 0 && v.version() < 6 ? 0.0 : std::nan(""));
    });
    def(vm, stringProto, "indexOf", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value();
        const QString s = selfString(v, a);
        // A start past the end finds nothing, not even "".
        const double from = std::max(stringIndex(v, a.at(1)), 0.0);
        if (from > double(s.size()))
            return Value::number(-1);
        return Value::number(double(s.indexOf(v.toString(a.at(0)), qsizetype(from))));
    });
    def(vm, stringProto, "lastIndexOf", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value();
        const QString s = selfString(v, a);
        const double from = a.count() > 1 && !a.at(1).isUndefined()
                                ? std::clamp(stringIndex(v, a.at(1)), 0.0, double(s.size()))
                                : double(s.size());
        return Value::number(double(s.lastIndexOf(v.toString(a.at(0)), qsizetype(from))));
    });
    def(vm, stringProto, "substr", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value();
        const QString s = selfString(v, a);
        const double len = double(s.size());
        const double from = relativeIndex(stringIndex(v, a.at(0)), len);
        const double count = a.count() > 1 && !a.at(1).isUndefined() ? stringIndex(v, a.at(1)) : len - from;
        if (count <= 0)
            return Value::string(QString());
        return Value::string(s.mid(qsizetype(from), qsizetype(std::min(count, len - from))));
    });
    def(vm, stringProto, "substring", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value();
        const QString s = selfString(v, a);
        const double len = double(s.size());
        double from = std::clamp(stringIndex(v, a.at(0)), 0.0, len);
        double to = a.count() > 1 && !a.at(1).isUndefined() ? std::clamp(stringIndex(v, a.at(1)), 0.0, len) : len;
        if (from > to)
            std::swap(from, to);
        return Value::string(s.mid(qsizetype(from), qsizetype(to - from)));
    });
    def(vm, stringProto, "slice", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value();
        const QString s = selfString(v, a);
        const double len = double(s.size());
        const double from = relativeIndex(stringIndex(v, a.at(0)), len);
        const double to = a.count() > 1 && !a.at(1).isUndefined() ? relativeIndex(stringIndex(v, a.at(1)), len) : len;
        return Value::string(to > from ? s.mid(qsizetype(from), qsizetype(to - from)) : QString());
    });
    def(vm, stringProto, "split", [](Interpreter& v, Args& a) {
        const QString s = selfString(v, a);
        std::vector<Value> parts;
        const double limit = a.count() > 1 && !a.at(1).isUndefined() ? v.toInteger(a.at(1)) : 4294967295.0;
        // SWF 5 movies split at commas when no separator is given and keep
        // the string whole for an empty one; later movies keep it whole
        // without a separator and split into characters at an empty one.
        const bool swf5 = v.version() < 6;
        if (a.at(0).isUndefined() && !swf5) {
            parts.push_back(Value::string(s));
        } else {
            const QString sep = a.at(0).isUndefined() ? QStringLiteral(",") : v.toString(a.at(0));
            QStringList pieces;
            if (sep.isEmpty() && swf5) {
                pieces.append(s);
            } else if (sep.isEmpty()) {
                for (QChar c : s)
                    pieces.append(QString(c));
            } else {
                pieces = s.split(sep);
            }
            for (const QString& p : pieces) {
                if (double(parts.size()) >= limit)
                    break;
                parts.push_back(Value::string(p));
            }
        }
        return Value::object(v.newArray(std::move(parts)));
    });
    def(vm, stringProto, "toUpperCase", [](Interpreter& v, Args& a) { return Value::string(changeCase(selfString(v, a), true)); });
    def(vm, stringProto, "toLowerCase", [](Interpreter& v, Args& a) { return Value::string(changeCase(selfString(v, a), false)); });
    def(vm, stringProto, "concat", [](Interpreter& v, Args& a) {
        QString s = selfString(v, a);
        for (const Value& x : a.args) {
            s += v.toString(x);
            v.checkString(s);
        }
        return Value::string(s);
    });
}

} // namespace fotarel::swf::avm1
