#pragma once

#include <QImage>
#include <QList>
#include <QRectF>

namespace fotarel {

// Where the subject of a photo is, found on a small upright picture of it.
// Boxes are fractions of the picture (0 .. 1 on both axes), so they hold
// for the photo at any size.
struct Subject {
    enum class Kind { Nothing, Faces, Salient };
    Kind kind = Kind::Nothing;
    QList<QRectF> boxes; // the faces, or the one salient region
};

// The short side of the picture the subject is looked for on (its long side
// at most twice that). Larger pictures are reduced to it first; a face of
// a twentieth of the photo's short side is still found.
inline constexpr int kSubjectShortSide = 420;
// The smallest short side worth looking for a subject on: a photo is
// decoded at least this large for it.
inline constexpr int kSubjectMinShortSide = 360;

// Faces first (OpenCV's frontal face detector, with the cascade found at
// run time); where there is none, the most salient region (edge and colour
// contrast); where nothing stands out, Nothing. Deterministic: the same
// picture gives the same subject.
Subject findSubject(const QImage& upright);

// True when the face detector could be loaded (its cascade file found).
bool faceDetectorAvailable();

// Places a crop of `size` (fractions of the photo, each at most 1) so that
// it holds the subject: all faces when they fit, otherwise the largest
// group of faces that fits (ties: the larger faces, then the one nearer the
// middle); the salient region's middle; the photo's middle when nothing was
// found. Returns the crop's top-left corner in fractions.
QPointF placeCrop(QSizeF size, const Subject& subject);

} // namespace fotarel
