#pragma once

#include <QColor>
#include <QString>

#include <optional>

namespace fotarel {

// Colours are stored twice in the session: as a colour constant name
// ("clWhite") and as the decimal value of 0x00BBGGRR ("16777215"). Drawing
// uses the number, dialogs select by the name.
struct NamedColour {
    const char* name;
    unsigned value; // 0x00BBGGRR
};

// The 16 standard and 4 extended named colours, in the order a colour box lists them.
const NamedColour* namedColours(int* count);

std::optional<unsigned> colourValueForName(const QString& name);
QString colourNameForValue(unsigned value); // empty when the value has no name

// 0x00BBGGRR value to a QColor; the top byte is ignored.
QColor colourFromValue(unsigned value);
// Decimal text as stored in the session; invalid text gives black.
QColor colourFromText(const QString& decimal);
unsigned valueFromColour(const QColor& colour);

} // namespace fotarel
