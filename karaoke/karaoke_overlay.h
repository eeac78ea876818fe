#pragma once

// The karaoke lines of a render pass: karaoke row k goes with song k of the
// music table. Every row's file is read when the pass starts; a file that
// cannot be used is reported and its song plays without karaoke. The lines
// follow the playing song's own clock, so they are in step with its audio to
// the frame, song after song (a looped song shows its lines again).

#include "core/overlay.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "karaoke/karaoke_painter.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace fotarel::karaoke {

using LogFn = std::function<void(const QString& line)>;

class KaraokeOverlay : public Overlay {
public:
    // Painters by music-table row.
    explicit KaraokeOverlay(std::map<int, std::unique_ptr<KaraokePainter>> painters);

    void paint(QPainter& painter, QSize frameSize, const OverlayTime& time) override;
    KaraokePainter* painterFor(int song) const;

private:
    std::map<int, std::unique_ptr<KaraokePainter>> painters_;
    int lastSong_ = -1;
};

// nullptr when karaoke does not run in this pass (no karaoke rows, no songs,
// "使用LRC歌词" chosen) or no file of a song could be used.
std::unique_ptr<Overlay> makeKaraokeOverlay(const Session& session, const WorkingFolder& folder, const LogFn& log);

} // namespace fotarel::karaoke
