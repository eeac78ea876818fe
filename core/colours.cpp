#include "core/colours.h"

#include <iterator>

namespace fotarel {

namespace {

constexpr NamedColour kColours[] = {
    {"clBlack", 0x000000},   {"clMaroon", 0x000080}, {"clGreen", 0x008000},  {"clOlive", 0x008080},
    {"clNavy", 0x800000},    {"clPurple", 0x800080}, {"clTeal", 0x808000},   {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},  {"clRed", 0x0000FF},    {"clLime", 0x00FF00},   {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},    {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
};

} // namespace

const NamedColour* namedColours(int* count)
{
    if (count)
        *count = static_cast<int>(std::size(kColours));
    return kColours;
}

std::optional<unsigned> colourValueForName(const QString& name)
{
    for (const NamedColour& c : kColours) {
        if (name == QLatin1String(c.name))
            return c.value;
    }
    return std::nullopt;
}

QString colourNameForValue(unsigned value)
{
    for (const NamedColour& c : kColours) {
        if (c.value == (value & 0xFFFFFFu))
            return QString::fromLatin1(c.name);
    }
    return {};
}

QColor colourFromValue(unsigned value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

QColor colourFromText(const QString& decimal)
{
    bool ok = false;
    const qlonglong v = decimal.trimmed().toLongLong(&ok);
    return ok && v >= 0 ? colourFromValue(static_cast<unsigned>(v)) : QColor(Qt::black);
}

unsigned valueFromColour(const QColor& colour)
{
    return static_cast<unsigned>(colour.red()) | (static_cast<unsigned>(colour.green()) << 8)
         | (static_cast<unsigned>(colour.blue()) << 16);
}

} // namespace fotarel
