#pragma once

namespace fotarel {

// The program names its fonts as a Chinese Windows desktop does ("黑体",
// "宋体", "微软雅黑"). Registers font substitutions so these names (and their
// English names) resolve to the CJK fonts installed on this system. Call once
// after the GUI application object exists; calling again does no harm.
void registerFontSubstitutions();

} // namespace fotarel
