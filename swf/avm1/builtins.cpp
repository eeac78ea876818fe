// The built-in classes and global functions scripts of template movies use.

#include "swf/avm1/interpreter.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

void def(Interpreter& vm, Object* o, const char* name, NativeFunction fn)
{
    o->put(QString::fromLatin1(name), Value::object(vm.newNative(std::move(fn))), DontEnum);
}

void constant(Object* o, const char* name, Value v)
{
    o->put(QString::fromLatin1(name), std::move(v), DontEnum | DontDelete | ReadOnly);
}

// The string a String method works on.
QString selfString(Interpreter& vm, const Args& a)
{
    if (a.self.isObject() && a.self.o->kind == Object::Kind::Primitive)
        return vm.toString(a.self.o->primitive);
    return vm.toString(a.self);
}


// parseInt as the Flash Player reads it: a radix given must be 2 to 36
// (undefined counts as given: NaN). A "0x" at the very start means hex (and
// is skipped under a given radix); a text of octal digits only with a leading
// zero (after an optional sign) is octal. Otherwise blanks and a sign come
// first; a sign followed by "0x" is not a number unless a radix is given.
double parseIntText(const QString& text, bool radixGiven, const Value& radixArg, Interpreter& vm)
{
    int radix = 0;
    if (radixGiven) {
        const double r = vm.toNumber(radixArg);
        if (!(r >= 2 && r < 37))
            return std::nan("");
        radix = int(r);
    }
    qsizetype i = 0;
    bool neg = false;
    auto skipBlanksAndSign = [&] {
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
            neg = text[i++] == QLatin1Char('-');
    };
    auto hexPrefixAt = [&](qsizetype at) {
        return at + 1 < text.size() && text[at] == QLatin1Char('0') && (text[at + 1] == QLatin1Char('x') || text[at + 1] == QLatin1Char('X'));
    };
    // Octal: an optional sign, a zero and octal digits only.
    const qsizetype digitsFrom = !text.isEmpty() && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) ? 1 : 0;
    bool octalOnly = text.size() > digitsFrom + 1 && text[digitsFrom] == QLatin1Char('0');
    for (qsizetype k = digitsFrom; k < text.size(); ++k)
        octalOnly = octalOnly && text[k] >= QLatin1Char('0') && text[k] <= QLatin1Char('7');
    if (hexPrefixAt(0)) {
        i = 2;
        if (!radixGiven) {
            radix = 16;
            skipBlanksAndSign();
        }
    } else if (!radixGiven && octalOnly) {
        radix = 8;
        neg = text[0] == QLatin1Char('-');
        i = digitsFrom;
    } else {
        skipBlanksAndSign();
        if (radix == 0)
            radix = 10;
        if (i > 0 && hexPrefixAt(i) && (text[i - 1] == QLatin1Char('-') || text[i - 1] == QLatin1Char('+'))) {
            // Under a radix the "0x" are digits, or nothing is a number.
            if (!radixGiven || radix <= 33)
                return std::nan("");
            if (i == 1)
                neg = false; // the Flash Player drops a sign at the very start here

        }
    }
    double v = 0;
    int digits = 0;
    for (; i < text.size(); ++i) {
        const ushort u = text[i].unicode();
        int d = 99;
        if (u >= '0' && u <= '9')
            d = u - '0';
        else if ((u | 0x20) >= 'a' && (u | 0x20) <= 'z')
            d = (u | 0x20) - 'a' + 10;
        if (d >= radix)
            break;
        v = v * radix + d;
        ++digits;
    }
    if (digits == 0)
        return std::nan("");
    return neg ? -v : v;
}

double parseFloatText(const QString& text)
{
    const QString s = text.trimmed();
    QByteArray ascii;
    for (QChar c : s) {
        if (c.unicode() >= 128)
            break;
        ascii.append(char(c.unicode()));
    }
    const char* begin = ascii.constData();
    char* end = nullptr;
    // Only decimal forms: strtod would also take "0x..", "inf" and "nan".
    int i = 0;
    if (begin[i] == '+' || begin[i] == '-')
        ++i;
    if (!(std::isdigit(uchar(begin[i])) || (begin[i] == '.' && std::isdigit(uchar(begin[i + 1])))))
        return std::nan("");
    if (begin[i] == '0' && (begin[i + 1] == 'x' || begin[i + 1] == 'X'))
        return 0;
    const double v = std::strtod(begin, &end);
    return end == begin ? std::nan("") : v;
}

} // namespace

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

double relativeIndex(double i, double length)
{
    if (std::isnan(i))
        return 0;
    if (i < 0)
        return std::max(0.0, length + i);
    return std::min(i, length);
}

QString escapeText(const QString& s)
{
    QString out;
    const QByteArray utf8 = s.toUtf8();
    for (char ch : utf8) {
        const auto c = uchar(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// "+" is a space. "%" takes the next two characters: two hex digits give
// a byte, anything else is dropped ("%" and one character when the first is
// no hex digit, all three when the second is not).
QString unescapeText(const QString& s)
{
    auto hex = [&](qsizetype i) { return i < s.size() && isxdigit(s[i].unicode() < 128 ? s[i].toLatin1() : 'g'); };
    QByteArray bytes;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('%')) {
            if (!hex(i + 1)) {
                i += 1;
                continue;
            }
            if (hex(i + 2))
                bytes.append(char(s.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
            continue;
        }
        if (s[i] == QLatin1Char('+'))
            bytes.append(' ');
        else
            bytes.append(QString(s[i]).toUtf8());
    }
    return QString::fromUtf8(bytes);
}

void Interpreter::setupBuiltins()
{
    Interpreter& vm = *this;
    objectProto = alloc(Object::Kind::Plain, nullptr);
    functionProto = alloc(Object::Kind::Plain, objectProto);
    global = alloc(Object::Kind::Plain, nullptr); // bare: no Object.prototype methods
    classRegistry = alloc(Object::Kind::Plain, nullptr);

    auto makeClass = [&](const char* name, Object* proto, NativeFunction call, NativeFunction construct) {
        Object* ctor = newNative(std::move(call), std::move(construct));
        ctor->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
        proto->put(QStringLiteral("constructor"), Value::object(ctor), DontEnum);
        global->put(QString::fromLatin1(name), Value::object(ctor), DontEnum);
        return ctor;
    };

    // --- Object ----------------------------------------------------------
    Object* objectCtor = makeClass(
        "Object", objectProto,
        // Object(x) called as a function: x as an object; with nothing (or
        // null, undefined) a bare object without a prototype, as the Flash
        // Player makes it.
        [](Interpreter& v, Args& a) {
            if (!a.count() || a.at(0).isNullish())
                return Value::object(v.alloc(Object::Kind::Plain, nullptr));
            Object* o = v.toObject(a.at(0));
            return Value::object(o ? o : v.newObject());
        },
        [](Interpreter& v, Args& a) {
            if (a.count() && a.at(0).isObject())
                return a.at(0);
            (void)v;
            return a.self;
        });
    def(vm, objectCtor, "registerClass", [](Interpreter& v, Args& a) {
        const QString name = v.toString(a.at(0));
        if (a.at(1).isObject() && a.at(1).o->isFunction())
            v.classRegistry->put(name, a.at(1));
        else
            v.classRegistry->remove(name, true);
        return Value::boolean(true);
    });
    def(vm, objectProto, "toString", [](Interpreter& v, Args& a) {
        if (a.self.isObject() && a.self.o->kind == Object::Kind::Clip)
            return Value::string(v.toString(a.self));
        if (a.self.isObject() && a.self.o->isFunction())
            return Value::string(QStringLiteral("[type Function]"));
        return Value::string(QStringLiteral("[object Object]"));
    });
    def(vm, objectProto, "valueOf", [](Interpreter&, Args& a) { return a.self; });
    def(vm, objectProto, "hasOwnProperty", [](Interpreter& v, Args& a) {
        // No argument, or the empty name, is never an own property.
        if (!a.self.isObject() || a.args.empty())
            return Value::boolean(false);
        const QString name = v.toString(a.at(0));
        if (name.isEmpty())
            return Value::boolean(false);
        Object* o = a.self.o;
        // Every object with a prototype holds the link as its own property.
        if (v.isProtoName(name))
            return Value::boolean(o->proto != nullptr || !o->protoPrimitive.isUndefined());
        const Slot* s = o->slot(name, v.caseSensitive());
        return Value::boolean(s && !hiddenFor(s->flags, v.version()));
    });
    def(vm, objectProto, "isPropertyEnumerable", [](Interpreter& v, Args& a) {
        if (!a.self.isObject())
            return Value::boolean(false);
        const Slot* s = a.self.o->slot(v.toString(a.at(0)), v.caseSensitive());
        return Value::boolean(s && !(s->flags & DontEnum));
    });
    def(vm, objectProto, "isPrototypeOf", [](Interpreter&, Args& a) {
        if (!a.self.isObject() || !a.at(0).isObject())
            return Value::boolean(false);
        int hops = 0;
        for (Object* p = a.at(0).o->proto; p && hops < 256; p = p->proto, ++hops)
            if (p == a.self.o)
                return Value::boolean(true);
        return Value::boolean(false);
    });
    // watch(name, callback, data): the callback is called as
    // callback(name, old, new, data) on every assignment and returns the
    // value stored. unwatch(name) ends it.
    def(vm, objectProto, "watch", [](Interpreter& v, Args& a) {
        if (!a.self.isObject() || a.count() < 2 || !a.at(1).isObject() || !a.at(1).o->isFunction())
            return Value::boolean(false);
        Object* o = a.self.o;
        const QString name = v.toString(a.at(0));
        if (Object::Watch* w = o->watchOf(name, v.caseSensitive())) {
            *w = {a.at(1).o, a.at(2)};
            return Value::boolean(true);
        }
        if (!o->watches)
            o->watches = std::make_unique<std::vector<std::pair<QString, Object::Watch>>>();
        if (int64_t(o->watches->size()) >= v.limits.arrayLength)
            v.fail(QStringLiteral("more than %1 watches").arg(v.limits.arrayLength));
        v.noteAllocation(64 + int64_t(name.size()) * 2);
        o->watches->push_back({name, {a.at(1).o, a.at(2)}});
        return Value::boolean(true);
    });
    def(vm, objectProto, "unwatch", [](Interpreter& v, Args& a) {
        if (!a.self.isObject() || !a.self.o->watches)
            return Value::boolean(false);
        const QString name = v.toString(a.at(0));
        const Qt::CaseSensitivity cs = v.caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const auto removed = std::erase_if(*a.self.o->watches, [&](const auto& w) { return w.first.compare(name, cs) == 0; });
        return Value::boolean(removed > 0);
    });
    def(vm, objectProto, "addProperty", [](Interpreter& v, Args& a) {
        // A getter function is required; the setter is a function or null
        // (read-only), anything else refuses the property.
        const bool setterOk = a.at(2).isNull() || (a.at(2).isObject() && a.at(2).o->isFunction());
        if (!a.self.isObject() || !a.at(1).isObject() || !a.at(1).o->isFunction() || !setterOk)
            return Value::boolean(false);
        const QString name = v.toString(a.at(0));
        if (name.isEmpty())
            return Value::boolean(false);
        // An existing property keeps its stored value behind the getter
        // (Array.pop still answers an element's value).
        Object* o = a.self.o;
        Slot* s = o->slot(name, v.caseSensitive());
        if (s)
            s->flags = 0;
        else
            o->put(name, Value(), 0, v.caseSensitive());
        s = o->slot(name, v.caseSensitive());
        s->getter = a.at(1).o;
        s->setter = a.at(2).isObject() && a.at(2).o->isFunction() ? a.at(2).o : nullptr;
        return Value::boolean(true);
    });

    // --- Function ----------------------------------------------------------
    // Function(x) called as a function answers x itself; with nothing, a
    // bare object without a prototype.
    Object* functionCtor = makeClass(
        "Function", functionProto,
        [](Interpreter& v, Args& a) {
            return a.count() ? a.at(0) : Value::object(v.alloc(Object::Kind::Plain, nullptr));
        },
        {});
    (void)functionCtor;
    def(vm, functionProto, "call", [](Interpreter& v, Args& a) {
        std::vector<Value> rest(a.args.size() > 1 ? a.args.begin() + 1 : a.args.end(), a.args.end());
        return v.call(a.self, a.at(0), std::move(rest));
    });
    def(vm, functionProto, "apply", [](Interpreter& v, Args& a) {
        std::vector<Value> rest;
        if (a.at(1).isObject())
            rest = v.arrayValues(a.at(1).o);
        return v.call(a.self, a.at(0), std::move(rest));
    });

    setupArrayClass();

    // --- String ------------------------------------------------------------
    stringProto = alloc(Object::Kind::Plain, objectProto);
    Object* stringCtor = makeClass(
        "String", stringProto,
        [](Interpreter& v, Args& a) { return Value::string(a.count() ? v.toString(a.at(0)) : QString()); },
        [](Interpreter& v, Args& a) {
            // new String(s) holds its length as an own, writable property.
            const QString text = a.count() ? v.toString(a.at(0)) : QString();
            a.self.o->kind = Object::Kind::Primitive;
            a.self.o->primitive = Value::string(text);
            a.self.o->put(QStringLiteral("length"), Value::number(double(text.size())), DontEnum | DontDelete);
            return a.self;
        });
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
        if (a.at(0).isUndefined()) {
            parts.push_back(Value::string(s));
        } else {
            const QString sep = v.toString(a.at(0));
            QStringList pieces;
            if (sep.isEmpty()) {
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

    // --- Number and Boolean ---------------------------------------------------
    numberProto = alloc(Object::Kind::Plain, objectProto);
    Object* numberCtor = makeClass(
        "Number", numberProto,
        [](Interpreter& v, Args& a) { return Value::number(a.count() ? v.toNumber(a.at(0)) : 0); },
        [](Interpreter& v, Args& a) {
            a.self.o->kind = Object::Kind::Primitive;
            a.self.o->primitive = Value::number(a.count() ? v.toNumber(a.at(0)) : 0);
            return a.self;
        });
    constant(numberCtor, "MAX_VALUE", Value::number(std::numeric_limits<double>::max()));
    constant(numberCtor, "MIN_VALUE", Value::number(std::numeric_limits<double>::denorm_min()));
    constant(numberCtor, "NaN", Value::number(std::nan("")));
    constant(numberCtor, "POSITIVE_INFINITY", Value::number(INFINITY));
    constant(numberCtor, "NEGATIVE_INFINITY", Value::number(-INFINITY));
    auto selfNumber = [](Interpreter& v, const Args& a) {
        if (a.self.isObject() && a.self.o->kind == Object::Kind::Primitive)
            return v.toNumber(a.self.o->primitive);
        return v.toNumber(a.self);
    };
    def(vm, numberProto, "toString", [selfNumber](Interpreter& v, Args& a) {
        const int radix = a.at(0).isUndefined() ? 10 : clampToInt(v.toNumber(a.at(0)));
        return Value::string(numberToStringRadix(selfNumber(v, a), radix));
    });
    def(vm, numberProto, "valueOf", [selfNumber](Interpreter& v, Args& a) { return Value::number(selfNumber(v, a)); });

    booleanProto = alloc(Object::Kind::Plain, objectProto);
    makeClass(
        "Boolean", booleanProto,
        // Called with nothing to convert it answers nothing.
        [](Interpreter& v, Args& a) { return a.args.empty() ? Value() : Value::boolean(v.toBoolean(a.at(0))); },
        [](Interpreter& v, Args& a) {
            a.self.o->kind = Object::Kind::Primitive;
            a.self.o->primitive = Value::boolean(v.toBoolean(a.at(0)));
            return a.self;
        });
    auto selfBool = [](Interpreter& v, const Args& a) {
        if (a.self.isObject() && a.self.o->kind == Object::Kind::Primitive)
            return v.toBoolean(a.self.o->primitive);
        return v.toBoolean(a.self);
    };
    def(vm, booleanProto, "toString", [selfBool](Interpreter& v, Args& a) {
        return Value::string(selfBool(v, a) ? QStringLiteral("true") : QStringLiteral("false"));
    });
    def(vm, booleanProto, "valueOf", [selfBool](Interpreter& v, Args& a) { return Value::boolean(selfBool(v, a)); });

    // --- Error -----------------------------------------------------------------
    errorProto = alloc(Object::Kind::Plain, objectProto);
    errorProto->put(QStringLiteral("name"), Value::string(QStringLiteral("Error")), DontEnum);
    errorProto->put(QStringLiteral("message"), Value::string(QStringLiteral("Error")), DontEnum);
    makeClass(
        "Error", errorProto,
        [](Interpreter& v, Args& a) {
            Object* e = v.alloc(Object::Kind::Plain, v.errorProto);
            if (!a.at(0).isUndefined())
                e->put(QStringLiteral("message"), Value::string(v.toString(a.at(0))));
            return Value::object(e);
        },
        [](Interpreter& v, Args& a) {
            if (!a.at(0).isUndefined())
                a.self.o->put(QStringLiteral("message"), Value::string(v.toString(a.at(0))));
            return a.self;
        });
    def(vm, errorProto, "toString", [](Interpreter& v, Args& a) {
        return Value::string(v.toString(v.getMember(a.self, QStringLiteral("message"))));
    });

    // --- Math --------------------------------------------------------------------
    Object* math = newObject();
    global->put(QStringLiteral("Math"), Value::object(math), DontEnum);
    constant(math, "PI", Value::number(M_PI));
    constant(math, "E", Value::number(M_E));
    constant(math, "LN2", Value::number(M_LN2));
    constant(math, "LN10", Value::number(M_LN10));
    constant(math, "LOG2E", Value::number(M_LOG2E));
    constant(math, "LOG10E", Value::number(M_LOG10E));
    constant(math, "SQRT1_2", Value::number(M_SQRT1_2));
    constant(math, "SQRT2", Value::number(M_SQRT2));
    // Every Math function converts its first two arguments, left first, and
    // ignores the rest: Math.min(3, 2, 1) is 2 and Math.abs(a, b) calls both
    // objects' valueOf. A missing first argument is NaN, a missing second one
    // undefined (0 before SWF 7).
    struct MathArgs {
        double x = std::nan("");
        double y = std::nan("");
    };
    static constexpr auto mathArgs = [](Interpreter& v, const Args& a) {
        MathArgs m;
        if (a.count() > 0)
            m.x = v.toNumber(a.at(0));
        m.y = v.toNumber(a.at(1));
        return m;
    };
    auto unary = [&](const char* name, double (*fn)(double)) {
        def(vm, math, name, [fn](Interpreter& v, Args& a) { return Value::number(fn(mathArgs(v, a).x)); });
    };
    unary("abs", [](double x) { return std::fabs(x); });
    unary("acos", [](double x) { return std::acos(x); });
    unary("asin", [](double x) { return std::asin(x); });
    unary("atan", [](double x) { return std::atan(x); });
    unary("ceil", [](double x) { return std::ceil(x); });
    unary("cos", [](double x) { return std::cos(x); });
    unary("exp", [](double x) { return std::exp(x); });
    unary("floor", [](double x) { return std::floor(x); });
    unary("log", [](double x) { return std::log(x); });
    unary("round", [](double x) { return std::floor(x + 0.5); });
    unary("sin", [](double x) { return std::sin(x); });
    unary("sqrt", [](double x) { return std::sqrt(x); });
    unary("tan", [](double x) { return std::tan(x); });
    auto binary = [&](const char* name, double (*fn)(double, double)) {
        def(vm, math, name, [fn](Interpreter& v, Args& a) {
            const MathArgs m = mathArgs(v, a);
            return Value::number(fn(m.x, m.y));
        });
    };
    binary("atan2", [](double y, double x) { return std::atan2(y, x); });
    binary("pow", [](double x, double y) { return std::pow(x, y); });
    // Math.max and Math.min compare their first two arguments; with no
    // arguments they give -/+Infinity.
    def(vm, math, "max", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value::number(-INFINITY);
        const MathArgs m = mathArgs(v, a);
        return Value::number(std::isnan(m.x) || std::isnan(m.y) ? std::nan("") : std::max(m.x, m.y));
    });
    def(vm, math, "min", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value::number(INFINITY);
        const MathArgs m = mathArgs(v, a);
        return Value::number(std::isnan(m.x) || std::isnan(m.y) ? std::nan("") : std::min(m.x, m.y));
    });
    def(vm, math, "random", [](Interpreter& v, Args& a) {
        mathArgs(v, a);
        return Value::number(v.random());
    });

    // --- global functions ---------------------------------------------------------
    constant(global, "NaN", Value::number(std::nan("")));
    constant(global, "Infinity", Value::number(INFINITY));
    def(vm, global, "parseInt", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value();
        return Value::number(parseIntText(v.toString(a.at(0)), a.count() > 1, a.at(1), v));
    });
    def(vm, global, "parseFloat", [](Interpreter& v, Args& a) {
        return Value::number(parseFloatText(v.toString(a.at(0))));
    });
    // A missing argument is not a number (a given undefined is, before SWF 7, 0).
    const auto numberArg = [](Interpreter& v, Args& a) { return a.args.empty() ? std::nan("") : v.toNumber(a.at(0)); };
    def(vm, global, "isNaN", [numberArg](Interpreter& v, Args& a) { return Value::boolean(std::isnan(numberArg(v, a))); });
    def(vm, global, "isFinite", [numberArg](Interpreter& v, Args& a) {
        return Value::boolean(std::isfinite(numberArg(v, a)));
    });
    def(vm, global, "escape", [](Interpreter& v, Args& a) { return Value::string(escapeText(v.toString(a.at(0)))); });
    def(vm, global, "unescape", [](Interpreter& v, Args& a) {
        return Value::string(unescapeText(v.toString(a.at(0))));
    });
    def(vm, global, "getTimer", [](Interpreter& v, Args&) { return Value::number(double(v.player.movieTimeMs())); });
    def(vm, global, "getVersion", [](Interpreter&, Args&) { return Value::string(QStringLiteral("LNX 8,0,0,0")); });
    def(vm, global, "updateAfterEvent", [](Interpreter&, Args&) { return Value(); });
    def(vm, global, "fscommand", [](Interpreter& v, Args& a) {
        v.player.fscommand(v.toString(a.at(0)), v.toString(a.at(1)));
        return Value();
    });
    def(vm, global, "trace", [](Interpreter& v, Args& a) {
        v.player.trace(a.at(0).isUndefined() ? QStringLiteral("undefined") : v.toString(a.at(0)));
        return Value();
    });
    def(vm, global, "targetPath", [](Interpreter& v, Args& a) {
        DisplayObjectHost* c = v.clipOf(a.at(0));
        return c ? Value::string(v.targetPath(c)) : Value();
    });
    def(vm, global, "ASSetPropFlags", [](Interpreter& v, Args& a) {
        if (!a.at(0).isObject())
            return Value();
        Object* o = a.at(0).o;
        // The flags are read before the names.
        const auto set = uint16_t(toUint32(v.toNumber(a.at(2))));
        const auto clear = uint16_t(toUint32(v.toNumber(a.at(3))));
        QStringList names;
        bool all = a.at(1).isNull();
        if (a.at(1).isObject() && a.at(1).o->kind == Object::Kind::Array) {
            for (const Value& n : v.arrayValues(a.at(1).o))
                names.append(v.toString(n));
        } else if (!all) {
            names = v.toString(a.at(1)).split(QLatin1Char(','));
        }
        for (Slot& s : o->props)
            if (!s.removed && (all || names.contains(s.name)))
                s.flags = uint16_t((s.flags & ~clear) | set);
        return Value();
    });
    auto addInterval = [](Interpreter& v, Args& a, bool once) {
        Interval iv;
        iv.once = once;
        size_t next = 0;
        if (a.at(0).isObject() && a.at(0).o->isFunction()) {
            iv.function = a.at(0);
            next = 1;
        } else if (a.at(0).isObject() && a.count() > 1) {
            iv.function = a.at(0);
            iv.method = v.toString(a.at(1));
            next = 2;
        } else {
            return Value();
        }
        if (next >= a.args.size() || a.at(next).isUndefined())
            return Value(); // no period: no interval, and no id taken
        const double ms = v.toNumber(a.at(next));
        iv.period = std::isnan(ms) || ms < 0 ? 0 : int64_t(std::min(ms, 1e12));
        iv.args.assign(a.args.begin() + ptrdiff_t(std::min(next + 1, a.args.size())), a.args.end());
        if (int(v.intervals.size()) >= v.limits.intervals)
            v.fail(QStringLiteral("more than %1 active intervals").arg(v.limits.intervals));
        iv.id = v.nextIntervalId++;
        iv.due = v.player.movieTimeMs() + std::max<int64_t>(iv.period, 1);
        v.intervals[iv.id] = iv;
        return Value::number(iv.id);
    };
    def(vm, global, "setInterval", [addInterval](Interpreter& v, Args& a) { return addInterval(v, a, false); });
    def(vm, global, "setTimeout", [addInterval](Interpreter& v, Args& a) { return addInterval(v, a, true); });
    auto clearInterval = [](Interpreter& v, Args& a) {
        v.intervals.erase(clampToInt(v.toNumber(a.at(0))));
        return Value();
    };
    def(vm, global, "clearInterval", clearInterval);
    def(vm, global, "clearTimeout", clearInterval);

    // --- System: a movie played from local files, with no network access -------
    Object* system = newObject();
    global->put(QStringLiteral("System"), Value::object(system), DontEnum);
    Object* security = newObject();
    system->put(QStringLiteral("security"), Value::object(security));
    security->put(QStringLiteral("sandboxType"), Value::string(QStringLiteral("localWithFile")));
    for (const char* ignored : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"})
        def(vm, security, ignored, [](Interpreter&, Args&) { return Value(); });
    system->put(QStringLiteral("useCodepage"), Value::boolean(false));
    system->put(QStringLiteral("exactSettings"), Value::boolean(true));

    // --- Stage: read-only size from the player --------------------------------
    Object* stage = newObject();
    global->put(QStringLiteral("Stage"), Value::object(stage), DontEnum);
    auto readOnly = [&](const char* name, NativeFunction getter) {
        stage->put(QString::fromLatin1(name), Value(), DontDelete);
        stage->slot(QString::fromLatin1(name), true)->getter = newNative(std::move(getter));
    };
    readOnly("width", [](Interpreter& v, Args&) { return Value::number(v.player.stageWidth()); });
    readOnly("height", [](Interpreter& v, Args&) { return Value::number(v.player.stageHeight()); });
    // align keeps the edge letters it is given, in the order L T R B;
    // scaleMode takes one of four names in any case and ignores others.
    auto accessor = [&](const char* name, NativeFunction getter, NativeFunction setter) {
        stage->put(QString::fromLatin1(name), Value(), DontDelete);
        Slot* s = stage->slot(QString::fromLatin1(name), true);
        s->getter = newNative(std::move(getter));
        s->setter = newNative(std::move(setter));
    };
    stageAlign_ = QString();
    stageScaleMode_ = QStringLiteral("showAll");
    accessor("align", [](Interpreter& v, Args&) { return Value::string(v.stageAlign_); },
             [](Interpreter& v, Args& a) {
                 const QString given = v.toString(a.at(0)).toUpper();
                 QString out;
                 for (QChar c : {QLatin1Char('L'), QLatin1Char('T'), QLatin1Char('R'), QLatin1Char('B')})
                     if (given.contains(c))
                         out += c;
                 v.stageAlign_ = out;
                 return Value();
             });
    accessor("scaleMode", [](Interpreter& v, Args&) { return Value::string(v.stageScaleMode_); },
             [](Interpreter& v, Args& a) {
                 const QString given = v.toString(a.at(0));
                 for (const char* mode : {"showAll", "exactFit", "noBorder", "noScale"})
                     if (given.compare(QLatin1String(mode), Qt::CaseInsensitive) == 0)
                         v.stageScaleMode_ = QLatin1String(mode);
                 return Value();
             });

    setupBroadcaster();
    setupLoadVars();
    setupSoundClass();
    setupClipClasses();
    setupTextClasses();
    setupClipGeometry();
    setupDrawingMethods();
    setupFlashPackage();
    setupXmlClasses();
}

} // namespace fotarel::swf::avm1
