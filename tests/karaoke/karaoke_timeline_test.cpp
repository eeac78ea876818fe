// When lines show and how far they are sung, from the song's position.
#include "karaoke/karaoke_timeline.h"

#include <gtest/gtest.h>

namespace fotarel::karaoke {
namespace {

KscDocument doc(const QByteArray& text)
{
    KscDocument d = parseKsc(text);
    EXPECT_TRUE(d.ok()) << d.error.toStdString();
    return d;
}

qint64 frameMs(long long frame)
{
    return frame * kMsPerFrame;
}

// The line [ab]c with 400,200: ab takes 10 frames, c 5 frames.
TEST(KaraokeTimeline, UnitsAreUncoveredFrameByFrame)
{
    const KaraokeTimeline timeline(doc("karaoke.add('00:04.000', '00:06.000', '[ab]c', '400,200');"));
    const long long start = 100; // 4 s
    EXPECT_EQ(timeline.at(frameMs(start - 1)).places[kSlotA], (SlotView{0, 0, 0.0}));
    for (int f = 0; f < 10; ++f) {
        const SlotView v = timeline.at(frameMs(start + f)).places[kSlotA];
        EXPECT_EQ(v.unitsDone, 0) << f;
        EXPECT_DOUBLE_EQ(v.fraction, (f + 1) / 10.0) << f;
    }
    for (int f = 0; f < 5; ++f) {
        const SlotView v = timeline.at(frameMs(start + 10 + f)).places[kSlotA];
        EXPECT_EQ(v.unitsDone, 1) << f;
        EXPECT_DOUBLE_EQ(v.fraction, (f + 1) / 5.0) << f;
    }
    EXPECT_EQ(timeline.at(frameMs(start + 15)).places[kSlotA].unitsDone, 2);
    // Between frames (the preview's player position) the frame's value holds.
    EXPECT_EQ(timeline.at(frameMs(start + 3) + 39).places[kSlotA], timeline.at(frameMs(start + 3)).places[kSlotA]);
}

TEST(KaraokeTimeline, LinesAppearASecondEarlyAndAlternate)
{
    const KaraokeTimeline timeline(doc("karaoke.add('00:02.500', '00:04.000', 'a', '100');\n"
                                       "karaoke.add('00:05.000', '00:07.000', 'b', '100');\n"
                                       "karaoke.add('00:08.000', '00:09.000', 'c', '100');\n"));
    EXPECT_EQ(timeline.slotOf(0), kSlotA);
    EXPECT_EQ(timeline.slotOf(1), kSlotB);
    EXPECT_EQ(timeline.slotOf(2), kSlotA);
    auto shown = [&timeline](qint64 ms) {
        const KaraokeView v = timeline.at(ms);
        return std::make_pair(v.places[kSlotA].line, v.places[kSlotB].line);
    };
    EXPECT_EQ(shown(1499), std::make_pair(-1, -1));
    EXPECT_EQ(shown(1500), std::make_pair(0, -1));
    EXPECT_EQ(shown(4000), std::make_pair(0, 1));
    EXPECT_EQ(shown(7000), std::make_pair(2, 1)); // line 3 takes slot A; line 2 stays past its end
    EXPECT_EQ(shown(9999), std::make_pair(2, 1));
    EXPECT_EQ(shown(10000), std::make_pair(-1, -1)); // a second after the latest end all go
}

TEST(KaraokeTimeline, LineInTheFirstSecondShowsFromTheStart)
{
    const KaraokeTimeline timeline(doc("karaoke.add('00:00.300', '00:01.000', 'ab', '200,200');"));
    EXPECT_EQ(timeline.appearMs(0), 0);
    const SlotView first = timeline.at(0).places[kSlotA];
    EXPECT_EQ(first.line, 0);
    EXPECT_EQ(first.unitsDone, 0);
    EXPECT_EQ(first.fraction, 0.0);
    EXPECT_EQ(timeline.at(300).places[kSlotA].fraction, 0.2); // the wipe starts at 0.3 s
}

TEST(KaraokeTimeline, ZeroFrameUnitsAreUncoveredAtOnce)
{
    // "a" lasts 10 ms: 0 frames; "b" has no duration at all.
    const KaraokeTimeline timeline(doc("karaoke.add('00:01.000', '00:02.000', 'abc', '10,,400');"));
    const SlotView v = timeline.at(1000).places[kSlotA];
    EXPECT_EQ(v.unitsDone, 2);
    EXPECT_DOUBLE_EQ(v.fraction, 0.1);
    const KaraokeTimeline silent(doc("karaoke.add('00:01.000', '00:02.000', 'ab', '0,0');"));
    EXPECT_EQ(silent.at(1000).places[kSlotA].unitsDone, 2);
}

TEST(KaraokeTimeline, LinesSharingAStartSecondAreEachSung)
{
    const KaraokeTimeline timeline(doc("karaoke.add('00:03.000', '00:03.400', 'a', '400');\n"
                                       "karaoke.add('00:03.500', '00:04.000', 'b', '400');\n"));
    const KaraokeView at3 = timeline.at(3000);
    EXPECT_EQ(at3.places[kSlotA].line, 0);
    EXPECT_EQ(at3.places[kSlotB].line, 1);
    EXPECT_GT(at3.places[kSlotA].fraction, 0.0);
    EXPECT_EQ(at3.places[kSlotB].fraction, 0.0);
    const KaraokeView at35 = timeline.at(3520);
    EXPECT_EQ(at35.places[kSlotA].unitsDone, 1); // the earlier line is sung by now
    EXPECT_EQ(at35.places[kSlotB].unitsDone, 0);
    EXPECT_GT(at35.places[kSlotB].fraction, 0.0);
}

TEST(KaraokeTimeline, LineIsFullySungWhenTheNextStarts)
{
    // The first line's durations would last 4 s, but the next line starts after 1 s.
    const KaraokeTimeline timeline(doc("karaoke.add('00:01.000', '00:02.000', 'ab', '2000,2000');\n"
                                       "karaoke.add('00:02.000', '00:03.000', 'c', '400');\n"));
    EXPECT_EQ(timeline.at(1960).places[kSlotA].unitsDone, 0);
    EXPECT_EQ(timeline.at(2000).places[kSlotA].unitsDone, 2);
}

TEST(KaraokeTimeline, WipeNeverShrinksOverALine)
{
    const KaraokeTimeline timeline(doc("karaoke.add('00:01.000', '00:05.000', '[ab]c[de]f', '300,10,900,850');"));
    double last = -1;
    for (qint64 ms = 0; ms < 6000; ms += 20) {
        const SlotView v = timeline.at(ms).places[kSlotA];
        const double progress = v.unitsDone + v.fraction;
        EXPECT_GE(progress, last) << ms;
        last = progress;
    }
    EXPECT_EQ(last, 4.0);
}

} // namespace
} // namespace fotarel::karaoke
