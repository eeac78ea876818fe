#pragma once

#include <QLatin1StringView>

// Names of the karaoke subsystem's session tables (constants only).
namespace fotarel::karaoke::names {

// One row per imported KSC file; karaoke row i goes with song row i.
inline constexpr QLatin1StringView KaraokeTable{"suiListView_ksc"};

} // namespace fotarel::karaoke::names
