#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

// Names, cell positions and words of the caption (text-effect) table.
// Position 0 is the row caption (the caption's text).
namespace fotarel::effects {

// The main window's caption table; the renderer reads it.
inline constexpr QLatin1StringView kCaptionTable{"ListView_Label"};
// The picture-effect table: defined and counted in the output summary; this
// program makes no picture effects, so it stays empty.
inline constexpr QLatin1StringView kPictureEffectTable{"ListView_Image"};

namespace CaptionCol {
enum : int {
    Text = 0,         // the caption's text
    Start = 1,        // "mm:ss" of album time
    End = 2,          // always "暂无"
    State = 3,        // "tingzhi" or "qidong"
    Motion = 4,       // motion name, e.g. "congzuoxiangyou"
    FixedX = 5,       // fixed left edge of a vertical motion, editor-preview pixels
    FixedY = 6,       // fixed top edge of a horizontal motion, editor-preview pixels
    EffectName = 7,   // the effect name the user chose
    ColourName = 8,   // "clWhite"
    FontName = 9,     // "黑体"
    FontSize = 10,    // points, "10".."40"
    Bold = 11,        // "cuti" or "0"
    Italic = 12,      // "xieti" or "0"
    Underline = 13,   // "xiahuaxian" or "0"
    ColourValue = 14, // decimal 0x00BBGGRR
    Outline = 15,     // 描边颜色, 描边颜色(数字), 描边宽度 (core/text_outline.h)
    Count = 18
};
}

inline const QString kStateStopped = QStringLiteral("tingzhi");
inline const QString kStateMoving = QStringLiteral("qidong");
inline const QString kNoEndTime = QStringLiteral("暂无");
inline const QString kBoldWord = QStringLiteral("cuti");
inline const QString kItalicWord = QStringLiteral("xieti");
inline const QString kUnderlineWord = QStringLiteral("xiahuaxian");

// The column captions of the caption table.
QStringList captionColumnCaptions();

// The editor's preview panel Panel_LRC: the motion table's fixed
// coordinates are pixels of it, and the sizes the user picks are its points.
inline constexpr int kPreviewWidth = 513;
inline constexpr int kPreviewHeight = 289;
// The overlay panel captions are laid out on in a render; frames of other
// sizes get the same picture scaled.
inline constexpr int kPanelWidth = 1920;
inline constexpr int kPanelHeight = 1080;
// Pixels a caption moves per frame on the overlay panel.
inline constexpr int kStepPixels = 3;

} // namespace fotarel::effects
