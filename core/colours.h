#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

namespace fotarel {

// Colours are stored twice in the session: as a colour constant name
// ("clWhite") and as the decimal value of 0x00BBGGRR ("16777215"). Drawing
// uses the number, dialogs select by the name.
struct NamedColour {
    const char* name;        // stored: "clWhite"
    const char* displayName; // shown to the user (UTF-8): "白色"
    unsigned value;          // 0x00BBGGRR
};

// The 16 standard and 4 extended named colours, in the order a colour box lists them.
const NamedColour* namedColours(int* count);

std::optional<unsigned> colourValueForName(const QString& name);
QString colourNameForValue(unsigned value); // empty when the value has no name

// What lists and tables show for a stored colour name: "白色" for "clWhite";
// a name that is no colour's stays as it is.
QString colourDisplayName(const QString& storedName);
// The stored name for a shown one ("白色" gives "clWhite"); a stored name
// gives itself, anything else comes back unchanged.
QString colourNameForDisplayName(const QString& text);
// The shown names of namedColours(), in their order.
QStringList colourDisplayNames();

// 0x00BBGGRR value to a QColor; the top byte is ignored.
QColor colourFromValue(unsigned value);
// Decimal text as stored in the session; invalid text gives black.
QColor colourFromText(const QString& decimal);
unsigned valueFromColour(const QColor& colour);

} // namespace fotarel
