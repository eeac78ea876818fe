// The global functions: number parsing, escape/unescape, timers and
// intervals, trace, fscommand, ASSetPropFlags.

#include "swf/avm1/builtin_helpers.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

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

// The functions and constants on _global.
void Interpreter::setupGlobalFunctions()
{
    Interpreter& vm = *this;
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
}

} // namespace fotarel::swf::avm1
