#include "karaoke/script_conversion.h"

#include <opencc.h>

#include <mutex>

namespace fotarel::karaoke {

namespace {

// One converter per direction for the whole program, opened on first use.
class Converter {
public:
    explicit Converter(const char* config) : config_(config) {}
    ~Converter()
    {
        if (handle_ != reinterpret_cast<opencc_t>(-1) && handle_ != nullptr)
            opencc_close(handle_);
    }

    QString convert(const QString& text)
    {
        const std::lock_guard lock(mutex_);
        if (!opened_) {
            opened_ = true;
            handle_ = opencc_open(config_);
        }
        if (handle_ == reinterpret_cast<opencc_t>(-1) || handle_ == nullptr)
            return text; // no conversion data installed: show the text as written
        const QByteArray utf8 = text.toUtf8();
        char* converted = opencc_convert_utf8(handle_, utf8.constData(), static_cast<size_t>(utf8.size()));
        if (converted == nullptr)
            return text;
        QString result = QString::fromUtf8(converted);
        opencc_convert_utf8_free(converted);
        return result;
    }

private:
    const char* config_;
    std::mutex mutex_;
    bool opened_ = false;
    opencc_t handle_ = nullptr;
};

Converter& converterFor(Script to)
{
    static Converter toTraditional(OPENCC_DEFAULT_CONFIG_SIMP_TO_TRAD);
    static Converter toSimplified(OPENCC_DEFAULT_CONFIG_TRAD_TO_SIMP);
    return to == Script::Traditional ? toTraditional : toSimplified;
}

bool hasNonAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return true;
    return false;
}

} // namespace

Script scriptFromWord(const QString& word)
{
    return word == QLatin1String("fanti") ? Script::Traditional : Script::Simplified;
}

QString convertScript(const QString& text, Script to)
{
    if (!hasNonAscii(text))
        return text;
    return converterFor(to).convert(text);
}

std::vector<QString> convertUnits(const std::vector<QString>& units, Script to)
{
    QString joined;
    for (const QString& unit : units)
        joined += unit;
    const QString converted = convertScript(joined, to);
    std::vector<QString> result;
    result.reserve(units.size());
    if (converted.size() == joined.size()) {
        qsizetype at = 0;
        for (const QString& unit : units) {
            result.push_back(converted.mid(at, unit.size()));
            at += unit.size();
        }
        return result;
    }
    for (const QString& unit : units)
        result.push_back(convertScript(unit, to));
    return result;
}

} // namespace fotarel::karaoke
