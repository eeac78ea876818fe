#include "karaoke/karaoke_timeline.h"

#include <algorithm>
#include <limits>

namespace fotarel::karaoke {

KaraokeTimeline::KaraokeTimeline(const KscDocument& document)
{
    lines_.reserve(document.lines.size());
    qint64 latestEnd = 0;
    for (std::size_t i = 0; i < document.lines.size(); ++i) {
        const KscLine& source = document.lines[i];
        Line line;
        line.slot = i % 2 == 0 ? kSlotA : kSlotB;
        line.startMs = source.startMs;
        line.appearMs = std::max<qint64>(0, source.startMs - kAppearLeadMs);
        long long frame = 0;
        for (const KscUnit& unit : source.units) {
            line.unitStart.push_back(frame);
            line.unitFrames.push_back(unit.frames);
            frame += unit.frames;
        }
        latestEnd = std::max(latestEnd, source.endMs);
        lines_.push_back(std::move(line));
    }
    hideMs_ = latestEnd + kHideAfterMs;

    // A line is shown fully sung once the next line to start has started.
    std::vector<qint64> starts;
    for (const Line& line : lines_)
        starts.push_back(line.startMs);
    std::sort(starts.begin(), starts.end());
    for (Line& line : lines_) {
        const auto later = std::upper_bound(starts.begin(), starts.end(), line.startMs);
        line.sungMs = later == starts.end() ? std::numeric_limits<qint64>::max() : *later;
    }
}

SlotView KaraokeTimeline::wipe(int index, qint64 songMs) const
{
    const Line& line = lines_[static_cast<std::size_t>(index)];
    SlotView view;
    view.line = index;
    const int count = static_cast<int>(line.unitFrames.size());
    if (songMs < line.startMs)
        return view;
    if (songMs >= line.sungMs) {
        view.unitsDone = count;
        return view;
    }
    // Frames of the line's wipe so far, this one included.
    const long long frame = (songMs - line.startMs) / kMsPerFrame;
    int u = 0;
    while (u < count && frame >= line.unitStart[static_cast<std::size_t>(u)] + line.unitFrames[static_cast<std::size_t>(u)])
        ++u;
    view.unitsDone = u;
    if (u < count) {
        const long long into = frame - line.unitStart[static_cast<std::size_t>(u)] + 1;
        view.fraction = static_cast<double>(into) / line.unitFrames[static_cast<std::size_t>(u)];
    }
    return view;
}

KaraokeView KaraokeTimeline::at(qint64 songMs) const
{
    KaraokeView view;
    if (songMs >= hideMs_ || songMs < 0)
        return view;
    std::array<int, 2> shown{-1, -1};
    for (int i = 0; i < lineCount(); ++i) {
        const Line& line = lines_[static_cast<std::size_t>(i)];
        if (line.appearMs > songMs)
            continue;
        int& slot = shown[static_cast<std::size_t>(line.slot)];
        // The slot's line is the one that appeared last; of lines appearing
        // together, the later one in the file.
        if (slot < 0 || line.appearMs >= lines_[static_cast<std::size_t>(slot)].appearMs)
            slot = i;
    }
    for (std::size_t s = 0; s < 2; ++s) {
        if (shown[s] >= 0)
            view.places[s] = wipe(shown[s], songMs);
    }
    return view;
}

} // namespace fotarel::karaoke
