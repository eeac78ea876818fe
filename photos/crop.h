#pragma once

#include "core/session.h"
#include "photos/jpeg_codec.h"

#include <QImage>
#include <QSize>

namespace fotarel {

// How full-frame slots take a photo (the other-settings window's choices).
struct CropChoices {
    bool landscapeFullScreen = true; // "横照片剪裁成全屏效果", else the template default
    bool portraitPartialZoom = true; // "竖照片剪裁成局部放大效果", else the template default
};

// Reads the choices from the session when the settings window has put its
// radio buttons there ("True"/"False"); the defaults otherwise.
CropChoices cropChoicesFrom(const Session& session);

struct CropGeometry {
    QSize scaled; // the photo scaled, drawn at the canvas's top-left corner
    QSize canvas; // the picture; what lies outside it is cut off
};

// Scaled size and canvas for a photo of arranged size W x H in a slot of
// SW x SH (integer arithmetic). A slot with a side 0 is a full-frame slot.
// `refill` uses the template-default geometry for full-frame slots whatever
// the choices say.
CropGeometry cropGeometry(int width, int height, int slotWidth, int slotHeight, const CropChoices& choices,
                          bool refill = false);

// The largest canvas side accepted from a template's slot sizes.
inline constexpr int kMaxCanvasSide = 16384;

struct CroppedPicture {
    QImage canvas; // null on failure
    QString reason;
};

// Renders the canvas: black, with the photo scaled to geometry.scaled at
// (0, 0). Only the part of the photo that lands on the canvas is scaled.
CroppedPicture renderCrop(const QByteArray& bytes, const JpegInfo& info, const CropGeometry& geometry);

} // namespace fotarel
