#include "render/overlays.h"

#include "audio/lyric_overlay.h"
#include "effects/caption_overlay.h"
#include "karaoke/karaoke_overlay.h"
#include "karaoke/lyric_type.h"

namespace fotarel::render {

OverlayList makeOverlays(const Session& session, const WorkingFolder& folder, const OverlayLog& log)
{
    OverlayList overlays;
    // Each kind's factory returns nullptr when it has nothing to show.
    auto add = [&overlays](std::unique_ptr<Overlay> overlay) {
        if (overlay)
            overlays.push_back(std::move(overlay));
    };
    if (karaoke::lrcRuns(session))
        add(audio::makeLyricOverlay(session, folder, log));
    // Karaoke decides for itself whether it runs (karaoke rows, lyric type).
    add(karaoke::makeKaraokeOverlay(session, folder, log));
    // Captions fly in front of the lyrics.
    add(effects::makeCaptionOverlay(session, folder, log));
    return overlays;
}

} // namespace fotarel::render
