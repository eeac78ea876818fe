#pragma once

// Pictures laid over the rendered frames: lyric lines, karaoke lines and
// captions. Each kind implements `Overlay`; the render pass asks every
// overlay to paint itself over the player's picture of each frame, telling
// it where the album and the playing song stand.
//
// Overlays are designed on the 1920 × 1080 overlay panel and scale their
// geometry to the frame they are given. They should draw a line's picture
// once when it changes and only place (and clip) it per frame.

#include <QSize>

class QPainter;

namespace fotarel {

// Where the album stands at one output frame (25 frames a second of album
// time; NTSC output repeats frames by time stamp and keeps this timing).
struct OverlayTime {
    long long albumFrame = 0; // frames of the album before this one (0 for the first)
    int song = -1;            // the playing song's row in the music table; -1 when none plays
    int audioEntry = -1;      // its entry in the pass's audio list (a looped song plays again)
    long long songFrame = 0;  // frames of that song before this one (0 on its first frame)
    long long songMs = 0;     // the same as a position in the song, in milliseconds
};

class Overlay {
public:
    virtual ~Overlay() = default;
    // Paints what shows at `time` over the picture `painter` draws on, whose
    // size is `frameSize`.
    virtual void paint(QPainter& painter, QSize frameSize, const OverlayTime& time) = 0;
};

} // namespace fotarel
