// The Date class: a time in milliseconds since 1970 (UTC), read and set in
// local time or UTC. The host gives the clock and the local offset from
// UTC (PlayerHost::dateNowMs, utcOffsetMinutes): nothing here reads the
// machine's clock or time zone, so a movie plays the same everywhere its
// host gives the same answers. Local time has no daylight saving: the
// offset is the same all year.

#include "swf/avm1/builtin_helpers.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

constexpr double kDayMs = 86400000.0;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
double daysFromCivil(double y, double m, double d)
{
    y -= m <= 2 ? 1 : 0;
    const double era = std::floor(y / 400);
    const double yoe = y - era * 400;
    const double mp = m > 2 ? m - 3 : m + 9;
    const double doy = std::floor((153 * mp + 2) / 5) + d - 1;
    const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    double year, month, day; // month 0..11, day 1..31
};

Civil civilFromDays(double z)
{
    z += 719468;
    const double era = std::floor(z / 146097);
    const double doe = z - era * 146097;
    const double yoe = std::floor((doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
    const double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
    const double mp = std::floor((5 * doy + 2) / 153);
    const double d = doy - std::floor((153 * mp + 2) / 5) + 1;
    const double m = mp < 10 ? mp + 3 : mp - 9;
    return {yoe + era * 400 + (m <= 2 ? 1 : 0), m - 1, d};
}

double timeClip(double t)
{
    return std::isfinite(t) && std::fabs(t) <= 8.64e15 ? std::trunc(t) + 0.0 : std::nan("");
}

// Whole components; a NaN or infinite one makes the result NaN.
double makeTime(double year, double month, double day, double h, double m, double s, double ms)
{
    for (double x : {year, month, day, h, m, s, ms})
        if (!std::isfinite(x))
            return std::nan("");
    year = std::trunc(year);
    month = std::trunc(month);
    const double y = year + std::floor(month / 12);
    const double mn = month - std::floor(month / 12) * 12;
    const double days = daysFromCivil(y, mn + 1, 1) + std::trunc(day) - 1;
    return days * kDayMs + ((std::trunc(h) * 60 + std::trunc(m)) * 60 + std::trunc(s)) * 1000 + std::trunc(ms);
}

// The parts of a time value.
struct Parts {
    double year, month, day, h, m, s, ms, weekday;
};

Parts partsOf(double t)
{
    const double days = std::floor(t / kDayMs);
    double rest = t - days * kDayMs;
    const Civil c = civilFromDays(days);
    Parts p{c.year, c.month, c.day, 0, 0, 0, 0, 0};
    p.h = std::floor(rest / 3600000);
    rest -= p.h * 3600000;
    p.m = std::floor(rest / 60000);
    rest -= p.m * 60000;
    p.s = std::floor(rest / 1000);
    p.ms = rest - p.s * 1000;
    p.weekday = std::fmod(std::fmod(days + 4, 7) + 7, 7); // 1970-01-01 was a Thursday
    return p;
}

double offsetMs(Interpreter& v)
{
    return double(v.player.utcOffsetMinutes()) * 60000;
}

double timeOf(const Value& self)
{
    return self.isObject() && self.o->primitive.isNumber() ? self.o->primitive.n : std::nan("");
}

bool isDate(const Value& self)
{
    return self.isObject() && self.o->kind == Object::Kind::Plain && self.o->primitive.isNumber();
}

// "Thu Jan 1 05:47:03 GMT+0545 1970", in local time.
QString dateText(Interpreter& v, double t)
{
    if (std::isnan(t))
        return QStringLiteral("Invalid Date");
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const Parts p = partsOf(t + offsetMs(v));
    const int offset = v.player.utcOffsetMinutes();
    const int a = std::abs(offset);
    return QStringLiteral("%1 %2 %3 %4:%5:%6 GMT%7%8%9 %10")
        .arg(QLatin1String(days[int(p.weekday)]), QLatin1String(months[int(p.month)]))
        .arg(int(p.day))
        .arg(int(p.h), 2, 10, QLatin1Char('0'))
        .arg(int(p.m), 2, 10, QLatin1Char('0'))
        .arg(int(p.s), 2, 10, QLatin1Char('0'))
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(a / 60, 2, 10, QLatin1Char('0'))
        .arg(a % 60, 2, 10, QLatin1Char('0'))
        .arg(qint64(p.year));
}

// The time given by the constructor's or Date.UTC's components (year,
// month, day = 1, hours, minutes, seconds, ms); years 0 to 99 are 1900 on.
double fromComponents(Interpreter& v, const Args& a)
{
    double c[7] = {0, 0, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < 7 && i < a.count(); ++i)
        c[i] = v.toNumber(a.at(i));
    if (c[0] >= 0 && c[0] <= 99)
        c[0] = 1900 + std::trunc(c[0]);
    return makeTime(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
}

} // namespace

void Interpreter::setupDateClass()
{
    Interpreter& vm = *this;
    Object* proto = alloc(Object::Kind::Plain, objectProto);
    NativeFunction construct = [](Interpreter& v, Args& a) {
        if (!a.self.isObject())
            return Value();
        double t;
        if (a.count() == 0)
            t = v.player.dateNowMs();
        else if (a.count() == 1)
            t = v.toNumber(a.at(0));
        else
            t = fromComponents(v, a) - offsetMs(v);
        a.self.o->primitive = Value::number(timeClip(t));
        return a.self;
    };
    Object* ctor = makeClass(
        vm, "Date", proto,
        // Called as a function: the current time as text.
        [](Interpreter& v, Args&) { return Value::string(dateText(v, timeClip(v.player.dateNowMs()))); },
        construct);
    def(vm, ctor, "UTC", [](Interpreter& v, Args& a) { return Value::number(timeClip(fromComponents(v, a))); });

    def(vm, proto, "getTime", [](Interpreter&, Args& a) { return Value::number(timeOf(a.self)); });
    def(vm, proto, "valueOf", [](Interpreter&, Args& a) { return Value::number(timeOf(a.self)); });
    def(vm, proto, "toString", [](Interpreter& v, Args& a) { return Value::string(dateText(v, timeOf(a.self))); });
    def(vm, proto, "getTimezoneOffset", [](Interpreter& v, Args& a) {
        return Value::number(std::isnan(timeOf(a.self)) ? std::nan("") : -double(v.player.utcOffsetMinutes()));
    });
    def(vm, proto, "setTime", [](Interpreter& v, Args& a) {
        const double t = timeClip(v.toNumber(a.at(0)));
        if (isDate(a.self))
            a.self.o->primitive = Value::number(t);
        return Value::number(t);
    });

    // The getters, local and UTC: one part of the time.
    struct Getter {
        const char* local;
        const char* utc;
        double (*part)(const Parts&);
    };
    static const Getter getters[] = {
        {"getFullYear", "getUTCFullYear", [](const Parts& p) { return p.year; }},
        {"getYear", "getUTCYear", [](const Parts& p) { return p.year - 1900; }},
        {"getMonth", "getUTCMonth", [](const Parts& p) { return p.month; }},
        {"getDate", "getUTCDate", [](const Parts& p) { return p.day; }},
        {"getDay", "getUTCDay", [](const Parts& p) { return p.weekday; }},
        {"getHours", "getUTCHours", [](const Parts& p) { return p.h; }},
        {"getMinutes", "getUTCMinutes", [](const Parts& p) { return p.m; }},
        {"getSeconds", "getUTCSeconds", [](const Parts& p) { return p.s; }},
        {"getMilliseconds", "getUTCMilliseconds", [](const Parts& p) { return p.ms; }},
    };
    for (const Getter& g : getters) {
        for (const bool utc : {false, true}) {
            def(vm, proto, utc ? g.utc : g.local, [part = g.part, utc](Interpreter& v, Args& a) {
                const double t = timeOf(a.self);
                if (std::isnan(t))
                    return Value::number(t);
                return Value::number(part(partsOf(utc ? t : t + offsetMs(v))));
            });
        }
    }

    // The setters: the arguments replace parts from `first` on (0 year ..
    // 6 ms), as many as given up to `count`; the rest of the time stays.
    struct Setter {
        const char* local;
        const char* utc;
        int first, count;
    };
    static const Setter setters[] = {
        {"setFullYear", "setUTCFullYear", 0, 3}, {"setYear", nullptr, 0, 3},
        {"setMonth", "setUTCMonth", 1, 2},       {"setDate", "setUTCDate", 2, 1},
        {"setHours", "setUTCHours", 3, 4},       {"setMinutes", "setUTCMinutes", 4, 3},
        {"setSeconds", "setUTCSeconds", 5, 2},   {"setMilliseconds", "setUTCMilliseconds", 6, 1},
    };
    for (const Setter& s : setters) {
        for (const bool utc : {false, true}) {
            const char* name = utc ? s.utc : s.local;
            if (!name)
                continue;
            const bool shortYear = !utc && s.local == std::string_view("setYear");
            def(vm, proto, name, [s, utc, shortYear](Interpreter& v, Args& a) {
                if (!isDate(a.self))
                    return Value();
                const double shift = utc ? 0 : offsetMs(v);
                double t = timeOf(a.self);
                // Setting the year of an invalid date starts from 1970.
                if (std::isnan(t) && s.first == 0)
                    t = -shift;
                const Parts p = std::isnan(t) ? Parts{} : partsOf(t + shift);
                double c[7] = {p.year, p.month, p.day, p.h, p.m, p.s, p.ms};
                if (std::isnan(t))
                    std::fill(std::begin(c), std::end(c), std::nan(""));
                for (int i = 0; i < s.count && size_t(i) < a.count(); ++i)
                    c[s.first + i] = v.toNumber(a.at(size_t(i)));
                if (a.count() == 0)
                    c[s.first] = std::nan("");
                if (shortYear && c[0] >= 0 && c[0] <= 99)
                    c[0] = 1900 + std::trunc(c[0]);
                const double result = timeClip(makeTime(c[0], c[1], c[2], c[3], c[4], c[5], c[6]) - shift);
                a.self.o->primitive = Value::number(result);
                return Value::number(result);
            });
        }
    }
    proto->primitive = Value::number(std::nan(""));
    registerNatives(103,
                    "getFullYear,getYear,getMonth,getDate,getDay,getHours,getMinutes,getSeconds,getMilliseconds,"
                    "setFullYear,setMonth,setDate,setHours,setMinutes,setSeconds,setMilliseconds,getTime,setTime,"
                    "getTimezoneOffset,toString,setYear",
                    proto);
}

} // namespace fotarel::swf::avm1
