#include "audio/tile_layout.h"

#include <algorithm>
#include <cstdlib>

namespace fotarel::audio {

TileArrangement arrangeTiles(int count, QSize visible, int thumbWidth)
{
    TileArrangement result;
    const int width = visible.width() - thumbWidth;
    result.columns = std::max(1, width / (kTileSize + 20));
    int height = visible.height();
    for (int i = 0; i < count; ++i) {
        const QPoint at(kTileStep * (i % result.columns) + kTileMargin, kTileStep * (i / result.columns) + kTileMargin);
        result.positions.push_back(at);
    }
    if (count > 0)
        height = std::max(height, result.positions.back().y() + kTileSize + kTileMargin);
    result.panelSize = QSize(width, height);
    return result;
}

ScrollBarGeometry scrollBarFor(int panelHeight, int visibleHeight)
{
    ScrollBarGeometry bar;
    bar.visible = panelHeight > visibleHeight;
    bar.thumbHeight = std::max(kMinThumbHeight, 2 * visibleHeight - panelHeight);
    return bar;
}

ScrollPosition dragThumb(int wantedThumbTop, int topCapHeight, int thumbHeight, int bottomCapHeight,
                         int visibleHeight, int panelHeight)
{
    ScrollPosition at;
    const int barHeight = topCapHeight + thumbHeight + bottomCapHeight;
    // The thumb sits between its caps; the whole bar stays inside the panel.
    int top = wantedThumbTop - topCapHeight;
    top = std::clamp(top, 0, std::max(0, visibleHeight - barHeight));
    at.topCapTop = top;
    at.thumbTop = top + topCapHeight;
    at.bottomCapTop = at.thumbTop + thumbHeight;

    // Tile panel top = (visible height - bottom cap bottom) x range / travel
    // - range, where range is how much taller the panel is than the visible
    // part and travel is the bar's free room at the start.
    const int range = panelHeight - visibleHeight;
    const int travel = visibleHeight - barHeight;
    if (range > 0 && travel > 0)
        at.panelTop = (visibleHeight - at.bottomCapTop - bottomCapHeight) * range / travel - range;
    return at;
}

std::vector<int> dropTargets(const std::vector<QPoint>& tilePositions, int dragged, QPoint droppedAt)
{
    std::vector<int> targets;
    for (int j = 0; j < static_cast<int>(tilePositions.size()); ++j) {
        if (j == dragged)
            continue;
        const QPoint at = tilePositions[static_cast<std::size_t>(j)];
        if (std::abs(at.x() - droppedAt.x()) < 50 && std::abs(at.y() - droppedAt.y()) < 50)
            targets.push_back(j);
    }
    return targets;
}

} // namespace fotarel::audio
