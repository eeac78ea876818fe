// The KSC reader: the example line, encodings, and bad input that must give a
// clear message and keep what is usable.
#include "core/text_decode.h"
#include "karaoke/ksc_file.h"
#include "tests/support/temp_tree.h"

#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace fotarel::karaoke {
namespace {

const QString kExample = QStringLiteral("karaoke.add('01:02.500', '01:05.000', '[ab]cd', '800,900,850');");

std::vector<QString> unitTexts(const KscLine& line)
{
    std::vector<QString> texts;
    for (const KscUnit& unit : line.units)
        texts.push_back(unit.text);
    return texts;
}

TEST(KscFile, ExampleLineGivesTimesUnitsDurationsAndFrames)
{
    const KscDocument doc = parseKsc(kExample.toUtf8());
    ASSERT_TRUE(doc.ok()) << doc.error.toStdString();
    ASSERT_EQ(doc.lines.size(), 1u);
    EXPECT_TRUE(doc.problems.isEmpty());
    const KscLine& line = doc.lines[0];
    EXPECT_EQ(line.startText, "01:02.500");
    EXPECT_EQ(line.endText, "01:05.000");
    EXPECT_EQ(line.lyricText, "[ab]cd");
    EXPECT_EQ(line.startMs, 62500);
    EXPECT_EQ(line.endMs, 65000);
    EXPECT_EQ(unitTexts(line), (std::vector<QString>{"ab", "c", "d"}));
    ASSERT_EQ(line.units.size(), 3u);
    EXPECT_EQ(line.units[0].durationMs, 800);
    EXPECT_EQ(line.units[1].durationMs, 900);
    EXPECT_EQ(line.units[2].durationMs, 850);
    EXPECT_EQ(line.units[0].frames, 20);
    EXPECT_EQ(line.units[1].frames, 22); // 22.5: the half goes to the even neighbour
    EXPECT_EQ(line.units[2].frames, 21); // 21.25
    EXPECT_EQ(line.text(), "abcd");
}

TEST(KscFile, FramesRoundHalvesToEven)
{
    const std::pair<int, int> cases[] = {{0, 0},   {19, 0},  {20, 0},  {21, 1},  {60, 2},   {100, 2},
                                         {140, 4}, {400, 10}, {200, 5}, {900, 22}, {860, 22}, {-5, 0}};
    for (const auto& [ms, frames] : cases)
        EXPECT_EQ(framesForDuration(ms), frames) << ms;
}

TEST(KscFile, TimeTexts)
{
    const std::pair<const char*, qint64> good[] = {{"00:00", 0},         {"01:02.500", 62500}, {"1:02.5", 62500},
                                                   {"01:02.05", 62050},  {"123:00.000", 7380000},
                                                   {" 00:01.1234 ", 1123}};
    for (const auto& [text, ms] : good)
        EXPECT_EQ(parseKscTime(QString::fromLatin1(text)), std::optional<qint64>(ms)) << text;
    for (const char* bad : {"", "-00:01.000", "00:60.000", "0a:01", "00:1", "00:01.", "00:01.x", "1234:00", ":01",
                            "00-01", "00:01:02"})
        EXPECT_FALSE(parseKscTime(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(KscFile, LinesKeepFileOrderAndIgnoreTheScript)
{
    const QByteArray text =
        "karaoke := CreateKaraokeObject;\r\n"
        "karaoke.rows := 2;\r\n"
        "  karaoke.add('00:05.000', '00:06.000', 'ab', '500,500');\r\n"
        "karaoke.add('00:03.000', '00:04.000', 'cd', '500,500');\n"
        "karaoke.add('00:09.000', '00:10.000', 'e\\'f', '300,300,300');\r"; // a lone CR is dropped
    const KscDocument doc = parseKsc(text);
    ASSERT_TRUE(doc.ok());
    ASSERT_EQ(doc.lines.size(), 3u);
    EXPECT_EQ(doc.lines[0].text(), "ab");
    EXPECT_EQ(doc.lines[1].text(), "cd");
    EXPECT_EQ(doc.lines[1].fileLine, 4);
    EXPECT_EQ(doc.lines[2].text(), "e'f"); // an escaped quote is part of the text
    // The second line starts before the first: kept, and named.
    ASSERT_EQ(doc.problems.size(), 1);
    EXPECT_TRUE(doc.problems[0].startsWith("第 4 行")) << doc.problems[0].toStdString();
}

TEST(KscFile, EncodingsAreDetected)
{
    const QString line = QStringLiteral("karaoke.add('00:01.000', '00:02.000', '甜蜜[蜜你]', '100,200,300');\r\n");
    auto utf16 = [&line](QStringEncoder::Encoding e, bool bom) {
        QStringEncoder enc(e, bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
        return QByteArray(enc.encode(line));
    };
    const std::pair<const char*, QByteArray> files[] = {
        {"GBK", encodeGb18030(line)},
        {"UTF-8", line.toUtf8()},
        {"UTF-8 BOM", QByteArray("\xEF\xBB\xBF") + line.toUtf8()},
        {"UTF-16LE BOM", utf16(QStringEncoder::Utf16LE, true)},
        {"UTF-16BE BOM", utf16(QStringEncoder::Utf16BE, true)},
        {"UTF-16LE", utf16(QStringEncoder::Utf16LE, false)},
        {"UTF-16BE", utf16(QStringEncoder::Utf16BE, false)},
    };
    for (const auto& [name, bytes] : files) {
        const KscDocument doc = parseKsc(bytes);
        ASSERT_TRUE(doc.ok()) << name << " " << doc.error.toStdString();
        ASSERT_EQ(doc.lines.size(), 1u) << name;
        EXPECT_EQ(unitTexts(doc.lines[0]), (std::vector<QString>{"甜", "蜜", "蜜你"})) << name;
    }
}

// Bad lines: each named in the problems, the line kept (repaired) or skipped.
TEST(KscFile, BadLinesAreNamedAndTheRestIsKept)
{
    struct Case {
        const char* name;
        const char* line;
        bool kept;
        const char* units; // joined with "|" when kept
        const char* problem;
    };
    const Case cases[] = {
        {"odd quotes", "karaoke.add('00:01.000', '00:02.000', 'ab', '100,100);", false, "", "引号不成对"},
        {"three fields", "karaoke.add('00:01.000', '00:02.000', 'ab');", false, "", "少于四个"},
        {"odd quote after four fields", "karaoke.add('00:01.000', '00:02.000', 'ab', '100,100', ');", true, "a|b",
         "引号不成对"},
        {"[ without ]", "karaoke.add('00:01.000', '00:02.000', 'a[bc', '100,100,100');", true, "a|b|c",
         "没有对应的"},
        {"stray ]", "karaoke.add('00:01.000', '00:02.000', 'a]b', '100,100');", true, "a|b", "多余的"},
        {"negative start", "karaoke.add('-00:01.000', '00:02.000', 'ab', '100,100');", false, "", "开始时间"},
        {"bad end", "karaoke.add('00:01.000', 'soon', 'ab', '100,100');", false, "", "结束时间"},
        {"end before start", "karaoke.add('00:05.000', '00:02.000', 'ab', '100,100');", true, "a|b", "结束时间早于"},
        {"more durations", "karaoke.add('00:01.000', '00:02.000', 'ab', '100,100,100');", true, "a|b", "多余的时长"},
        {"fewer durations", "karaoke.add('00:01.000', '00:02.000', 'abc', '100');", true, "a|b|c", "缺少时长"},
        {"non-numeric duration", "karaoke.add('00:01.000', '00:02.000', 'ab', '100,fast');", true, "a|b",
         "不是有效的毫秒数"},
        {"negative duration", "karaoke.add('00:01.000', '00:02.000', 'ab', '100,-5');", true, "a|b",
         "不是有效的毫秒数"},
    };
    const QByteArray good = "karaoke.add('00:10.000', '00:11.000', 'ok', '100,100');\n";
    for (const Case& c : cases) {
        const KscDocument doc = parseKsc(QByteArray(c.line) + "\n" + good);
        ASSERT_TRUE(doc.ok()) << c.name;
        ASSERT_EQ(doc.lines.size(), c.kept ? 2u : 1u) << c.name;
        EXPECT_EQ(doc.lines.back().text(), "ok") << c.name;
        ASSERT_FALSE(doc.problems.isEmpty()) << c.name;
        EXPECT_TRUE(doc.problems[0].startsWith("第 1 行")) << c.name;
        EXPECT_TRUE(doc.problems.join(u'\n').contains(QString::fromUtf8(c.problem)))
            << c.name << ": " << doc.problems.join(u'\n').toStdString();
        if (c.kept) {
            QStringList units;
            for (const KscUnit& u : doc.lines[0].units)
                units.append(u.text);
            EXPECT_EQ(units.join(u'|'), QString::fromUtf8(c.units)) << c.name;
        }
    }
}

TEST(KscFile, RepairedValuesAreSafe)
{
    const KscDocument doc = parseKsc("karaoke.add('00:05.000', '00:02.000', 'abc', '400,x');\n"
                                     "karaoke.add('00:06.000', '00:07.000', '[]x', '10,20');\n");
    ASSERT_EQ(doc.lines.size(), 2u);
    const KscLine& repaired = doc.lines[0];
    EXPECT_EQ(repaired.units[0].frames, 10);
    EXPECT_EQ(repaired.units[1].durationMs, 0); // not a number
    EXPECT_EQ(repaired.units[2].durationMs, 0); // missing
    EXPECT_EQ(repaired.endMs, 5000 + 10 * 40);  // the end follows the sung units
    // "[]" is an empty unit.
    EXPECT_EQ(unitTexts(doc.lines[1]), (std::vector<QString>{"", "x"}));
}

TEST(KscFile, FilesThatAreNoKaraokeGiveAnErrorAndNoLines)
{
    QByteArray binary("\x89PNG\r\n\x1a\n", 8);
    binary.append(QByteArray(64, '\0'));
    QByteArray controls;
    for (int i = 0; i < 200; ++i)
        controls.append(static_cast<char>(i % 31 + 1));
    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"binary", binary},
        {"control bytes", controls},
        {"no karaoke lines", "[00:01.00]an LRC file\n"},
        {"only bad lines", "karaoke.add('x', 'y', 'z', 'w');\n"},
        {"too large", QByteArray(kMaxFileBytes + 1, 'a')},
    };
    for (const auto& [name, bytes] : cases) {
        const KscDocument doc = parseKsc(bytes);
        EXPECT_FALSE(doc.ok()) << name;
        EXPECT_FALSE(doc.error.isEmpty()) << name;
        EXPECT_TRUE(doc.lines.empty()) << name;
    }
}

TEST(KscFile, LongFilesWorkInFullAndAbsurdOnesAreBounded)
{
    // 150 lines of 120 units: past the old 100-line, 99-unit grids.
    QByteArray text;
    for (int i = 0; i < 150; ++i) {
        QString lyric(120, u'字');
        QStringList durations;
        for (int u = 0; u < 120; ++u)
            durations.append(QStringLiteral("40"));
        text += QStringLiteral("karaoke.add('%1:00.000', '%1:30.000', '%2', '%3');\n")
                    .arg(i, 2, 10, QChar(u'0'))
                    .arg(lyric, durations.join(u','))
                    .toUtf8();
    }
    const KscDocument doc = parseKsc(text);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(doc.lines.size(), 150u);
    EXPECT_EQ(doc.lines.back().units.size(), 120u);
    EXPECT_EQ(doc.lines.back().totalFrames(), 120);
    EXPECT_TRUE(doc.problems.isEmpty());

    const QByteArray wide = "karaoke.add('00:01.000', '00:02.000', '" + QByteArray(kMaxUnitsPerLine + 1, 'a')
        + "', '1');\nkaraoke.add('00:03.000', '00:04.000', 'b', '1');\n";
    const KscDocument bounded = parseKsc(wide);
    ASSERT_EQ(bounded.lines.size(), 1u);
    EXPECT_TRUE(bounded.problems.join(u'\n').contains(QString::number(kMaxUnitsPerLine)));
}

TEST(KscFile, FileThatDisappearedIsNamed)
{
    test::TempTree tree;
    const QString path = tree.write("songs/a.ksc", kExample.toUtf8());
    EXPECT_TRUE(readKscFile(path).ok());
    QFile::remove(path);
    const KscDocument gone = readKscFile(path);
    EXPECT_FALSE(gone.ok());
    EXPECT_TRUE(gone.error.contains(path)) << gone.error.toStdString();
}

} // namespace
} // namespace fotarel::karaoke
