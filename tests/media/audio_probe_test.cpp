#include "media/audio_probe.h"
#include "tests/media/media_fixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace fotarel::test {
namespace {

using media::probeAudio;

std::string utf8(const QString& s)
{
    return s.toStdString();
}

class AudioProbeTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir_;
};

struct SongCase {
    const char* name;
    double seconds;
    QStringList args;
    int rate;
    long long toleranceMs; // MP3 adds the encoder's delay and padding (< 2 frames)
};

TEST_F(AudioProbeTest, MeasuresDecodedLengthOfCommonFormats)
{
    const SongCase cases[] = {
        {"cbr 59.9 s.mp3", 59.9, {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100, 60},
        {"short 0.5 s.mp3", 0.5, {"-c:a", "libmp3lame", "-b:a", "128k"}, 44100, 60},
        {"vbr xing 59.9 s.mp3", 59.9, {"-c:a", "libmp3lame", "-q:a", "2"}, 44100, 60},
        {"pcm 0.5 s.wav", 0.5, {"-c:a", "pcm_s16le"}, 48000, 1},
        {"flac 59.9 s.flac", 59.9, {"-c:a", "flac"}, 22050, 1},
    };
    for (const SongCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromUtf8(c.name));
        ASSERT_TRUE(makeSong(file, c.seconds, c.args, c.rate));
        const media::AudioProbe probe = probeAudio(utf8(file));
        ASSERT_TRUE(probe.ok) << probe.error;
        EXPECT_GE(probe.milliseconds, static_cast<long long>(c.seconds * 1000) - 1);
        EXPECT_LE(probe.milliseconds, static_cast<long long>(c.seconds * 1000) + c.toleranceMs);
        EXPECT_EQ(probe.sampleRate, c.rate);
        EXPECT_EQ(probe.channels, 2);
    }
}

// Without a Xing/VBRI header the MP3 demuxer guesses the length from the
// first frame's bit rate. Silence first and noise afterwards makes that
// guess more than twice the real length; the decoded length is right.
TEST_F(AudioProbeTest, VbrMp3WithoutHeaderGetsItsRealLength)
{
    const QString file = path(QStringLiteral("无头 VBR \"歌\" 's.mp3"));
    ASSERT_TRUE(makeSongFromLavfi(
        file, QStringLiteral("anoisesrc=d=59.9:a=0.5:r=44100,volume=enable='lt(t,30)':volume=0"),
        {"-ac", "2", "-c:a", "libmp3lame", "-q:a", "2", "-write_xing", "0"}));
    const MediaInfo estimate = probeMedia(file);
    ASSERT_GT(estimate.duration, 90.0) << "the fixture no longer fools the container's estimate";

    const media::AudioProbe probe = probeAudio(utf8(file));
    ASSERT_TRUE(probe.ok) << probe.error;
    EXPECT_GE(probe.milliseconds, 59900);
    EXPECT_LE(probe.milliseconds, 59960);
}

TEST_F(AudioProbeTest, ReportsFilesThatCannotBeDecoded)
{
    QFile text(path(QStringLiteral("歌词 not audio.mp3")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("[00:01.00]this is a lyric file, not a song\n").repeated(50));
    text.close();
    QFile empty(path(QStringLiteral("empty.mp3")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile noise(path(QStringLiteral("noise.mp3")));
    ASSERT_TRUE(noise.open(QIODevice::WriteOnly));
    QByteArray bytes(64 * 1024, '\0');
    std::srand(7);
    for (char& b : bytes)
        b = static_cast<char>(std::rand() & 0xff);
    noise.write(bytes);
    noise.close();

    for (const QString& name : {QStringLiteral("歌词 not audio.mp3"), QStringLiteral("empty.mp3"),
                                QStringLiteral("noise.mp3"), QStringLiteral("missing.mp3")}) {
        SCOPED_TRACE(name.toStdString());
        const media::AudioProbe probe = probeAudio(utf8(path(name)));
        EXPECT_FALSE(probe.ok) << probe.milliseconds << " ms";
        EXPECT_FALSE(probe.error.empty());
    }
}

} // namespace
} // namespace fotarel::test
