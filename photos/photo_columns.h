#pragma once

#include <QLatin1StringView>

// Names and cell positions of the photo subsystem's tables. Position 0 is
// always the row caption.
namespace fotarel {

namespace photo_tables {
// One row per photo of the album, in album order.
inline constexpr QLatin1StringView Photos{"ListView_daoruxiangpian"};
// The photos of the batch being imported (positions 0-19 of the photo table).
inline constexpr QLatin1StringView Batch{"ListView_daoruxiangpianchuli"};
// Scratch copy used while rows are reordered.
inline constexpr QLatin1StringView DragScratch{"ListView_daoruxiangpian_tuodong_linshi"};
// The list view of the photos area.
inline constexpr QLatin1StringView Visible{"suiListView_xiangpian_liebiao"};
} // namespace photo_tables

// ListView_daoruxiangpian (and the batch and drag scratch tables).
namespace PhotoCol {
enum : int {
    Number = 0,           // 1-based row number
    Path = 1,             // full path of the photo file
    Name = 2,             // file name without its last four characters
    Extension = 3,        // extension with its dot, case as in the file name
    Width = 4,            // arranged to the orientation
    Height = 5,
    Orientation = 6,      // "heng_zhao" or "shu_zhao"
    Group = 7,            // group number
    PairNumber = 8,       // 0-based pair number of the template
    Label = 9,            // fitting label; empty: not yet assigned
    TemplatePhotos = 10,  // photo count of the template
    PictureName = 11,     // "picture_" + slot
    MoviePackage = 12,    // path of the template's movie package
    SlotWidth = 13,       // "0" for a full-frame slot
    SlotHeight = 14,
    TemplateWidths = 15,  // bar lists of the template
    TemplateHeights = 16,
    TemplateOrientations = 17,
    TemplateJpgNames = 18,
    FrameCount = 19,
    ThumbnailDone = 20,   // "jiancai_no" / "jiancai_yes"
    CropDone = 21,        // "jiancai_no" / "jiancai_yes"
    Crop = 22,            // the part of the upright photo its picture shows: "x,y,w,h" in pixels
    CropByHand = 23,      // "T": Crop was set by hand and is kept; else it is made anew
    Count = 24,
};
} // namespace PhotoCol

// suiListView_xiangpian_liebiao.
namespace VisibleCol {
enum : int {
    Number = 0,
    Name = 1,
    Extension = 2,   // as the file name has it
    Width = 3,
    Height = 4,
    Orientation = 5, // "横照片" / "竖照片"
    Binding = 6,     // "已绑定"
    Path = 7,        // the file's path, unchanged
    Count = 8,
};
} // namespace VisibleCol

inline constexpr QLatin1StringView kLandscapePhoto{"heng_zhao"};
inline constexpr QLatin1StringView kPortraitPhoto{"shu_zhao"};
inline constexpr QLatin1StringView kNotDone{"jiancai_no"};
inline constexpr QLatin1StringView kDone{"jiancai_yes"};
inline constexpr QLatin1StringView kCropByHand{"T"};

} // namespace fotarel
