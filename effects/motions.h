#pragma once

// The 30 effect names the editor offers and the motion each one flies: the
// motion table (one row per effect name, in chooser order) and the path of a
// caption along a motion.

#include "core/table.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace fotarel::effects {

// The effect names in chooser order.
QStringList effectNames();

// Motion table ListView_texiao_name: row i belongs to effect name i. Cells:
// 0 caption, 1 motion name, 2 "x_zhi", 3 "y_zhi" (the fixed coordinates, in
// pixels of a preview panel of `previewWidth` × `previewHeight`).
namespace MotionCol {
enum : int { Caption = 0, Name = 1, FixedX = 2, FixedY = 3 };
}
Table motionTable(int previewWidth, int previewHeight);

// A straight path: the caption's top-left corner starts at `start` and moves
// by `step` per frame.
struct CaptionPath {
    QPointF start;
    QPointF step;
};

// The path of a caption box of size `box` flying `motion` over a panel of
// size `panel`, moving `stepPixels` per frame. `fixed` holds the row's
// x_zhi and y_zhi already scaled to the panel. A fixed coordinate keeps the
// whole box inside the panel. nullopt for an unknown motion name.
std::optional<CaptionPath> captionPath(const QString& motion, QSizeF panel, QSizeF box, QPointF fixed,
                                       double stepPixels);

// True once the box at `topLeft` has left the panel by any edge.
bool hasLeft(QPointF topLeft, QSizeF box, QSizeF panel);

} // namespace fotarel::effects
