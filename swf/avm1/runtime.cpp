#include "swf/avm1/runtime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace fotarel::swf::avm1 {

QString numberToString(double n)
{
    if (std::isnan(n))
        return QStringLiteral("NaN");
    if (std::isinf(n))
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (n == 0)
        return QStringLiteral("0");
    // Flash Player prints 15 significant digits; exponents lose their
    // leading zeros ("1e-5", "1e+21").
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", n);
    QString s = QString::fromLatin1(buf);
    const int e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        QChar sign = exp.at(0);
        QString digits = exp.mid(1);
        while (digits.size() > 1 && digits.at(0) == QLatin1Char('0'))
            digits.remove(0, 1);
        s = mant + QLatin1Char('e') + sign + digits;
    }
    return s;
}

QString numberToStringRadix(double n, int radix)
{
    if (radix == 10 || radix < 2 || radix > 36 || std::isnan(n) || std::isinf(n))
        return numberToString(n);
    // Integer part only, as Flash Player does for other radixes.
    const bool neg = n < 0;
    double v = std::floor(std::fabs(n));
    if (v > 9007199254740992.0)
        return numberToString(n);
    auto u = static_cast<uint64_t>(v);
    QString out;
    do {
        const int d = int(u % uint64_t(radix));
        out.prepend(QLatin1Char(char(d < 10 ? '0' + d : 'a' + d - 10)));
        u /= uint64_t(radix);
    } while (u);
    if (neg)
        out.prepend(QLatin1Char('-'));
    return out;
}

static bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QChar(0x0B) || c == QChar(0x0C);
}

// Longest decimal number at the start of s[from..]; returns the characters used.
static int scanDecimal(const QString& s, int from, double& out)
{
    int i = from;
    const int n = int(s.size());
    QByteArray text;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        text.append(char(s[i++].unicode()));
    int digits = 0;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
        text.append(char(s[i++].unicode()));
        ++digits;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        int j = i + 1;
        QByteArray frac(".");
        int fd = 0;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            frac.append(char(s[j++].unicode()));
            ++fd;
        }
        if (fd > 0 || digits > 0) {
            text.append(frac);
            digits += fd;
            i = j;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int j = i + 1;
        QByteArray ex("e");
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            ex.append(char(s[j++].unicode()));
        int ed = 0;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            ex.append(char(s[j++].unicode()));
            ++ed;
        }
        if (ed > 0) {
            text.append(ex);
            i = j;
        }
    }
    out = std::strtod(text.constData(), nullptr);
    return i - from;
}

double stringToNumber(const QString& s, int swfVersion)
{
    int i = 0;
    const int n = int(s.size());
    while (i < n && isSpace(s[i]))
        ++i;
    if (swfVersion < 5) {
        double v = 0;
        return scanDecimal(s, i, v) > 0 ? v : 0.0;
    }
    // Empty or blank text is 0 only to SWF 6 movies.
    if (i == n)
        return swfVersion == 6 ? 0.0 : std::nan("");
    // Hexadecimal "0x1F" (with an optional sign), from SWF 6; SWF 5 reads
    // it as not a number.
    int j = i;
    bool neg = false;
    if (j < n && (s[j] == QLatin1Char('-') || s[j] == QLatin1Char('+'))) {
        neg = s[j] == QLatin1Char('-');
        ++j;
    }
    if (j + 1 < n && s[j] == QLatin1Char('0') && (s[j + 1] == QLatin1Char('x') || s[j + 1] == QLatin1Char('X'))) {
        if (swfVersion < 6)
            return std::nan("");
        double v = 0;
        int k = j + 2;
        // The sign may also follow the prefix ("0x-10" is -16).
        if (k < n && (s[k] == QLatin1Char('-') || s[k] == QLatin1Char('+'))) {
            neg = neg != (s[k] == QLatin1Char('-'));
            ++k;
        }
        if (k == n)
            return std::nan("");
        for (; k < n; ++k) {
            const ushort c = s[k].unicode();
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                d = (c | 0x20) - 'a' + 10;
            if (d < 0)
                return std::nan("");
            v = v * 16 + d;
        }
        return neg ? -v : v;
    }
    // From SWF 6 a leading zero followed by octal digits only is octal
    // ("010" is 8); "08" or "0.5" read as decimal below.
    if (swfVersion >= 6 && j + 1 < n && s[j] == QLatin1Char('0')) {
        double v = 0;
        int k = j;
        for (; k < n && s[k] >= QLatin1Char('0') && s[k] <= QLatin1Char('7'); ++k)
            v = v * 8 + (s[k].unicode() - '0');
        if (k == n)
            return neg ? -v : v;
    }
    // "Infinity" is no number text to the Flash Player.
    double v = 0;
    const int used = scanDecimal(s, i, v);
    if (used == 0)
        return std::nan("");
    // Leading white space is skipped, trailing white space is not a number.
    return i + used == n ? v : std::nan("");
}

int32_t toInt32(double n)
{
    if (std::isnan(n) || std::isinf(n))
        return 0;
    double t = std::trunc(n);
    t = std::fmod(t, 4294967296.0);
    if (t < 0)
        t += 4294967296.0;
    const auto u = static_cast<uint32_t>(t);
    return static_cast<int32_t>(u);
}

int clampToInt(double n)
{
    if (std::isnan(n))
        return 0;
    return int(std::clamp(std::trunc(n), -2147483648.0, 2147483647.0));
}

uint32_t toUint32(double n)
{
    return static_cast<uint32_t>(toInt32(n));
}

bool arrayIndexName(const QString& name, int32_t& index)
{
    const qsizetype n = name.size();
    qsizetype i = 0;
    const bool negative = n > 0 && name[0] == QLatin1Char('-');
    if (negative)
        ++i;
    if (i >= n)
        return false;
    uint32_t v = 0;
    for (; i < n; ++i) {
        const QChar c = name[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10u + uint32_t(c.unicode() - '0');
    }
    index = int32_t(negative ? 0u - v : v);
    return true;
}

bool sameNameIgnoringCase(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QChar x = a[i];
        const QChar y = b[i];
        if (x == y)
            continue;
        // The Flash Player's case table predates later Unicode versions:
        // letters added since 3.0 match only themselves.
        if (x.unicodeVersion() > QChar::Unicode_3_0 || y.unicodeVersion() > QChar::Unicode_3_0 ||
            x.toCaseFolded() != y.toCaseFolded())
            return false;
    }
    return true;
}

int Object::find(const QString& name, bool caseSensitive) const
{
    const auto it = index.constFind(name);
    if (it != index.constEnd())
        return it.value();
    if (!caseSensitive) {
        for (size_t i = 0; i < props.size(); ++i)
            if (!props[i].removed && sameNameIgnoringCase(props[i].name, name))
                return int(i);
    }
    return -1;
}

void Object::put(const QString& name, Value v, uint16_t flags, bool caseSensitive)
{
    const int i = find(name, caseSensitive);
    if (i >= 0) {
        props[size_t(i)].value = std::move(v);
        props[size_t(i)].flags = flags;
        return;
    }
    index.insert(name, int(props.size()));
    props.push_back(Slot{name, std::move(v), flags, nullptr, nullptr});
}

bool Object::remove(const QString& name, bool caseSensitive)
{
    const int i = find(name, caseSensitive);
    if (i < 0 || (props[size_t(i)].flags & DontDelete))
        return false;
    Slot& s = props[size_t(i)];
    index.remove(s.name);
    s = Slot{};
    s.removed = true;
    // Compact once removed slots are the majority, so deleting many
    // properties one by one stays linear.
    if (++removedSlots > 8 && size_t(removedSlots) * 2 > props.size()) {
        props.erase(std::remove_if(props.begin(), props.end(), [](const Slot& x) { return x.removed; }),
                    props.end());
        removedSlots = 0;
        index.clear();
        for (size_t k = 0; k < props.size(); ++k)
            index.insert(props[k].name, int(k));
    }
    return true;
}

void Object::clearProperties()
{
    props.clear();
    index.clear();
    removedSlots = 0;
}

Object::Watch* Object::watchOf(const QString& name, bool caseSensitive)
{
    if (watches)
        for (auto& [n, w] : *watches)
            if (n.compare(name, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0)
                return &w;
    return nullptr;
}

size_t Object::estimateBytes() const
{
    size_t bytes = 160;
    if (bitmap)
        bytes += bitmap->argb.size() * sizeof(uint32_t);
    if (xml)
        bytes += sizeof(XmlNode) + xml->children.size() * sizeof(Object*) +
                 size_t(xml->name.s.size() + xml->value.s.size()) * 2;
    for (const Slot& s : props)
        bytes += 96 + size_t(s.name.size()) * 2 + size_t(s.value.s.size()) * 2;
    return bytes;
}

} // namespace fotarel::swf::avm1
