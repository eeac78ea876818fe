#include "render/song_clock.h"

#include "audio/music_table.h"

#include <algorithm>

namespace fotarel::render {

SongClock SongClock::fromSession(const Session& session, int audioEntries)
{
    const Table& music = session.table(audio::names::MusicTable);
    std::vector<Entry> entries;
    if (music.isEmpty())
        return SongClock{};
    long long start = 0;
    for (int i = 0; i < audioEntries; ++i) {
        const int row = i % music.rowCount();
        const long long frames = std::max(0LL, music.cell(row, audio::MusicCol::Frames).toLongLong());
        entries.push_back({row, start, frames});
        start += frames;
    }
    return SongClock(std::move(entries));
}

OverlayTime SongClock::at(long long frame) const
{
    OverlayTime time;
    time.albumFrame = frame;
    // The entry whose span holds the frame: the last one starting at or before it.
    const auto next = std::upper_bound(entries_.begin(), entries_.end(), frame,
                                       [](long long f, const Entry& e) { return f < e.start; });
    if (next == entries_.begin())
        return time;
    const Entry& entry = *(next - 1);
    if (frame >= entry.start + entry.frames)
        return time; // after the last song
    time.song = entry.song;
    time.audioEntry = int(next - 1 - entries_.begin());
    time.songFrame = frame - entry.start;
    time.songMs = time.songFrame * 1000 / audio::kFramesPerSecond;
    return time;
}

} // namespace fotarel::render
