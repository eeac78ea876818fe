#include "templates/package.h"
#include "tests/support/temp_tree.h"

#include <QFile>

#include <zlib.h>

#include <gtest/gtest.h>

using namespace fotarel;
using fotarel::test::TempTree;

namespace {

QByteArray le32(std::uint32_t n)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    return b;
}

QByteArray rawZlib(const QByteArray& content)
{
    return wrapLayer(content).mid(4);
}

} // namespace

TEST(LayerStep, InflatesExactlyTheDeclaredSize)
{
    QByteArray buffer = le32(5) + rawZlib("hello");
    EXPECT_FALSE(applyLayerStep(buffer).has_value());
    EXPECT_EQ(buffer, "hello");

    QByteArray empty;
    EXPECT_FALSE(applyLayerStep(empty).has_value());
    EXPECT_TRUE(empty.isEmpty()); // an empty buffer passes through

    QByteArray zero = wrapLayer(QByteArray());
    EXPECT_FALSE(applyLayerStep(zero).has_value());
    EXPECT_TRUE(zero.isEmpty());
}

TEST(LayerStep, RefusesBrokenLayersAndLeavesTheBufferAlone)
{
    const QByteArray good = rawZlib("hello world");
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"shorter than the size field", QByteArray("\x05\x00", 2)},
        {"size but no stream", le32(5)},
        {"declares fewer bytes than it holds", le32(5) + good},
        {"declares more bytes than it holds", le32(20) + good},
        {"truncated stream", le32(11) + good.left(good.size() - 6)},
        {"not zlib at all", le32(11) + QByteArray("this is not compressed")},
        {"bad checksum", le32(11) + good.left(good.size() - 1) + char(good.back() ^ 0x55)},
        {"absurd size", le32(0xFFFFFFF0u) + good},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray buffer = c.bytes;
        EXPECT_TRUE(applyLayerStep(buffer).has_value());
        EXPECT_EQ(buffer, c.bytes);
    }
}

TEST(LayerStep, BoundsAnInflationBombByTheLimitNotByTheHeader)
{
    // 8 MiB of zeros compress to a few KiB; with a 1 MiB limit the step must
    // refuse it, whatever the header claims.
    const QByteArray zeros(8 * 1024 * 1024, '\0');
    QByteArray honest = wrapLayer(zeros);
    EXPECT_TRUE(applyLayerStep(honest, 1024 * 1024).has_value());
    QByteArray lying = le32(1000) + honest.mid(4);
    EXPECT_TRUE(applyLayerStep(lying, 1024 * 1024).has_value());
}

TEST(Package, TwentyThreeLayersUnpackToTheExactPayloadKeepingEveryIntermediate)
{
    TempTree t;
    const QByteArray ini = "[l_x_w_j_s_y]\r\nl_x_w_j_s_y=s_y_l_x\r\n[1]\r\nmbdx=125\r\n";
    const QString package = t.write("pkg.rar", packPayload(ini));

    // Peel the layers by hand: 23 steps exactly, not 22 and not 24.
    QByteArray peeled = packPayload(ini);
    for (int i = 0; i < kPackageLayers; ++i)
        ASSERT_FALSE(applyLayerStep(peeled).has_value()) << "layer " << i + 1;
    EXPECT_EQ(peeled, ini);

    QStringList intermediates;
    for (int n = 1; n <= 22; ++n)
        intermediates.append(t.path(QStringLiteral("mid-%1.rar").arg(n)));
    const UnpackResult r = unpackPackage(package, intermediates, t.path("out.ini"));
    ASSERT_TRUE(r.ok) << r.reason.toStdString();
    QFile out(t.path("out.ini"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), ini);
    for (const QString& mid : intermediates)
        EXPECT_TRUE(QFile::exists(mid)) << mid.toStdString();

    // The 22nd intermediate is one layer away from the payload.
    QFile last(intermediates.last());
    ASSERT_TRUE(last.open(QIODevice::ReadOnly));
    QByteArray lastBytes = last.readAll();
    ASSERT_FALSE(applyLayerStep(lastBytes).has_value());
    EXPECT_EQ(lastBytes, ini);
}

TEST(Package, ABrokenInnerLayerStopsTheUnpackWithoutATarget)
{
    TempTree t;
    // 20 good layers around a payload that is not a layer at all: step 21 fails.
    QByteArray bytes = "garbage that is no layer";
    for (int i = 0; i < 20; ++i)
        bytes = wrapLayer(bytes);
    const QString package = t.write("bad.rar", bytes);
    QStringList intermediates;
    for (int n = 1; n <= 22; ++n)
        intermediates.append(t.path(QStringLiteral("mid-%1.rar").arg(n)));
    const UnpackResult r = unpackPackage(package, intermediates, t.path("out.ini"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedStep, 21);
    EXPECT_TRUE(QFile::exists(intermediates.at(19)));
    EXPECT_FALSE(QFile::exists(intermediates.at(20)));
    EXPECT_FALSE(QFile::exists(t.path("out.ini")));

    const UnpackResult missing = unpackPackage(t.path("none.rar"), intermediates, t.path("out.ini"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.failedStep, 1);
}
