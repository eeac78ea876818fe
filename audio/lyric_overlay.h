#pragma once

// The LRC lyrics of a render pass: the line of the playing song that is due
// at each frame, drawn in its lyric file's style, scaled from the 1920-pixel
// overlay panel to the frame.

#include "audio/lrc.h"
#include "audio/lyric_table.h"
#include "core/overlay.h"
#include "core/session.h"
#include "core/working_folder.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace fotarel::audio {

using LogFn = std::function<void(const QString&)>;

// What one song shows: its lines and its lyric file's style.
struct SongLyrics {
    std::shared_ptr<const lrc::Timeline> timeline; // null: the song shows no lyrics
    LyricStyle style;
};

// The lyric overlay. Songs are music-table rows; the line picture is drawn
// again only when the line or the frame size changes.
class LyricOverlay : public Overlay {
public:
    explicit LyricOverlay(std::vector<SongLyrics> songs) : songs_(std::move(songs)) {}

    void paint(QPainter& painter, QSize frameSize, const OverlayTime& time) override;

    // The line index drawn for `time`, -1 for none (tests and benchmarks).
    int lineAt(const OverlayTime& time) const;
    // How often a line picture was drawn.
    int picturesDrawn() const { return picturesDrawn_; }

private:
    std::vector<SongLyrics> songs_;
    int cachedSong_ = -2;
    int cachedLine_ = -2;
    QSize cachedSize_;
    QImage picture_;
    QPoint position_;
    int picturesDrawn_ = 0;
};

// The overlay for a pass over `session`'s songs and lyric files, or null when
// nothing would show (no songs, no lyric files, no song with a readable
// lyric file). Whether the lyric type choice lets LRC lines run is the
// caller's question. Each lyric file is read once here; a file that is
// missing or unusable is named in `log`, and its songs show no lyrics.
std::unique_ptr<Overlay> makeLyricOverlay(const Session& session, const WorkingFolder& folder, const LogFn& log);

} // namespace fotarel::audio
