#pragma once

// When karaoke lines show and how far each is sung, from a song's own clock.
//
// Lines take the slots A and B in turn (file order). A line appears in its
// slot one second before its start (at once when it starts within the first
// second of the song) and stays until the next line of its slot appears; the
// last slot lines go when the latest end time has passed by a second. From
// its start the line is uncovered unit by unit: a unit of n frames uncovers
// 1/n of its width on each of its frames, a unit of 0 frames at once, and a
// line counts as fully sung once a later line has started.
//
// Everything is computed from the position alone, so the picture at a
// position never depends on what was shown before: a render, a seek in the
// preview and a frame rendered twice all give the same lines.

#include "karaoke/ksc_file.h"

#include <QtGlobal>

#include <array>
#include <vector>

namespace fotarel::karaoke {

inline constexpr int kSlotA = 0;
inline constexpr int kSlotB = 1;
inline constexpr qint64 kAppearLeadMs = 1000;
inline constexpr qint64 kHideAfterMs = 1000;

struct SlotView {
    int line = -1;        // index into the document's lines; -1 for an empty slot
    int unitsDone = 0;    // units fully sung (the unit count when the line is sung)
    double fraction = 0;  // the part of unit `unitsDone` that is sung, 0 … 1
    bool operator==(const SlotView&) const = default;
};

struct KaraokeView {
    std::array<SlotView, 2> places;
};

class KaraokeTimeline {
public:
    KaraokeTimeline() = default;
    explicit KaraokeTimeline(const KscDocument& document);

    KaraokeView at(qint64 songMs) const;

    int lineCount() const { return static_cast<int>(lines_.size()); }
    int slotOf(int line) const { return lines_[static_cast<std::size_t>(line)].slot; }
    qint64 appearMs(int line) const { return lines_[static_cast<std::size_t>(line)].appearMs; }
    qint64 hideMs() const { return hideMs_; }

private:
    struct Line {
        int slot = kSlotA;
        qint64 appearMs = 0;
        qint64 startMs = 0;
        qint64 sungMs = 0;             // fully sung from here on (a later line started)
        std::vector<long long> unitStart; // first frame of each unit, from the line's start
        std::vector<int> unitFrames;
    };
    SlotView wipe(int index, qint64 songMs) const;

    std::vector<Line> lines_;
    qint64 hideMs_ = 0;
};

} // namespace fotarel::karaoke
