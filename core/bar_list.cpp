#include "core/bar_list.h"

namespace fotarel {

BarListSplit splitBarList(const QString& text)
{
    BarListSplit out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('|'))
            out.barPositions.append(static_cast<int>(i + 1));
    }
    for (qsizetype k = 0; k + 1 < out.barPositions.size(); ++k) {
        const int p = out.barPositions.at(k);
        const int q = out.barPositions.at(k + 1);
        out.items.append(text.mid(p, q - p - 1));
    }
    return out;
}

} // namespace fotarel
