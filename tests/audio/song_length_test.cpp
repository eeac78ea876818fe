#include "audio/song_length.h"

#include "tests/audio/qt_print.h"
#include "tests/audio/test_songs.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

using test::makeSong;

TEST(SongLength, ReadsTheDecodedLengthOfConstantRateFiles)
{
    test::TempTree tree;
    struct Case {
        const char* name;
        const char* source;
        qint64 wholeSeconds;
    };
    const Case cases[] = {
        {"long.mp3", "sine=d=59.9", 59},
        {"short.mp3", "sine=d=0.5", 0},
        // Chinese characters, spaces and both kinds of quotes in the name.
        {"歌 曲 'a' \"b\".mp3", "sine=d=2.2", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = tree.path(QString::fromUtf8("songs/") + QString::fromUtf8(c.name));
        ASSERT_TRUE(makeSong(path, QString::fromLatin1(c.source)));
        const std::optional<qint64> ms = songLengthMs(path);
        ASSERT_TRUE(ms.has_value());
        EXPECT_EQ(*ms / 1000, c.wholeSeconds);
    }
}

TEST(SongLength, ScansVariableRateFilesWithoutHeader)
{
    test::TempTree tree;
    const QString path = tree.path("vbr.mp3");
    // Two quiet seconds (tiny frames) and four of noise (large frames), VBR,
    // with no Xing header: a length guessed from the first frames' bit rate
    // is far too long.
    ASSERT_TRUE(makeSong(path, "aevalsrc=if(lt(t\\,2)\\,0\\,random(0)-0.5):d=6:s=22050",
                         {"-q:a", "0", "-write_xing", "0"}));
    const double guessed = test::probedSeconds(path);
    ASSERT_GT(guessed, 0);
    ASSERT_GT(std::abs(guessed - 6.0), 1.0) << "the fixture no longer shows the estimate's fault";

    const std::optional<qint64> ms = songLengthMs(path);
    ASSERT_TRUE(ms.has_value());
    EXPECT_NEAR(static_cast<double>(*ms), 6000.0, 100.0);
}

TEST(SongLength, RefusesFilesThatAreNotAudio)
{
    test::TempTree tree;
    const QString text = tree.write("notes.mp3", "these are not MPEG audio frames\n");
    const QString empty = tree.write("empty.mp3", "");
    QByteArray noise(20000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919) ^ (i >> 3));
    const QString garbage = tree.write("garbage.mp3", noise);
    for (const QString& path : {text, empty, garbage, tree.path("missing.mp3")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(songLengthMs(path).has_value());
    }
}

} // namespace
} // namespace fotarel::audio
