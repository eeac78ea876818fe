#include "audio/lrc.h"

#include "core/text_decode.h"
#include "tests/audio/qt_print.h"
#include "tests/support/temp_tree.h"
#include "audio/audio_names.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace fotarel::audio::lrc {
namespace {

using test::TempTree;

struct Shown {
    qint64 ms;
    const char* text; // nullptr: no line shows
};

struct ParseCase {
    const char* name;
    const char* file;
    std::vector<TagRow> rows; // the parse's rows, headers last
    std::vector<Shown> shown;
};

// The odd lines a real LRC file holds, with the rows they give and the line a
// song shows at given times.
const ParseCase kCases[] = {
    {"tag_only_line_blanks_the_display", "[00:10.00]A\n[00:20.00]",
     {{"00:10.00", "A"}, {"00:20.00", ""}},
     {{9999, nullptr}, {10000, "A"}, {19990, "A"}, {20000, ""}}},
    {"space_after_tag_is_a_blank_line", "[00:10.00]A\n[00:20.00] ",
     {{"00:10.00", "A"}, {"00:20.00", " "}},
     {{20000, " "}}},
    {"header_with_and_without_trailing_space", "[ti:Song] \n[ar:Singer]\n[00:01.00]x",
     {{"00:01.00", "x"}, {"ti", "Song"}, {"ar", "Singer"}},
     {{0, nullptr}, {1000, "x"}}},
    {"offset_shows_lines_sooner", "[offset:500]\n[00:10.00]A\n[00:00.20]B",
     {{"offset:500", ""}, {"00:10.00", "A"}, {"00:00.20", "B"}},
     {{0, "B"}, {9499, "B"}, {9500, "A"}}},
    {"negative_offset_shows_lines_later", "[offset:-1000]\n[00:10.00]A",
     {{"offset:-1000", ""}, {"00:10.00", "A"}},
     {{10999, nullptr}, {11000, "A"}}},
    {"line_in_the_first_second_shows", "[00:00.50]first\n[00:00.00]zero",
     {{"00:00.50", "first"}, {"00:00.00", "zero"}},
     {{0, "zero"}, {499, "zero"}, {500, "first"}}},
    {"minutes_without_leading_zero", "[1:05.00]A",
     {{"1:05.00", "A"}},
     {{64999, nullptr}, {65000, "A"}}},
    {"three_tags_share_a_text", "[00:10.00][00:50.00][01:30.00]Refrain\n[00:20.00]Verse",
     {{"01:30.00", "Refrain"}, {"00:50.00", "Refrain"}, {"00:10.00", "Refrain"}, {"00:20.00", "Verse"}},
     {{10000, "Refrain"}, {20000, "Verse"}, {50000, "Refrain"}, {89000, "Refrain"}, {90000, "Refrain"}}},
    {"brackets_in_text_are_tags", "[00:01.00]a[b]c",
     {{"b", "c"}, {"00:01.00", "a"}},
     {{1000, "a"}}},
    {"more_closing_than_opening_brackets", "[00:01.00]a]b",
     {{"00:01.00]a", "b"}},
     {{1000, "b"}}},
    {"line_ending_in_a_bracket_keeps_its_time", "[00:03.00]text [chorus]",
     {{"chorus", ""}, {"00:03.00", "text "}},
     {{3000, "text "}}},
    {"unmatched_opening_bracket_is_text", "[00:04.00]a[b",
     {{"00:04.00", "a[b"}},
     {{4000, "a[b"}}},
    {"two_lines_within_one_second", "[00:05.00]A\n[00:05.50]B\n[00:05.00]C",
     {{"00:05.00", "A"}, {"00:05.50", "B"}, {"00:05.00", "C"}},
     {{5000, "A"}, {5499, "A"}, {5500, "B"}}},
    {"impossible_time_is_no_time", "[99:99.99]X\n[00:02.00]Y",
     {{"99:99.99", "X"}, {"00:02.00", "Y"}},
     {{2000, "Y"}, {6000000, "Y"}}},
    {"word_times_are_not_text", "[00:02.00]<00:02.00>Hel<00:02.50>lo <b>",
     {{"00:02.00", "<00:02.00>Hel<00:02.50>lo <b>"}},
     {{2000, "Hello <b>"}}},
    {"colon_hundredths_and_short_fraction", "[00:07:30]A\n[00:08.5]B",
     {{"00:07:30", "A"}, {"00:08.5", "B"}},
     {{7299, nullptr}, {7300, "A"}, {8500, "B"}}},
    {"carriage_returns_and_end_of_file_mark", "[00:01.00]A\r\n[00:02.00]B\r\x1a[00:03.00]C",
     {{"00:01.00", "A"}, {"00:02.00", "B"}},
     {{3000, "B"}}},
    {"minutes_fold_after_sixty", "[01:00.00]A\n[60:30.00]B",
     {{"01:00.00", "A"}, {"60:30.00", "B"}},
     {{3630000, "B"}, {3659999, "B"}, {3660000, "A"}}},
};

class LrcParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(LrcParse, RowsAndShownLines)
{
    const ParseCase& c = GetParam();
    const Parse parse = parseText(QString::fromUtf8(c.file));
    EXPECT_EQ(parse.rows, QList<TagRow>(c.rows.begin(), c.rows.end()));
    const Timeline timeline(parse);
    for (const Shown& s : c.shown) {
        const int index = timeline.indexAt(s.ms);
        if (!s.text) {
            EXPECT_EQ(index, -1) << "at " << s.ms;
            continue;
        }
        ASSERT_GE(index, 0) << "at " << s.ms;
        EXPECT_EQ(timeline.textAt(s.ms), QString::fromUtf8(s.text)) << "at " << s.ms;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LrcParse, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ParseCase>& p) { return std::string(p.param.name); });

TEST(LrcTimeKey, WholeSecondsFoldAfterSixtyMinutes)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "00:00"}, {75, "01:15"}, {3600, "60:00"}, {3659, "60:59"}, {3660, "01:00"}, {7260, "01:00"}, {7259, "60:59"}};
    for (const auto& [seconds, key] : cases)
        EXPECT_EQ(timeKey(seconds), QString::fromLatin1(key)) << seconds;
}

TEST(LrcTables, StoreParseFillsTheSessionTables)
{
    Session session;
    storeParse(session, parseText(QStringLiteral("[ti:歌]\n[00:01.00][00:02.00]词\nplain")));
    const Table& lines = session.table(audio::names::LrcLines);
    ASSERT_EQ(lines.rowCount(), 3);
    EXPECT_EQ(lines.row(2), (Row{"3", "plain"}));
    const Table& timed = session.table(audio::names::LrcTimed);
    ASSERT_EQ(timed.rowCount(), 4);
    EXPECT_EQ(timed.row(0), (Row{"00:00", ""}));
    EXPECT_EQ(timed.row(1), (Row{"00:02.00", "词"}));
    EXPECT_EQ(timed.row(2), (Row{"00:01.00", "词"}));
    EXPECT_EQ(timed.row(3), (Row{"ti", "歌"}));
    EXPECT_EQ(session.table(audio::names::LrcRows).row(2), (Row{"3", "ti", "歌"}));
    EXPECT_EQ(session.table(audio::names::LrcHeaders).lines(), QStringList{"[ti:歌]"});
    clearParse(session);
    EXPECT_TRUE(session.table(audio::names::LrcTimed).isEmpty());
}

// The same Chinese lyric file in each encoding real files come in.
TEST(LrcFiles, EncodingsAreDetected)
{
    TempTree tree;
    const QString text = QStringLiteral("[ti:月亮代表我的心]\r\n[00:01.50]你问我爱你有多深\r\n[00:05.00]我爱你有几分\r\n");
    auto utf16 = [&text](QStringConverter::Encoding encoding, QByteArray bom) {
        QStringEncoder encoder(encoding);
        return bom + QByteArray(encoder(text));
    };
    const std::pair<const char*, QByteArray> files[] = {
        {"gbk.lrc", encodeGb18030(text)},
        {"utf8.lrc", text.toUtf8()},
        {"utf8bom.lrc", QByteArray("\xEF\xBB\xBF") + text.toUtf8()},
        {"utf16le.lrc", utf16(QStringConverter::Utf16LE, QByteArray("\xFF\xFE"))},
        {"utf16be.lrc", utf16(QStringConverter::Utf16BE, QByteArray("\xFE\xFF"))},
    };
    for (const auto& [name, bytes] : files) {
        const FileParse file = readFile(tree.write(QString::fromLatin1(name), bytes));
        EXPECT_EQ(file.error, ReadError::None) << name;
        const Timeline timeline(file.parse);
        EXPECT_EQ(timeline.textAt(1500), QStringLiteral("你问我爱你有多深")) << name;
        EXPECT_EQ(timeline.textAt(6000), QStringLiteral("我爱你有几分")) << name;
        ASSERT_FALSE(file.parse.rows.isEmpty());
        EXPECT_EQ(file.parse.rows.last(), (TagRow{"ti", "月亮代表我的心"})) << name;
    }
}

TEST(LrcFiles, FilesThatShowNothingSayWhy)
{
    TempTree tree;
    const std::pair<QString, ReadError> cases[] = {
        {tree.path("missing.lrc"), ReadError::Unreadable},
        {tree.write("empty.lrc", QByteArray()), ReadError::Empty},
        {tree.write("binary.lrc", QByteArray("[00:01.00]a\0b", 13)), ReadError::Binary},
        {tree.write("notags.lrc", "just words\n[ti:title]\n[00:61.00]bad\n"), ReadError::NoTimedLine},
        {tree.write("good.lrc", "[00:01.00]a"), ReadError::None},
    };
    for (const auto& [path, error] : cases)
        EXPECT_EQ(readFile(path).error, error) << path.toStdString();
}

TEST(LrcFiles, HugeFileParsesEveryLine)
{
    QString text;
    constexpr int kLines = 300000;
    text.reserve(kLines * 20);
    for (int i = 0; i < kLines; ++i)
        text += QStringLiteral("[%1:%2.%3]line %4\n")
                    .arg(i / 6000 % 60, 2, 10, QLatin1Char('0'))
                    .arg(i / 100 % 60, 2, 10, QLatin1Char('0'))
                    .arg(i % 100, 2, 10, QLatin1Char('0'))
                    .arg(i);
    const Timeline timeline(parseText(text));
    EXPECT_EQ(timeline.lines().size(), std::size_t(kLines));
    EXPECT_EQ(timeline.textAt(10), QStringLiteral("line 1"));
}

TEST(LrcFiles, NestedBracketsStayBounded)
{
    // One line of half a million nested brackets: tags longer than any real
    // tag are dropped, so the parse does not grow with the square of the line.
    const QString line = QString(250000, QLatin1Char('[')) + QStringLiteral("x") + QString(250000, QLatin1Char(']'));
    const Parse parse = parseText(line);
    qsizetype total = 0;
    for (const TagRow& row : parse.rows)
        total += row.tag.size() + row.text.size();
    EXPECT_LT(total, 4 * 1024 * 1024);
}

} // namespace
} // namespace fotarel::audio::lrc
