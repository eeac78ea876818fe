#pragma once

#include "core/session.h"
#include "photos/jpeg_codec.h"
#include "photos/subject.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <optional>

namespace fotarel {

// How full-frame slots take a photo (the other-settings window's choices).
struct CropChoices {
    bool landscapeFullScreen = true; // "横照片剪裁成全屏效果", else the template default
    bool portraitPartialZoom = true; // "竖照片剪裁成局部放大效果", else the template default
};

// Reads the choices from the session when the settings window has put its
// radio buttons there ("True"/"False"); the defaults otherwise.
CropChoices cropChoicesFrom(const Session& session);

// Where in the photo a slot's picture is cut from.
enum class CropRule {
    Subject, // around the subject: faces, else the salient region, else the middle
    TopLeft, // from the photo's top-left corner ("从左上角剪裁")
};

// The other-settings window's check box "从左上角剪裁" ("True"/"False").
inline const QString kTopLeftCropVariable = QStringLiteral("TForm17.suiCheckBox_zuoshangjiao_jiancai");

// The album's rule: top-left when the check box is on, else the subject.
CropRule cropRuleFrom(const Session& session);

// A crop as the photo table keeps it: "x,y,w,h" in pixels of the upright
// photo.
QString cropText(const QRect& crop);
std::optional<QRect> parseCropText(const QString& text);

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

// The size of the part of the photo a geometry shows, in fractions of the
// photo (at most 1 each way).
QSizeF visiblePart(const CropGeometry& geometry);

// The largest canvas side accepted from a template's slot sizes.
inline constexpr int kMaxCanvasSide = 16384;

struct CroppedPicture {
    QImage canvas; // null on failure
    QString reason;
    QRect crop; // the part of the upright photo the canvas shows, in its pixels
};

// Renders the canvas: black, with the part of the photo that fits it, at
// the scale geometry.scaled gives. Which part: `byHand` when given (moved
// and shrunk into the photo, its height set to the canvas's aspect),
// else the rule's: the top-left corner, or around the subject found on the
// reduced decode. A photo smaller than the canvas on one side is drawn at
// the top-left by the top-left rule and centred otherwise. Only the part of
// the photo that lands on the canvas is scaled.
// `known` is the subject when it was found already (on another decode).
CroppedPicture renderCrop(const QByteArray& bytes, const JpegInfo& info, const CropGeometry& geometry,
                          CropRule rule = CropRule::TopLeft, std::optional<QRect> byHand = std::nullopt,
                          const Subject* known = nullptr);

// The hand crop moved and shrunk into a photo of `photo` pixels, with the
// aspect of `shape`; nullopt when it has no area.
std::optional<QRect> fitHandCrop(const QRect& crop, QSize photo, QSize shape);

} // namespace fotarel
