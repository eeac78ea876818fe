// The Sound class without audio: MP3 lengths and ID3 tags as scripts read
// them, the clip transforms Sound objects share, and the load and
// completion events on movie time.

#include "swf/avm1/sound_state.h"
#include "tests/swf_avm1/vm_fixture.h"

namespace fotarel::swf::avm1::test {
namespace {

// `count` MPEG frames of one header (all-zero audio data behind it).
QByteArray mpegFrames(uint32_t header, int frameBytes, int count)
{
    QByteArray frame(frameBytes, '\0');
    for (int i = 0; i < 4; ++i)
        frame[i] = char(header >> (24 - 8 * i));
    return frame.repeated(count);
}

constexpr uint32_t kMpeg1At44k128 = 0xFFFB9000; // 417 bytes a frame, 1152 samples at 44.1 kHz
constexpr uint32_t kMpeg2At22k64 = 0xFFF38000;  // 208 bytes a frame, 576 samples at 22.05 kHz

QByteArray id3Frame(const char* id, const QByteArray& body)
{
    QByteArray f(id);
    const auto n = uint32_t(body.size());
    f += char(n >> 24);
    f += char(n >> 16);
    f += char(n >> 8);
    f += char(n);
    f += QByteArray(2, '\0');
    return f + body;
}

QByteArray id3Tag(const QByteArray& frames, uint32_t declaredSize = 0)
{
    const uint32_t n = declaredSize ? declaredSize : uint32_t(frames.size());
    QByteArray t("ID3\x03\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        t += char((n >> shift) & 0x7f);
    return t + frames;
}

TEST(Mp3Reader, LengthAndTags)
{
    QByteArray utf16Title("\x01\xff\xfeT\0i\0t\0l\0e\0", 13);
    const QByteArray tags = id3Frame("TPE1", QByteArray("\0Artist", 7))
                            + id3Frame("COMM", QByteArray("\0eng\0First", 10))
                            + id3Frame("TIT2", utf16Title)
                            + id3Frame("WOAR", "http://example.com")
                            + id3Frame("COMM", QByteArray("\0engdesc\0Second", 15));
    const struct {
        const char* what;
        QByteArray file;
        double durationMs;
        const char* tags; // name=value;...
    } cases[] = {
        {"MPEG 1 frames", mpegFrames(kMpeg1At44k128, 417, 40), 40 * 1152 * 1000.0 / 44100, ""},
        {"MPEG 2 frames", mpegFrames(kMpeg2At22k64, 208, 10), 10 * 576 * 1000.0 / 22050, ""},
        {"junk between frames is skipped",
         mpegFrames(kMpeg1At44k128, 417, 2) + "junk" + mpegFrames(kMpeg1At44k128, 417, 2),
         4 * 1152 * 1000.0 / 44100, ""},
        {"tags, friendly names first, comments joined", id3Tag(tags) + mpegFrames(kMpeg1At44k128, 417, 1),
         1152 * 1000.0 / 44100,
         "artist=Artist;TPE1=Artist;comment=Second;COMM=First,Second;songname=Title;TIT2=Title;"},
        // A cut file keeps the frames it holds; a frame past its tag's end is not read.
        {"a tag longer than the file", id3Tag(id3Frame("TPE1", QByteArray("\0A", 2)), 100000), 0, "artist=A;TPE1=A;"},
        {"a frame longer than its tag", id3Tag(id3Frame("TPE1", QByteArray("\0A", 2)), 11), 0, ""},
        {"nothing", QByteArray(), 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Mp3Info info = readMp3(c.file);
        EXPECT_NEAR(info.durationMs, c.durationMs, 1e-6);
        QString got;
        for (const auto& [name, value] : info.tags)
            got += name + '=' + value + ';';
        EXPECT_EQ(got, QString::fromUtf8(c.tags));
    }
}

class Sounds : public VmTest {
protected:
    void SetUp() override { clip = player.root()->add("mc", 1); }
    FakeClip* clip = nullptr;
};

TEST_F(Sounds, ObjectsOfOneClipShareItsTransformFoundByPath)
{
    Asm a;
    a.push("a").get("mc").push(1, "Sound").op(op::NewObject).op(op::SetVariable);
    a.push("b").push("mc", 1, "Sound").op(op::NewObject).op(op::SetVariable);      // by path
    a.push("g").push(0, "Sound").op(op::NewObject).op(op::SetVariable);            // the whole movie
    a.push(40).get("a").callMethod("setVolume", 1).op(op::Pop);
    a.push(-25).get("a").callMethod("setPan", 1).op(op::Pop);
    a.get("b").callMethod("getVolume", 0).trace();
    a.get("b").callMethod("getPan", 0).trace();
    a.get("g").callMethod("getVolume", 0).trace();
    // A transform's direct left channel decides the pan.
    a.push("ll", 10, "rr", 30, 2).op(op::InitObject).get("b").callMethod("setTransform", 1).op(op::Pop);
    a.get("a").callMethod("getPan", 0).trace();
    a.push("t").get("a").callMethod("getTransform", 0).op(op::SetVariable);
    a.get("t.ll").get("t.lr").op(op::Add2).get("t.rr").op(op::Add2).get("t.rl").op(op::Add2).trace();
    // Renamed, the clip is no longer found: calls do nothing.
    a.get("mc").push("_name", "other").op(op::SetMember);
    a.push(5).get("a").callMethod("setVolume", 1).op(op::Pop);
    a.get("a").callMethod("getVolume", 0).trace();
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "40|-25|100|90|40|undefined");
    clip->setName(QStringLiteral("mc"));
    EXPECT_TRUE(run(Asm().get("a").callMethod("getVolume", 0).trace()));
    EXPECT_EQ(traced(), "40");
}

TEST_F(Sounds, LoadAndCompletionEventsFollowMovieTime)
{
    player.files[QStringLiteral("song.mp3")] = mpegFrames(kMpeg1At44k128, 417, 40); // 1045 ms
    Asm a;
    a.push("s").push(0, "Sound").op(op::NewObject).op(op::SetVariable);
    a.get("s").push("onLoad");
    a.function("", {"ok"}, Asm().push("load ").get("ok").op(op::Add2).push(" ").op(op::Add2)
                               .get("s").callMethod("getDuration", 0).op(op::Add2).trace());
    a.op(op::SetMember);
    a.get("s").push("onSoundComplete");
    a.function("", {}, Asm().push("complete ").get("s").callMethod("getPosition", 0).op(op::Add2).trace());
    a.op(op::SetMember);
    a.push(true, "song.mp3").get("s").callMethod("loadSound", 2).op(op::Pop);
    a.get("s").callMethod("getDuration", 0).trace(); // loading
    a.push("m").push(0, "Sound").op(op::NewObject).op(op::SetVariable);
    a.get("m").push("onLoad");
    a.function("", {"ok"}, Asm().push("missing ").get("ok").op(op::Add2).trace());
    a.op(op::SetMember);
    a.push(false, "missing.mp3").get("m").callMethod("loadSound", 2).op(op::Pop);
    EXPECT_TRUE(run(a, 7));
    EXPECT_EQ(traced(), "0");
    vm.completeTextLoads();
    EXPECT_EQ(traced(), "load true 1045|missing false");
    player.timeMs = 1044;
    vm.runIntervals();
    EXPECT_EQ(traced(), "");
    player.timeMs = 1045;
    vm.runIntervals();
    player.timeMs = 5000;
    vm.runIntervals();
    EXPECT_EQ(traced(), "complete 1045");
}

} // namespace
} // namespace fotarel::swf::avm1::test
