#pragma once

#include "core/session.h"

#include <QString>
#include <QStringList>

namespace fotarel {

// Template classes written into the template table's class cell.
inline const QString kClassLandscape = QStringLiteral("heng");
inline const QString kClassPortrait = QStringLiteral("shu");
inline const QString kClassEither = QStringLiteral("shuheng");
inline const QString kClassMixed = QStringLiteral("gaojimoban");

// The class of a template from its slot orientation bar list: empty when the
// list has no item.
QString classifySlots(const QString& orientations);

// Writes the class of every template and rebuilds the landscape, portrait and
// mixed lists ("shuheng" templates go to both of the first two).
void classifyTemplates(Session& session);

// Writes the landscape and portrait slot counts of every class list row.
void countSlots(Session& session);

struct SlotSizes {
    QStringList widths;
    QStringList heights;
};

// Splits the slot widths and heights of row `row` of the candidate list named
// by `listName` into the size scratch lists (and returns them). Only the four
// candidate lists are accepted; any other name, or a row that does not exist,
// gives two empty lists.
SlotSizes readSlotSizes(Session& session, const QString& listName, int row);

} // namespace fotarel
