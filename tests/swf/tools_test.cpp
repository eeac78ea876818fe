// The command-line tools on a small movie.
#include "swf_builder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// Two frames, each tracing its number; frame 2 also traces a second line.
QByteArray tracingMovie()
{
    swftest::Movie m;
    swftest::Actions one;
    one.push("frame one").op(0x26);
    m.tag(12, one.finish());
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(0, 0, 255, 255, false), 0, 0, 1000, 1000));
    swftest::Place p;
    p.characterId = 1;
    m.tag(26, swftest::placeObject2(p));
    m.showFrame();
    swftest::Actions two;
    two.push("frame two").op(0x26).push("second line").op(0x26);
    m.tag(12, two.finish());
    m.showFrame();
    return m.finish('C');
}

// A blue 10x10 square in a sprite whose onClipEvent(keyDown) traces "key"
// and moves it to x = 50.
QByteArray keyMovie()
{
    swftest::Movie m;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(0, 0, 255, 255, false), 0, 0, 200, 200));
    swftest::Movie inner;
    swftest::Place square;
    square.characterId = 1;
    inner.tag(26, swftest::placeObject2(square));
    inner.showFrame();
    swftest::Bits sprite;
    sprite.u16(2);
    sprite.u16(1);
    sprite.bytes(inner.tags());
    sprite.bytes(swftest::Movie::encodeTag(0, {}));
    m.tag(39, sprite.data());
    swftest::Bits place;
    place.u8(0x80 | 0x02); // clip actions, character
    place.u16(1);
    place.u16(2);
    place.u16(0);
    place.u32(0x40); // keyDown
    swftest::Actions onKey;
    onKey.push("key").op(0x26).push("_x").push(50).op(0x1D);
    const QByteArray bytes = onKey.finish();
    place.u32(0x40);
    place.u32(uint32_t(bytes.size()));
    place.bytes(bytes);
    place.u32(0);
    m.tag(26, place.data());
    m.showFrame();
    return m.finish();
}

QString run(const char* program, const QStringList& args, int* exitCode)
{
    QProcess proc;
    proc.start(QString::fromUtf8(program), args);
    proc.waitForFinished(30000);
    *exitCode = proc.exitCode();
    return QString::fromUtf8(proc.readAllStandardOutput());
}

} // namespace

TEST(SwfTools, RunPrintsTraceLinesRenderWritesFramesDumpListsTags)
{
    QTemporaryDir tmp;
    const QString movie = tmp.path() + "/m.swf";
    QFile f(movie);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(tracingMovie());
    f.close();

    int rc = -1;
    // Three ticks: frame one (the load), frame two, frame one again (it loops).
    EXPECT_EQ(run(SWFRUN, {movie, "--ticks", "3"}, &rc), "frame one\nframe two\nsecond line\nframe one\n");
    EXPECT_EQ(rc, 0);

    run(SWFRENDER, {movie, tmp.path() + "/out", "--all", "--size", "40", "20"}, &rc);
    EXPECT_EQ(rc, 0);
    const QImage second(tmp.path() + "/out_0002.png");
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second.size(), QSize(40, 20));
    EXPECT_EQ(qBlue(second.pixel(5, 5)), 255);

    const QString dump = run(SWFDUMP, {movie}, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(dump.startsWith("CWS version 8")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("DefineShape (2)"));
    EXPECT_TRUE(dump.contains("actions"));

    run(SWFRUN, {tmp.path() + "/missing.swf"}, &rc);
    EXPECT_NE(rc, 0);
}

// Recorded input: the events up to each Wait come with one tick (those past
// the last tick still reach the movie), and swfrender shows what they did.
TEST(SwfTools, RecordedInputReachesTheMovieInRunAndRender)
{
    QTemporaryDir tmp;
    const QString movie = tmp.path() + "/k.swf", events = tmp.path() + "/input.json";
    for (const auto& [path, bytes] : {std::pair{movie, keyMovie()},
                                      std::pair{events, QByteArray(R"([{"type": "KeyDown", "key": "A"},
                                          {"type": "Wait"}, {"type": "KeyDown", "key": "B"}])")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    int rc = -1;
    EXPECT_EQ(run(SWFRUN, {movie, "--ticks", "1", "--input", events}, &rc), "key\nkey\n");
    EXPECT_EQ(rc, 0);

    for (const bool withInput : {false, true}) {
        QStringList args{movie, tmp.path() + "/pic", "--ticks", "1"};
        if (withInput)
            args << "--input" << events;
        run(SWFRENDER, args, &rc);
        EXPECT_EQ(rc, 0);
        const QImage pic(tmp.path() + "/pic.png");
        ASSERT_FALSE(pic.isNull());
        const QRgb blue = qRgb(0, 0, 255);
        EXPECT_EQ(pic.pixel(5, 5) == blue, !withInput);
        EXPECT_EQ(pic.pixel(55, 5) == blue, withInput);
    }
    run(SWFRENDER, {movie, "-", "--ticks", "1", "--input", tmp.path() + "/none.json"}, &rc);
    EXPECT_EQ(rc, 2);
}

// --compare counts outliers per channel: a pixel off in three channels is
// three outliers, a channel off by no more than the tolerance none.
TEST(SwfTools, CompareCountsEachChannelThatDiffers)
{
    QTemporaryDir tmp;
    const QString movie = tmp.path() + "/m.swf";
    QFile f(movie);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(tracingMovie());
    f.close();
    int rc = -1;
    run(SWFRENDER, {movie, tmp.path() + "/pic", "--ticks", "1", "--size", "40", "20"}, &rc);
    ASSERT_EQ(rc, 0);
    QImage expected = QImage(tmp.path() + "/pic.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(expected.isNull());
    auto shift = [](int v, int by) { return v + by > 255 ? v - by : v + by; };
    const QRgb a = expected.pixel(2, 2), b = expected.pixel(30, 10), c = expected.pixel(31, 10);
    expected.setPixel(2, 2, qRgba(shift(qRed(a), 9), shift(qGreen(a), 9), shift(qBlue(a), 9), qAlpha(a)));
    expected.setPixel(30, 10, qRgba(qRed(b), shift(qGreen(b), 9), qBlue(b), qAlpha(b)));
    expected.setPixel(31, 10, qRgba(shift(qRed(c), 3), qGreen(c), qBlue(c), qAlpha(c))); // within the tolerance
    ASSERT_TRUE(expected.save(tmp.path() + "/expected.png"));
    const QStringList compare{movie, "-", "--ticks", "1", "--size", "40", "20", "--compare", tmp.path() + "/expected.png",
                              "--tolerance", "4", "--max-outliers"};
    const QString out = run(SWFRENDER, compare + QStringList{"3"}, &rc);
    EXPECT_EQ(rc, 3);
    EXPECT_TRUE(out.startsWith("4 outliers (at most 3)")) << out.toStdString();
    run(SWFRENDER, compare + QStringList{"4"}, &rc);
    EXPECT_EQ(rc, 0);
}
