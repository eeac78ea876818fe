#include "media/conversion.h"
#include "tests/media/media_fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include "tests/support/run_program.h"
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <stop_token>
#include <thread>

namespace fotarel::test {
namespace {

using media::Conversion;
using media::ErrorAnswer;
using media::ErrorCode;
using media::MediaList;
using media::Preset;
using media::Quality;
using media::Standard;

constexpr int kFrames = 50; // two seconds of album

// A folder whose name has Chinese characters, spaces and quotes, as
// album folders do.
class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp_.isValid());
        folder_ = tmp_.path() + QStringLiteral("/相册 'photo' \"album\"");
        ASSERT_TRUE(QDir().mkpath(folder_));
    }
    QString path(const QString& name) const { return folder_ + QLatin1Char('/') + name; }
    static std::string utf8(const QString& s) { return s.toStdString(); }
    // Files left in the folder, apart from `keep`.
    QStringList leftovers(const QStringList& keep = {}) const
    {
        QStringList files = QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& k : keep)
            files.removeAll(k);
        return files;
    }

    // The album way of feeding frames: every entry names the same frame
    // file, and the video function rewrites it with the next picture.
    struct AlbumFrames {
        QString file;
        MediaList list{MediaList::Kind::Frame};
        int width, height;
    };
    void feedAlbum(Conversion& conversion, AlbumFrames& album, int frames)
    {
        ASSERT_TRUE(drawFrame(0, album.width, album.height).save(album.file, "BMP"));
        for (int i = 0; i < frames; ++i)
            album.list.add(utf8(album.file));
        conversion.setVideoList(album.list);
        conversion.setVideoFunction([&album](int index) {
            drawFrame(index + 1, album.width, album.height).save(album.file, "BMP");
        });
    }

    QTemporaryDir tmp_;
    QString folder_;
};

struct OutputCase {
    const char* name;
    Preset preset;
    Standard standard;
    QSize set;      // frame size set (empty: not set)
    QSize expected; // encoded frame size
    const char* container;
    const char* videoCodec;
    const char* audioCodec;
    int audioRate;
    const char* frameRate;
    const char* extension;
};

// Every output kind in both standards: container, codecs, size, rate,
// duration, audio, and the pictures themselves.
TEST_F(ConversionTest, EveryOutputKindInBothStandards)
{
    const OutputCase cases[] = {
        {"VCD PAL", Preset::Vcd, Standard::Pal, {320, 240}, {320, 240}, "mpeg", "mpeg1video", "mp2", 44100, "25/1", "mpg"},
        {"VCD NTSC", Preset::Vcd, Standard::Ntsc, {}, {352, 240}, "mpeg", "mpeg1video", "mp2", 44100, "30000/1001", "mpg"},
        {"SVCD PAL", Preset::Svcd, Standard::Pal, {320, 240}, {320, 240}, "mpeg", "mpeg2video", "mp2", 44100, "25/1", "mpg"},
        {"SVCD NTSC", Preset::Svcd, Standard::Ntsc, {320, 240}, {320, 240}, "mpeg", "mpeg2video", "mp2", 44100, "30000/1001", "mpg"},
        {"DVD PAL", Preset::Dvd, Standard::Pal, {320, 240}, {320, 240}, "mpeg", "mpeg2video", "ac3", 48000, "25/1", "mpg"},
        {"DVD NTSC", Preset::Dvd, Standard::Ntsc, {320, 240}, {320, 240}, "mpeg", "mpeg2video", "ac3", 48000, "30000/1001", "mpg"},
        {"AVI PAL", Preset::Avi, Standard::Pal, {}, {320, 240}, "avi", "mpeg4", "mp3", 44100, "25/1", "avi"},
        {"AVI NTSC", Preset::Avi, Standard::Ntsc, {320, 240}, {320, 240}, "avi", "mpeg4", "mp3", 44100, "30000/1001", "avi"},
        {"MP4 PAL", Preset::Mp4, Standard::Pal, {}, {320, 240}, "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac", 48000, "25/1", "mp4"},
        {"MP4 NTSC", Preset::Mp4, Standard::Ntsc, {320, 240}, {320, 240}, "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac", 48000, "30000/1001", "mp4"},
    };
    const QString song = path(QStringLiteral("歌 1.mp3"));
    ASSERT_TRUE(makeSong(song, 3.0, {"-c:a", "libmp3lame", "-b:a", "128k"}));

    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = path(QStringLiteral("out %1.%2").arg(QString::fromUtf8(c.name), c.extension));
        Conversion conversion;
        AlbumFrames album{path(QStringLiteral("tp_load_1.bmp")), MediaList(MediaList::Kind::Frame), 320, 240};
        feedAlbum(conversion, album, kFrames);
        MediaList songs(MediaList::Kind::Audio);
        songs.add(utf8(song));
        EXPECT_GT(songs.sampleCount(), 44100 * 3 - 1);
        conversion.setAudioList(songs);
        std::vector<int> statuses;
        int frameReports = 0;
        conversion.setProgress([&](int status, int frame, std::int64_t, int percent) {
            if (statuses.empty() || statuses.back() != status)
                statuses.push_back(status);
            if (status == media::StatusFrame) {
                EXPECT_EQ(frame, ++frameReports);
            }
            if (status == media::StatusMuxed) {
                EXPECT_EQ(percent, 100);
            }
        });
        conversion.setFormatPreset(c.preset, c.standard);
        if (!c.set.isEmpty())
            conversion.setFrameSize(c.set.width(), c.set.height());
        conversion.setQuality(Quality::High);
        conversion.setTruncateAudioToVideo(true);
        conversion.setVideoFileName(utf8(out));
        conversion.setAudioFileName(utf8(out));
        ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
        EXPECT_EQ(conversion.lastError(), ErrorCode::None);
        EXPECT_EQ(statuses, (std::vector<int>{1, 3, 4, 0}));
        EXPECT_EQ(frameReports, kFrames);

        const MediaInfo info = probeMedia(out);
        ASSERT_TRUE(info.ok);
        EXPECT_EQ(info.container, QString::fromLatin1(c.container));
        ASSERT_EQ(info.video.size(), 1u);
        ASSERT_EQ(info.audio.size(), 1u);
        const StreamInfo& v = info.video[0];
        EXPECT_EQ(v.codec, QString::fromLatin1(c.videoCodec));
        EXPECT_EQ(QSize(v.width, v.height), c.expected);
        EXPECT_EQ(v.frameRate, QString::fromLatin1(c.frameRate));
        // The album time is kept in both standards: within one frame.
        const double rate = c.standard == Standard::Pal ? 25.0 : 30000.0 / 1001.0;
        EXPECT_NEAR(double(v.frames) / rate, kFrames / 25.0, 1.0 / rate) << v.frames << " frames";
        const StreamInfo& a = info.audio[0];
        EXPECT_EQ(a.codec, QString::fromLatin1(c.audioCodec));
        EXPECT_EQ(a.sampleRate, c.audioRate);
        EXPECT_EQ(a.channels, 2);
        int channels = 0;
        int audioRate = 0;
        const std::vector<float> samples = decodeAudio(out, &channels, &audioRate);
        ASSERT_GT(channels, 0);
        // Cut to the video: the song's 3 s end with the album's 2 s (an
        // encoder frame of padding at most, plus the decoder's delay).
        const double seconds = double(samples.size()) / channels / audioRate;
        EXPECT_GT(seconds, kFrames / 25.0 - 0.001);
        EXPECT_LT(seconds, kFrames / 25.0 + 0.08);

        const std::vector<QImage> frames = decodeFrames(out);
        ASSERT_EQ(static_cast<long long>(frames.size()), v.frames);
        for (int j : {2, 17, 33, int(frames.size()) - 1}) {
            // Output frame j starts at j / rate and shows the album frame
            // of that moment.
            const int input = static_cast<int>(std::floor(j / rate * 25.0 + 1e-9));
            const QImage expected = drawFrame(input, 320, 240).scaled(c.expected, Qt::IgnoreAspectRatio,
                                                                      Qt::SmoothTransformation);
            EXPECT_GE(psnr(expected, frames[size_t(j)]), 30.0) << "output frame " << j << " = input " << input;
        }
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (c.preset == Preset::Mp4) {
            // "faststart": the index (moov) comes before the media (mdat),
            // so playback starts while the file is still loading.
            const qsizetype moov = bytes.indexOf("moov");
            const qsizetype mdat = bytes.indexOf("mdat");
            ASSERT_GT(moov, 0);
            ASSERT_GT(mdat, 0);
            EXPECT_LT(moov, mdat);
        } else if (c.preset != Preset::Avi) {
            // Pack header: MPEG-1 system streams mark it 0010, MPEG-2 01.
            ASSERT_GT(bytes.size(), 5);
            EXPECT_EQ(bytes.left(4), QByteArray("\x00\x00\x01\xba", 4));
            const int marker = static_cast<unsigned char>(bytes[4]) >> 4;
            EXPECT_EQ(c.preset == Preset::Vcd ? marker : marker >> 2, c.preset == Preset::Vcd ? 0x2 : 0x1);
        }
        if (c.preset == Preset::Dvd) {
            // DVD tools want 2048-byte packs with navigation packets.
            EXPECT_EQ(bytes.size() % 2048, 0);
            EXPECT_TRUE(bytes.contains(QByteArray("\x00\x00\x01\xbf", 4)));
        }
        EXPECT_EQ(leftovers({QFileInfo(out).fileName(), "tp_load_1.bmp", QFileInfo(song).fileName()}),
                  QStringList{});
        QFile::remove(out);
    }
}

// The disc standard's streams go through the authoring tools without a
// warning: vcdimager for VCD and SVCD, dvdauthor for DVD, in both TV
// standards; 16:9 album frames keep their shape (VCD letterboxed in 4:3).
TEST_F(ConversionTest, DiscStreamsPassTheAuthoringTools)
{
    struct DiscCase {
        const char* name;
        Preset preset;
        Standard standard;
        QSize size;
        const char* aspect;
    };
    const DiscCase cases[] = {
        {"VCD PAL", Preset::Vcd, Standard::Pal, {352, 288}, "4:3"},
        {"VCD NTSC", Preset::Vcd, Standard::Ntsc, {352, 240}, "4:3"},
        {"SVCD PAL", Preset::Svcd, Standard::Pal, {480, 576}, "16:9"},
        {"SVCD NTSC", Preset::Svcd, Standard::Ntsc, {480, 480}, "16:9"},
        {"DVD PAL", Preset::Dvd, Standard::Pal, {720, 576}, "16:9"},
        {"DVD NTSC", Preset::Dvd, Standard::Ntsc, {720, 480}, "16:9"},
    };
    const QString song = path(QStringLiteral("歌.mp3"));
    ASSERT_TRUE(makeSong(song, 3.0, {"-c:a", "libmp3lame", "-b:a", "128k"}));
    MediaList frames(MediaList::Kind::Frame);
    for (int i = 0; i < kFrames; ++i)
        frames.add(drawFrame(i, 1024, 576));

    for (const DiscCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = path(QStringLiteral("disc %1.mpg").arg(QString::fromUtf8(c.name)));
        Conversion conversion;
        conversion.setVideoList(frames);
        MediaList songs(MediaList::Kind::Audio);
        songs.add(utf8(song));
        conversion.setAudioList(songs);
        conversion.setFormatPreset(c.preset, c.standard);
        conversion.setFrameSize(1920, 1080); // a disc keeps its own size
        conversion.setQuality(Quality::High);
        conversion.setDiscStandard(true);
        conversion.setTruncateAudioToVideo(true);
        conversion.setVideoFileName(utf8(out));
        ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();

        const QByteArray shape = runTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                     "stream=width,height,display_aspect_ratio", "-of",
                                                     "default=nw=1", out});
        EXPECT_TRUE(shape.contains(QStringLiteral("width=%1\n").arg(c.size.width()).toLatin1())) << shape.data();
        EXPECT_TRUE(shape.contains(QStringLiteral("height=%1\n").arg(c.size.height()).toLatin1())) << shape.data();
        // MPEG-1 names pixel shapes from a table: VCD's 4:3 is within 1 %.
        const int at = shape.indexOf("display_aspect_ratio=");
        ASSERT_GE(at, 0) << shape.data();
        const QList<QByteArray> shown = shape.mid(at + 21).trimmed().split(':');
        const QList<QByteArray> wanted = QByteArray(c.aspect).split(':');
        ASSERT_EQ(shown.size(), 2) << shape.data();
        EXPECT_NEAR(shown[0].toDouble() / shown[1].toDouble(), wanted[0].toDouble() / wanted[1].toDouble(), 0.013)
            << shape.data();

        ProgramOptions options;
        options.workingFolder = folder_;
        options.mergeOutput = true;
        ProgramRun tool;
        if (c.preset == Preset::Dvd) {
            options.env = {{"VIDEO_FORMAT", c.standard == Standard::Pal ? "PAL" : "NTSC"}};
            tool = runProgram("dvdauthor", {"-o", path("dvd " + QString::fromUtf8(c.name)), "-t", out}, options);
        } else {
            const QString image = path("disc " + QString::fromUtf8(c.name));
            tool = runProgram("vcdimager", {"-t", c.preset == Preset::Vcd ? "vcd2" : "svcd", "-c", image + ".cue", "-b",
                                            image + ".bin", out},
                              options);
        }
        ASSERT_TRUE(tool.started && !tool.timedOut);
        const QString log = QString::fromLocal8Bit(tool.out);
        EXPECT_EQ(tool.exitCode, 0) << log.toStdString();
        EXPECT_FALSE(log.contains("warn", Qt::CaseInsensitive)) << log.toStdString();
        EXPECT_FALSE(log.contains("error", Qt::CaseInsensitive)) << log.toStdString();

        if (c.preset == Preset::Vcd) {
            // 16:9 in a 4:3 disc: black bars above and below the picture.
            const std::vector<QImage> pictures = decodeFrames(out);
            ASSERT_FALSE(pictures.empty());
            const QImage& f = pictures[pictures.size() / 2];
            const int bar = c.size.height() / 8 - 4;
            EXPECT_LT(qGray(f.pixel(c.size.width() / 2, bar / 2)), 24);
            EXPECT_LT(qGray(f.pixel(c.size.width() / 2, c.size.height() - 1 - bar / 2)), 24);
        }
        QFile::remove(out);
    }
}

// HD MP4 carries BT.709 colour flags, and its pixels are converted with
// BT.709 so players that honour the flags show the colours drawn.
TEST_F(ConversionTest, HdMp4IsFlaggedAndConvertedAsBt709)
{
    Conversion conversion;
    MediaList frames(MediaList::Kind::Frame);
    for (int i = 0; i < 10; ++i)
        frames.add(drawFrame(i, 1280, 720));
    conversion.setVideoList(frames);
    conversion.setFormatPreset(Preset::Mp4, Standard::Pal);
    const QString out = path(QStringLiteral("hd.mp4"));
    conversion.setVideoFileName(utf8(out));
    ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
    const ProgramRun probe = runProgram("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                    "stream=pix_fmt,color_space,color_primaries,color_transfer", "-of",
                                                    "csv=p=0", out});
    ASSERT_TRUE(probe.ok());
    EXPECT_EQ(QString::fromUtf8(probe.out).trimmed(), "yuv420p,bt709,bt709,bt709");
    const std::vector<QImage> decoded = decodeFrames(out);
    ASSERT_EQ(decoded.size(), 10u);
    // Converted with BT.601 under BT.709 flags this frame measures 34 dB.
    EXPECT_GE(psnr(drawFrame(5, 1280, 720), decoded[5]), 40.0);
}

// Without keep duration every album frame is one NTSC frame: the video
// runs faster and shorter.
TEST_F(ConversionTest, WithoutKeepDurationEachFrameIsOneOutputFrame)
{
    Conversion conversion;
    AlbumFrames album{path(QStringLiteral("f.bmp")), MediaList(MediaList::Kind::Frame), 160, 120};
    feedAlbum(conversion, album, kFrames);
    const QString out = path(QStringLiteral("fast.mpg"));
    conversion.setFormatPreset(Preset::Dvd, Standard::Ntsc);
    conversion.setFrameSize(160, 120);
    conversion.setKeepDuration(false);
    conversion.setVideoFileName(utf8(out));
    ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
    const MediaInfo info = probeMedia(out);
    ASSERT_EQ(info.video.size(), 1u);
    EXPECT_EQ(info.video[0].frames, kFrames);
}

struct SequenceCase {
    const char* format;
    const char* codec;
    int frames;
    const char* firstName;
    const char* lastName;
    double minimumPsnr;
};

// Image sequences: one picture a frame, numbered from the given "01." so a
// name sort gives the frame order (the width grows with the count).
TEST_F(ConversionTest, ImageSequencesAreNumberedAndDecodable)
{
    const SequenceCase cases[] = {
        {"JPG", "mjpeg", 105, "001.JPG", "105.JPG", 30},
        {"BMP", "bmp", 5, "01.BMP", "05.BMP", 99},
        {"TGA", "targa", 5, "01.TGA", "05.TGA", 99},
        {"PCX", "pcx", 12, "01.PCX", "12.PCX", 99},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.format);
        const QString dir = path(QStringLiteral("序列 %1").arg(c.format));
        ASSERT_TRUE(QDir().mkpath(dir));
        Conversion conversion;
        // Pictures handed over in memory, of an odd size.
        MediaList frames(MediaList::Kind::Frame);
        for (int i = 0; i < c.frames; ++i)
            frames.add(drawFrame(i, 97, 61));
        conversion.setVideoList(frames);
        conversion.setQuality(Quality::High);
        conversion.setVideoFileName(utf8(dir + QStringLiteral("/01.") + c.format));
        ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
        QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        ASSERT_EQ(names.size(), c.frames);
        EXPECT_EQ(names.front(), QString::fromLatin1(c.firstName));
        EXPECT_EQ(names.back(), QString::fromLatin1(c.lastName));
        for (int i : {0, c.frames / 2, c.frames - 1}) {
            const QString file = dir + QLatin1Char('/') + names[i];
            const MediaInfo info = probeMedia(file);
            ASSERT_EQ(info.video.size(), 1u) << names[i].toStdString();
            EXPECT_EQ(info.video[0].codec, QString::fromLatin1(c.codec));
            const std::vector<QImage> decoded = decodeFrames(file);
            ASSERT_EQ(decoded.size(), 1u);
            EXPECT_EQ(decoded[0].size(), QSize(97, 61));
            EXPECT_GE(psnr(drawFrame(i, 97, 61), decoded[0]), c.minimumPsnr) << names[i].toStdString();
        }
    }
}

// A set frame size scales every frame; raw BGR24 and BGRA memory is
// accepted.
TEST_F(ConversionTest, RawFramesAreScaledToTheSetSize)
{
    for (const auto layout : {media::RawFrame::Layout::Bgr24, media::RawFrame::Layout::Bgra}) {
        const bool bgr = layout == media::RawFrame::Layout::Bgr24;
        SCOPED_TRACE(bgr ? "bgr24" : "bgra");
        // QImage's RGB32 is B, G, R, A in memory on little-endian machines.
        const QImage picture =
            drawFrame(3, 400, 300).convertToFormat(bgr ? QImage::Format_BGR888 : QImage::Format_RGB32);
        Conversion conversion;
        conversion.setVideoSource([&](media::SourceAnswer& answer, int index) {
            if (index >= 10)
                return answer.finished();
            media::RawFrame raw;
            raw.pixels = picture.constBits();
            raw.width = picture.width();
            raw.height = picture.height();
            raw.stride = static_cast<int>(picture.bytesPerLine());
            raw.layout = layout;
            answer.setRaw(raw);
        });
        const QString out = path(QStringLiteral("scaled.avi"));
        conversion.setFrameSize(200, 150);
        conversion.setQuality(Quality::High);
        conversion.setVideoFileName(utf8(out));
        ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
        const std::vector<QImage> frames = decodeFrames(out);
        ASSERT_EQ(frames.size(), 10u);
        EXPECT_EQ(frames[5].size(), QSize(200, 150));
        EXPECT_GE(psnr(picture.scaled(200, 150, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), frames[5]),
                  30.0);
    }
}

// Count zero crossings a second in a stretch of the left channel.
double frequencyAt(const std::vector<float>& samples, int channels, int rate, double from, double to)
{
    const size_t a = size_t(from * rate) * size_t(channels);
    const size_t b = std::min(samples.size(), size_t(to * rate) * size_t(channels));
    int crossings = 0;
    for (size_t i = a + size_t(channels); i < b; i += size_t(channels))
        if ((samples[i - size_t(channels)] < 0) != (samples[i] < 0))
            ++crossings;
    return crossings / 2.0 / (to - from);
}

// Songs join in list order at the output rate; a song that cannot be
// decoded is reported and skipped; without a cut the audio runs to the end
// of the music.
TEST_F(ConversionTest, SongsAreJoinedAndBrokenOnesSkipped)
{
    const QString first = path(QStringLiteral("一 mono 22k.mp3"));
    const QString second = path(QStringLiteral("two \"48k\".wav"));
    const QString broken = path(QStringLiteral("broken.mp3"));
    ASSERT_TRUE(makeSong(first, 1.0, {"-c:a", "libmp3lame", "-b:a", "64k"}, 22050, 1, 440));
    ASSERT_TRUE(makeSong(second, 1.5, {"-c:a", "pcm_s16le"}, 48000, 2, 1760));
    QFile bad(broken);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(3000, 'x'));
    bad.close();

    Conversion conversion;
    AlbumFrames album{path(QStringLiteral("f.bmp")), MediaList(MediaList::Kind::Frame), 160, 120};
    feedAlbum(conversion, album, 25); // 1 s of video
    MediaList songs(MediaList::Kind::Audio);
    songs.add(utf8(first));
    songs.add(utf8(broken));
    songs.add(utf8(second));
    conversion.setAudioList(songs);
    std::vector<ErrorCode> errors;
    conversion.setError([&](ErrorCode code, const std::string&) {
        errors.push_back(code);
        return ErrorAnswer::Skip;
    });
    std::vector<int> songsRead;
    conversion.setAudioFunction([&](int index, std::int64_t) { songsRead.push_back(index); });
    const QString out = path(QStringLiteral("joined.mpg"));
    conversion.setFormatPreset(Preset::Vcd, Standard::Pal);
    conversion.setFrameSize(160, 120);
    conversion.setVideoFileName(utf8(out));
    ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
    EXPECT_EQ(errors, std::vector<ErrorCode>{ErrorCode::AudioUnreadable});
    EXPECT_EQ(conversion.lastError(), ErrorCode::AudioUnreadable);
    EXPECT_EQ(songsRead, (std::vector<int>{0, 2}));

    int channels = 0;
    int rate = 0;
    const std::vector<float> samples = decodeAudio(out, &channels, &rate);
    ASSERT_EQ(channels, 2);
    ASSERT_EQ(rate, 44100);
    const double seconds = double(samples.size()) / channels / rate;
    EXPECT_GT(seconds, 2.5);
    EXPECT_LT(seconds, 2.65);
    EXPECT_NEAR(frequencyAt(samples, channels, rate, 0.2, 0.8), 440, 15);
    EXPECT_NEAR(frequencyAt(samples, channels, rate, 1.3, 2.3), 1760, 30);

    // Stop instead of skip: the conversion fails and leaves nothing.
    const QString stopped = path(QStringLiteral("stopped.mpg"));
    conversion.setError([](ErrorCode, const std::string&) { return ErrorAnswer::Stop; });
    conversion.setVideoFileName(utf8(stopped));
    album.list = MediaList(MediaList::Kind::Frame);
    for (int i = 0; i < 25; ++i)
        album.list.add(utf8(album.file));
    EXPECT_FALSE(conversion.convert());
    EXPECT_EQ(conversion.lastError(), ErrorCode::AudioUnreadable);
    EXPECT_FALSE(QFile::exists(stopped));
    EXPECT_FALSE(QFile::exists(stopped + ".part"));
}

// Without music, or with music shorter than the video, the audio track
// lasts as long as the video, silent where there is no music.
TEST_F(ConversionTest, AudioIsNeverShorterThanTheVideo)
{
    const QString shortSong = path(QStringLiteral("半秒 song.mp3"));
    ASSERT_TRUE(makeSong(shortSong, 0.5, {"-c:a", "libmp3lame", "-b:a", "128k"}));
    for (const bool withSong : {false, true}) {
        SCOPED_TRACE(withSong ? "0.5 s song" : "no music");
        Conversion conversion;
        AlbumFrames album{path(QStringLiteral("f.bmp")), MediaList(MediaList::Kind::Frame), 160, 120};
        feedAlbum(conversion, album, kFrames);
        MediaList songs(MediaList::Kind::Audio);
        if (withSong)
            songs.add(utf8(shortSong));
        conversion.setAudioList(songs);
        double remainingHalfway = -1;
        conversion.setProgress([&](int status, int frame, std::int64_t, int) {
            if (status == media::StatusFrame && frame == kFrames / 2)
                remainingHalfway = conversion.remainingTime(kFrames, songs.sampleCount());
        });
        const QString out = path(QStringLiteral("quiet.avi"));
        conversion.setVideoFileName(utf8(out));
        ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
        EXPECT_GT(remainingHalfway, 0.0);
        EXPECT_GT(conversion.elapsedTime(), 0.0);
        int channels = 0;
        int rate = 0;
        const std::vector<float> samples = decodeAudio(out, &channels, &rate);
        ASSERT_EQ(channels, 2);
        const double seconds = double(samples.size()) / channels / rate;
        EXPECT_NEAR(seconds, kFrames / 25.0, 0.08);
        // Peaks before 0.4 s (the song, if any) and after 0.6 s (silence).
        float early = 0;
        float late = 0;
        const size_t split = size_t(0.4 * rate) * 2;
        const size_t tail = size_t(0.6 * rate) * 2;
        for (size_t i = 0; i < samples.size(); ++i) {
            if (i < split)
                early = std::max(early, std::fabs(samples[i]));
            else if (i >= tail)
                late = std::max(late, std::fabs(samples[i]));
        }
        EXPECT_LT(late, 1e-3f);
        EXPECT_EQ(early > 0.03f, withSong) << early; // the sine peaks at about 0.09
    }
}

// A stop requested on the token at any moment ends the conversion with
// Aborted and leaves no file, finished-looking or partial: before it starts,
// from another thread while frames flow, from the video function (mid-frame)
// and while the output is being finished (the song ends after the last frame,
// just before the output would get its name).
TEST_F(ConversionTest, StopAtAnyMomentLeavesNoFile)
{
    const QString song = path(QStringLiteral("long.wav"));
    ASSERT_TRUE(makeSong(song, 3.0, {"-c:a", "pcm_s16le"}));
    enum class When { BeforeStart, OtherThread, VideoFunction, Finishing };
    const struct {
        const char* name;
        When when;
        const char* output;
    } cases[] = {
        {"before the start", When::BeforeStart, "stopped.mpg"},
        {"from another thread", When::OtherThread, "stopped.mpg"},
        {"from another thread, image sequence", When::OtherThread, "01.JPG"},
        {"in the video function of the last frame", When::VideoFunction, "stopped.mpg"},
        {"while finishing", When::Finishing, "stopped.mpg"},
        {"after the last frame, image sequence", When::VideoFunction, "01.BMP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Conversion conversion;
        std::stop_source stop;
        const QImage picture = drawFrame(1, 160, 120);
        const bool endless = c.when == When::OtherThread;
        std::atomic<int> requested{0};
        conversion.setVideoSource([&](media::SourceAnswer& answer, int index) {
            requested = index;
            if (endless || index < 10)
                answer.setImage(picture);
            else
                answer.finished();
        });
        conversion.setVideoFunction([&](int index) {
            if (c.when == When::VideoFunction && index == 9)
                stop.request_stop(); // the last frame was handed over
        });
        MediaList songs(MediaList::Kind::Audio);
        songs.add(utf8(song));
        conversion.setAudioList(songs);
        conversion.setAudioFunction([&](int, std::int64_t) {
            if (c.when == When::Finishing)
                stop.request_stop(); // the song ends after the video: the output is being finished
        });
        conversion.setFormatPreset(Preset::Dvd, Standard::Pal);
        conversion.setFrameSize(160, 120);
        conversion.setVideoFileName(utf8(path(QString::fromLatin1(c.output))));
        if (c.when == When::BeforeStart)
            stop.request_stop();
        std::thread stopper;
        if (c.when == When::OtherThread)
            stopper = std::thread([&] {
                while (requested.load() < 30)
                    std::this_thread::yield();
                stop.request_stop();
            });
        const bool ok = conversion.convert(stop.get_token());
        if (stopper.joinable())
            stopper.join();
        EXPECT_FALSE(ok);
        EXPECT_EQ(conversion.lastError(), ErrorCode::Aborted);
        EXPECT_GE(conversion.elapsedTime(), 0.0);
        EXPECT_EQ(leftovers({QStringLiteral("long.wav")}), QStringList{});
    }
}

// Unwritable output, a full disk and unreadable frames end the conversion
// with the error recorded and nothing left behind.
TEST_F(ConversionTest, OutputAndFrameErrorsFailCleanly)
{
    const QImage picture = drawFrame(2, 320, 240);
    auto endless = [&](media::SourceAnswer& answer, int index) {
        if (index < 250)
            answer.setImage(picture);
        else
            answer.finished();
    };
    {
        QFile plain(path(QStringLiteral("not a folder")));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.close();
        Conversion conversion;
        conversion.setVideoSource(endless);
        conversion.setVideoFileName(utf8(path(QStringLiteral("not a folder/out.avi"))));
        EXPECT_FALSE(conversion.convert());
        EXPECT_EQ(conversion.lastError(), ErrorCode::OutputFailed);
        EXPECT_NE(conversion.lastErrorText().find("out.avi"), std::string::npos) << conversion.lastErrorText();
        QFile::remove(path(QStringLiteral("not a folder")));
    }
    {
        // A full disk, as the file-size limit makes writes fail with EFBIG.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 100 * 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        Conversion conversion;
        conversion.setVideoSource(endless);
        conversion.setFormatPreset(Preset::Dvd, Standard::Pal);
        conversion.setQuality(Quality::High);
        conversion.setVideoFileName(utf8(path(QStringLiteral("full.mpg"))));
        const bool ok = conversion.convert();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(ok);
        EXPECT_EQ(conversion.lastError(), ErrorCode::OutputFailed) << conversion.lastErrorText();
        EXPECT_EQ(leftovers(), QStringList{});
    }
    {
        // A missing frame file: skipped, the previous frame stands in.
        Conversion conversion;
        MediaList frames(MediaList::Kind::Frame);
        const QString good = path(QStringLiteral("good.bmp"));
        ASSERT_TRUE(picture.save(good, "BMP"));
        frames.add(utf8(good));
        frames.add(utf8(path(QStringLiteral("missing.bmp"))));
        frames.add(utf8(good));
        conversion.setVideoList(frames);
        int reported = 0;
        conversion.setError([&](ErrorCode code, const std::string&) {
            EXPECT_EQ(code, ErrorCode::FrameUnreadable);
            ++reported;
            return ErrorAnswer::Skip;
        });
        const QString out = path(QStringLiteral("skipped.avi"));
        conversion.setVideoFileName(utf8(out));
        ASSERT_TRUE(conversion.convert()) << conversion.lastErrorText();
        EXPECT_EQ(reported, 1);
        EXPECT_EQ(probeMedia(out).video.at(0).frames, 3);
        // ... or stopped on.
        conversion.setError([](ErrorCode, const std::string&) { return ErrorAnswer::Stop; });
        const QString stopped = path(QStringLiteral("stopped.avi"));
        conversion.setVideoFileName(utf8(stopped));
        EXPECT_FALSE(conversion.convert());
        EXPECT_EQ(conversion.lastError(), ErrorCode::FrameUnreadable);
        EXPECT_FALSE(QFile::exists(stopped));
    }
    {
        Conversion conversion;
        conversion.setVideoSource([](media::SourceAnswer& answer, int) { answer.finished(); });
        conversion.setVideoFileName(utf8(path(QStringLiteral("nothing.avi"))));
        EXPECT_FALSE(conversion.convert());
        EXPECT_EQ(conversion.lastError(), ErrorCode::NoFrames);
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("nothing.avi"))));
    }
}

// Two programs writing one output name: each writes a temporary file of its
// own (a stranger's "OUT.part" is never touched), and the one that finishes
// second finds the other's complete file in place and fails, leaving it as
// it is, instead of reporting success for a file it did not write.
TEST_F(ConversionTest, TwoWritersOfOneOutputNeverShareAFile)
{
    const QByteArray stranger("a file of another program");
    for (const bool existedBefore : {false, true}) {
        SCOPED_TRACE(existedBefore ? "over an older output" : "a new output");
        const QString out = path(QStringLiteral("shared.avi"));
        QFile::remove(out);
        if (existedBefore) {
            QFile old(out);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("an older album");
        }
        QFile part(out + QStringLiteral(".part"));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write(stranger);
        part.close();

        auto frames = [](int count, int colour) {
            return [count, picture = drawFrame(colour, 160, 120)](media::SourceAnswer& answer, int index) {
                if (index < count)
                    answer.setImage(picture);
                else
                    answer.finished();
            };
        };
        bool secondOk = false;
        std::string secondError;
        Conversion first;
        first.setVideoSource(frames(20, 1));
        first.setVideoFileName(utf8(out));
        first.setVideoFunction([&](int index) {
            if (index != 5)
                return;
            // The second program runs from start to end while the first one writes.
            Conversion second;
            second.setVideoSource(frames(10, 2));
            second.setVideoFileName(utf8(out));
            secondOk = second.convert();
            secondError = second.lastErrorText();
        });
        EXPECT_FALSE(first.convert());
        EXPECT_TRUE(secondOk) << secondError;
        EXPECT_EQ(first.lastError(), ErrorCode::OutputTaken) << first.lastErrorText();
        EXPECT_EQ(probeMedia(out).video.at(0).frames, 10) << "the second program's album stays";
        ASSERT_TRUE(part.open(QIODevice::ReadOnly));
        EXPECT_EQ(part.readAll(), stranger);
        part.close();
        EXPECT_EQ(leftovers(), (QStringList{QStringLiteral("shared.avi"), QStringLiteral("shared.avi.part")}));
    }
}

TEST(MediaTimeText, HoursMinutesSeconds)
{
    EXPECT_EQ(media::makeTimeText(0), "00:00:00");
    EXPECT_EQ(media::makeTimeText(59.99), "00:00:59");
    EXPECT_EQ(media::makeTimeText(3725.4), "01:02:05");
    EXPECT_EQ(media::makeTimeText(-3), "00:00:00");
}

} // namespace
} // namespace fotarel::test
