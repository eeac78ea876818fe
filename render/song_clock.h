#pragma once

// Which song plays at each frame of the album. The pass's audio list plays
// its songs one after the other from the first frame, each for its
// frames-needed cell of the music table; looped songs come again as later
// entries. Overlays that follow a song (lyrics, karaoke) read their time
// from here so they stay in step with the audio to the frame.

#include "core/overlay.h"
#include "core/session.h"

#include <vector>

namespace fotarel::render {

class SongClock {
public:
    struct Entry {
        int song = 0;          // row in the music table
        long long start = 0;   // first album frame of the entry
        long long frames = 0;  // how long it plays
    };

    SongClock() = default;
    explicit SongClock(std::vector<Entry> entries) : entries_(std::move(entries)) {}

    // The clock of a pass whose album lists have been built: `audioEntries`
    // entries of the music table's rows in order, repeating.
    static SongClock fromSession(const Session& session, int audioEntries);

    // Where the album and its song stand at 0-based album frame `frame`.
    OverlayTime at(long long frame) const;

    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

} // namespace fotarel::render
