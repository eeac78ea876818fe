#include "core/colours.h"

#include <iterator>

namespace fotarel {

namespace {

constexpr NamedColour kColours[] = {
    {"clBlack", "黑色", 0x000000},      {"clMaroon", "褐红色", 0x000080}, {"clGreen", "绿色", 0x008000},
    {"clOlive", "橄榄色", 0x008080},    {"clNavy", "藏青色", 0x800000},   {"clPurple", "紫色", 0x800080},
    {"clTeal", "深青色", 0x808000},     {"clGray", "灰色", 0x808080},     {"clSilver", "银色", 0xC0C0C0},
    {"clRed", "红色", 0x0000FF},        {"clLime", "亮绿色", 0x00FF00},   {"clYellow", "黄色", 0x00FFFF},
    {"clBlue", "蓝色", 0xFF0000},       {"clFuchsia", "紫红色", 0xFF00FF}, {"clAqua", "青色", 0xFFFF00},
    {"clWhite", "白色", 0xFFFFFF},      {"clMoneyGreen", "淡绿色", 0xC0DCC0}, {"clSkyBlue", "天蓝色", 0xF0CAA6},
    {"clCream", "乳白色", 0xF0FBFF},    {"clMedGray", "中灰色", 0xA4A0A0},
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

QString colourDisplayName(const QString& storedName)
{
    for (const NamedColour& c : kColours) {
        if (storedName == QLatin1String(c.name))
            return QString::fromUtf8(c.displayName);
    }
    return storedName;
}

QString colourNameForDisplayName(const QString& text)
{
    for (const NamedColour& c : kColours) {
        if (text == QString::fromUtf8(c.displayName))
            return QString::fromLatin1(c.name);
    }
    return text;
}

QStringList colourDisplayNames()
{
    QStringList names;
    for (const NamedColour& c : kColours)
        names << QString::fromUtf8(c.displayName);
    return names;
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
