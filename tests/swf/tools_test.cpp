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
