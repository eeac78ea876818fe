#pragma once

#include <QString>
#include <QStringList>

namespace fotarel {

// A bar list encloses every item in "|" on both sides: "|a|b|c|". Items are
// the texts between consecutive bars (possibly empty); text before the first
// bar or after the last is ignored, and a text with fewer than two bars has no
// items. Positions are 1-based character positions of the bars.
struct BarListSplit {
    QList<int> barPositions;
    QStringList items;
};

BarListSplit splitBarList(const QString& text);

} // namespace fotarel
