#pragma once

#include <QPoint>
#include <QSize>

#include <vector>

namespace fotarel::audio {

// Geometry of a tile area: tiles of 150 x 150 in a grid of 170-pixel steps on
// a scrollable panel inside the visible panel, with a three-image scroll bar
// (top cap, thumb, bottom cap) at the right edge.
inline constexpr int kTileSize = 150;
inline constexpr int kTileStep = 170;
inline constexpr int kTileMargin = 10;
inline constexpr int kMinThumbHeight = 17;

struct TileArrangement {
    std::vector<QPoint> positions; // top-left of tile i on the tile panel
    QSize panelSize;               // the tile panel
    int columns = 0;
};

// Arrange: panel width = visible width - thumb width; c = width div 170;
// tile i at (170 (i mod c) + 10, 170 (i div c) + 10); panel height = bottom
// of the last tile + 10, at least the visible height.
TileArrangement arrangeTiles(int count, QSize visible, int thumbWidth);

// The scroll bar's images for a tile panel of `panelHeight` in a visible
// panel of `visibleHeight`.
struct ScrollBarGeometry {
    bool visible = false;
    int thumbHeight = 0;
};
ScrollBarGeometry scrollBarFor(int panelHeight, int visibleHeight);

// Where the bar's top cap, thumb and bottom cap go while the thumb is
// dragged, and the tile panel's top that follows. `wantedThumbTop` is the
// cursor y minus the visible panel's top minus the offset recorded on press;
// the whole bar is held inside 0 .. visibleHeight.
struct ScrollPosition {
    int topCapTop = 0;
    int thumbTop = 0;
    int bottomCapTop = 0;
    int panelTop = 0;
};
ScrollPosition dragThumb(int wantedThumbTop, int topCapHeight, int thumbHeight, int bottomCapHeight,
                         int visibleHeight, int panelHeight);

// The tiles onto which a tile dropped at `droppedAt` lands: every other tile
// whose left and top both differ from it by less than 50 pixels, in row order.
std::vector<int> dropTargets(const std::vector<QPoint>& tilePositions, int dragged, QPoint droppedAt);

} // namespace fotarel::audio
