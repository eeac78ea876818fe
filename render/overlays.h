#pragma once

// The overlays of a render pass: every kind that has something to show for
// the session's tables (lyrics, karaoke, captions), in painting order.

#include "core/overlay.h"
#include "core/session.h"
#include "core/working_folder.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace fotarel::render {

using OverlayLog = std::function<void(const QString& line)>;
using OverlayList = std::vector<std::unique_ptr<Overlay>>;

// Builds the overlays from the session at the start of a pass. A kind with
// nothing to show adds none; what a kind cannot read (a lyric file that has
// gone) it reports through `log` and leaves out.
OverlayList makeOverlays(const Session& session, const WorkingFolder& folder, const OverlayLog& log);

} // namespace fotarel::render
