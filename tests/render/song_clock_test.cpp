#include "render/song_clock.h"

#include "audio/music_table.h"
#include "core/session.h"

#include <gtest/gtest.h>

namespace fotarel::render {
namespace {

TEST(SongClock, SongsFollowEachOtherAndLoopedEntriesStartAgain)
{
    // Song 0 lasts 50 frames, song 1 lasts 25; three entries: 0, 1, 0 again.
    const SongClock clock({{0, 0, 50}, {1, 50, 25}, {0, 75, 50}});
    struct Case {
        long long frame;
        int song, entry;
        long long songFrame, songMs;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0},      {49, 0, 0, 49, 1960}, {50, 1, 1, 0, 0},
        {74, 1, 1, 24, 960},  {75, 0, 2, 0, 0},     {124, 0, 2, 49, 1960},
        {125, -1, -1, 0, 0}, // after the last entry no song plays
    };
    for (const Case& c : cases) {
        const OverlayTime t = clock.at(c.frame);
        SCOPED_TRACE(c.frame);
        EXPECT_EQ(t.albumFrame, c.frame);
        EXPECT_EQ(t.song, c.song);
        EXPECT_EQ(t.audioEntry, c.entry);
        EXPECT_EQ(t.songFrame, c.songFrame);
        EXPECT_EQ(t.songMs, c.songMs);
    }
    EXPECT_EQ(SongClock{}.at(10).song, -1);
}

TEST(SongClock, FromSessionRepeatsTheMusicTableForEveryAudioEntry)
{
    Session session;
    Table& music = session.table(audio::names::MusicTable);
    Row a;
    for (int c = 0; c <= audio::MusicCol::LyricName; ++c)
        a << QStringLiteral("0");
    a[audio::MusicCol::Frames] = QStringLiteral("100");
    Row b = a;
    b[audio::MusicCol::Frames] = QStringLiteral("40");
    music.appendRow(a);
    music.appendRow(b);
    const SongClock clock = SongClock::fromSession(session, 3);
    ASSERT_EQ(clock.entries().size(), 3u);
    EXPECT_EQ(clock.entries()[2].song, 0);
    EXPECT_EQ(clock.entries()[2].start, 140);
    EXPECT_EQ(clock.at(139).song, 1);
    EXPECT_EQ(clock.at(140).songFrame, 0);
}

} // namespace
} // namespace fotarel::render
