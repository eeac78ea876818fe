#pragma once

// The colour chooser of the style windows: the named colours with a
// swatch each, shown by their Chinese names ("白色"), while the session
// keeps the stored names ("clWhite") and values.

#include "core/colours.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>

namespace fotarel::app {

namespace colour_box {
inline constexpr int kNameRole = Qt::UserRole;      // "clWhite"
inline constexpr int kValueRole = Qt::UserRole + 1; // 0x00BBGGRR
} // namespace colour_box

inline QComboBox* makeColourBox(const QString& objectName, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    int count = 0;
    const NamedColour* colours = namedColours(&count);
    for (int i = 0; i < count; ++i) {
        QPixmap swatch(14, 14);
        swatch.fill(colourFromValue(colours[i].value));
        box->addItem(QIcon(swatch), QString::fromUtf8(colours[i].displayName));
        box->setItemData(i, QString::fromLatin1(colours[i].name), colour_box::kNameRole);
        box->setItemData(i, colours[i].value, colour_box::kValueRole);
    }
    box->setMaxVisibleItems(count);
    return box;
}

// Selects the colour stored as `storedName`; a name that is no colour's
// (from an older file) is added and shown as it is.
inline void selectColour(QComboBox* box, const QString& storedName)
{
    int index = box->findData(storedName, colour_box::kNameRole);
    if (index < 0) {
        box->addItem(colourDisplayName(storedName));
        index = box->count() - 1;
        box->setItemData(index, storedName, colour_box::kNameRole);
    }
    box->setCurrentIndex(index);
}

// The stored name of the chosen colour ("clWhite").
inline QString chosenColourName(const QComboBox* box)
{
    const QString stored = box->currentData(colour_box::kNameRole).toString();
    return stored.isEmpty() ? colourNameForDisplayName(box->currentText()) : stored;
}

// The value of the chosen colour; `fallback` for a name that is no colour's.
inline unsigned chosenColourValue(const QComboBox* box, unsigned fallback)
{
    bool ok = false;
    const unsigned value = box->currentData(colour_box::kValueRole).toUInt(&ok);
    return ok ? value : colourValueForName(chosenColourName(box)).value_or(fallback);
}

} // namespace fotarel::app
