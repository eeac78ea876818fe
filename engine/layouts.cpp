#include "engine/layouts.h"

#include <algorithm>

namespace fotarel::layouts {

QSize startSize(QSize screen)
{
    const int w = screen.width(), h = screen.height();
    if (w > 1920 || h > 1080)
        return {1280, 720};
    if (w == 1920 && h == 1080)
        return {w - w / 3, h - h / 3};
    if (w == 1024 && h == 768)
        return {w - w / 10 + 80, w / 2 + 49};
    return {w - w / 8 - 2, w / 2 - 5};
}

QRect windowGeometry(const QString& layout, const QRect& screen, const QRect& available)
{
    QSize size;
    if (layout == kFullScreen)
        return screen;
    if (layout == kFitted)
        size = QSize(screen.width() - 100, screen.height() - 100);
    else
        size = startSize(screen.size());
    // A screen smaller than the formula expects (a short, wide screen gives
    // a start height above the screen's) still gets the whole window.
    size = size.boundedTo(available.size()).expandedTo(QSize(1, 1));
    QRect r(QPoint(0, 0), size);
    r.moveCenter(available.center());
    r.moveTopLeft(QPoint(std::max(r.left(), available.left()), std::max(r.top(), available.top())));
    return r;
}

QString afterTitleDoubleClick(const QString& current)
{
    return current == kStart ? kFullScreen : kStart;
}

bool isLayoutWord(const QString& word)
{
    return word == kStart || word == kFullScreen || word == kFitted;
}

PanelPlan planPanels(int top, int available, const int fixedHeights[4])
{
    PanelPlan plan{};
    int y = top;
    for (int i = 0; i < 4; ++i) {
        plan.top[i] = y;
        plan.height[i] = fixedHeights[i];
        y += fixedHeights[i] + kPanelGap;
    }
    const int rest = top + available - y;
    plan.top[4] = y;
    plan.height[4] = rest >= kMinHelpHeight ? rest : 0;
    return plan;
}

} // namespace fotarel::layouts
