#pragma once

// Positions of the cells of the session's tables, so code reads as meaning.
// Position 0 is always the row caption.
namespace fotarel {

// ListView_mobancanshu: one row per installed template.
namespace TemplateCol {
enum : int {
    Type = 0,             // mblx
    Category = 1,         // mbfl
    PhotoCount = 2,       // xpsl
    SlotWidths = 3,       // xpkd, bar list
    SlotHeights = 4,      // xpgd, bar list
    SlotOrientations = 5, // szhz, bar list
    JpgNames = 6,         // xpjpgmc
    MoviePath = 7,        // full path of the paired movie package
    Class = 8,            // "heng", "shu", "shuheng", "gaojimoban" or empty
    PairNumber = 9,       // 0-based pair number
    FrameCount = 10,      // mbdx
};
}

// ListView_hengzhaopian, ListView_shuzhaopian, ListView_gaojimoban and the
// four candidate lists: cells 0-9 copy the template table.
namespace ClassCol {
enum : int {
    Type = 0,
    Category = 1,
    PhotoCount = 2,
    SlotWidths = 3,
    SlotHeights = 4,
    SlotOrientations = 5,
    JpgNames = 6,
    MoviePath = 7,
    Class = 8,
    PairNumber = 9,
    LandscapeSlots = 10,
    PortraitSlots = 11,
    FrameCount = 12,
};
}

} // namespace fotarel
