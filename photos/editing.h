#pragma once

#include "photos/photo_context.h"

#include <QList>
#include <QPoint>

namespace fotarel {

// "删除" / "删除相片": deletes the selected photo (tile mode: the selected
// tile; list mode: the selected rows of the list, handled one by one from
// the last). A photo that is its group's last is removed with its group;
// one whose group keeps other photos is replaced (refill).
void deleteSelectedPhotos(PhotoContext& context, const QList<int>& listSelection = {});

// "删除全部" / "全部删除".
void deleteAllPhotos(PhotoContext& context);

// Removes photo table row `row` as a deletion does, without asking: with
// its group when it is the group's last photo, else its group is refitted.
void deletePhotoRow(PhotoContext& context, int row);

// Empties the album's photos, groups and their working files, without asking.
void clearAllPhotos(PhotoContext& context);

// Renumbers the groups 1 .. m in the order of their first photo, renaming
// their folders and movies through temporary names; renumbers captions.
enum class RegroupAfter { Deletion, Swap };
void regroup(PhotoContext& context, RegroupAfter after);

// The tiles a dragged tile lands on: every other tile whose position differs
// from the dragged tile's by less than 50 pixels both ways.
QList<int> dropTargets(int dragged, QPoint draggedAt, const QList<QPoint>& tilePositions);

// A dropped tile swaps its photo with each target photo: visible-list rows,
// photo table rows and thumbnails are exchanged, then the groups regrouped.
void swapPhotos(PhotoContext& context, int dragged, const QList<int>& targets);

// The message for a new refill photo of the wrong orientation.
QString wrongOrientationMessage(bool newPhotoIsLandscape);

} // namespace fotarel
