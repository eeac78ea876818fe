#pragma once

#include "photos/jpeg_info.h"

#include <QSize>
#include <QString>

namespace fotarel {

// Fits a picture of size `picture` into `box`, keeping its aspect ratio
// (integer arithmetic; no side below 1).
QSize fitInside(QSize picture, QSize box);

// The size a photo of stored size (W, H) is asked for on a canvas: a
// landscape or square photo takes the canvas width, a portrait photo the
// canvas height.
QSize requestSize(QSize stored, QSize canvas);

struct Measurement {
    QString orientation; // "heng_zhao" or "shu_zhao"
    int width = 0;       // arranged to the orientation
    int height = 0;
};

// Decides the orientation of a photo from the picture the renderer gives
// (upright, fitted into the request size), and arranges the stored width
// and height to it.
Measurement measurePhoto(const JpegInfo& info, QSize canvas);

} // namespace fotarel
