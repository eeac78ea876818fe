// The text field state: formats over ranges of characters, the Flash
// Player's HTML read and written back, and hostile input staying bounded.

#include "swf/avm1/text_field.h"

#include <gtest/gtest.h>

namespace fotarel::swf::avm1::test {
namespace {

TextFieldModel plain(const QString& text)
{
    TextFieldModel m;
    m.setText(text);
    return m;
}

TextFormat bold()
{
    TextFormat f;
    f.bold = true;
    return f;
}

TEST(TextFieldModel, FormatsFollowTheirCharactersThroughRanges)
{
    TextFieldModel m = plain(QStringLiteral("abcdefgh"));
    m.setFormat(2, 5, bold());
    EXPECT_EQ(m.formatOf(2, 5).bold, true);
    EXPECT_EQ(m.formatOf(0, 2).bold, false);
    // A range across different formats leaves what differs unset.
    EXPECT_EQ(m.formatOf(0, 8).bold, std::nullopt);
    EXPECT_EQ(m.formatOf(0, 8).size, 12);
    // Replacing text before the bold run moves the run with its characters.
    m.replace(0, 2, QStringLiteral("XYZW"), m.newFormat);
    EXPECT_EQ(m.text, QStringLiteral("XYZWcdefgh"));
    EXPECT_EQ(m.formatOf(4, 7).bold, true);
    EXPECT_EQ(m.formatOf(7, 8).bold, false);
    // An empty range answers the character's own format, past the end the
    // format for new text.
    EXPECT_EQ(m.formatOf(5, 5).bold, true);
    m.newFormat.size = 30;
    EXPECT_EQ(m.formatOf(10, 10).size, 30);
    // Ranges beyond the text are cut to it.
    TextFormat size20;
    size20.size = 20;
    m.setFormat(-5, 1000, size20);
    EXPECT_EQ(m.formatOf(0, m.length()).size, 20);
    EXPECT_EQ(m.formatOf(0, m.length()).bold, std::nullopt);
    EXPECT_EQ(m.formats.size(), size_t(m.length()));
}

struct HtmlCase {
    const char* input;
    bool multiline;
    const char* text;
    const char* html; // nullptr: written back as given
};

// Paragraph and font markup as the Flash Player writes it.
#define FONT(x) "<FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">" x "</FONT>"
#define P(x) "<P ALIGN=\"LEFT\">" FONT(x) "</P>"

TEST(TextFieldModel, HtmlIsReadAndWrittenAsTheFlashPlayerDoes)
{
    const HtmlCase cases[] = {
        // What the writer makes reads back to the same (in a multiline
        // field each paragraph ends with a break).
        {P("a <B>bold</B> word"), true, "a bold word\r", nullptr},
        {P("x") P("y"), true, "x\ry\r", nullptr},
        {P("one <FONT COLOR=\"#FF0000\">red <FONT SIZE=\"20\">big</FONT></FONT> end"), true, "one red big end\r",
         nullptr},
        {"<TEXTFORMAT LEADING=\"2\">" P("led") "</TEXTFORMAT>", true, "led\r", nullptr},
        {"<LI>" FONT("item") "</LI>", true, "item\r", nullptr},
        // A single-line field runs paragraphs together; line breaks in the
        // source still break.
        {"<p>a</p><p>b</p>", false, "ab", P("ab")},
        {"a\nb", false, "a\rb", P("a") P("b")},
        {"<p>a</p><p>b</p>", true, "a\rb\r", P("a") P("b")},
        // Entities, unknown tags dropped with their text kept.
        {"&lt;&amp;&gt;&#65;<blink>x</blink>", false, "<&>Ax", P("&lt;&amp;&gt;Ax")},
        // An empty text has no markup at all.
        {"<b></b>", true, "", ""},
        // An empty paragraph keeps the style of its break.
        {"<b>\n</b>", true, "\r", P("<B></B>")},
    };
    for (const HtmlCase& c : cases) {
        TextFieldModel m;
        m.multiline = c.multiline;
        appendHtml(m, QString::fromUtf8(c.input), m.newFormat);
        EXPECT_EQ(m.text, QString::fromUtf8(c.text)) << c.input;
        EXPECT_EQ(toHtml(m), QString::fromUtf8(c.html ? c.html : c.input)) << c.input;
        EXPECT_EQ(m.formats.size(), size_t(m.length())) << c.input;
    }
}

TEST(TextFieldModel, HostileHtmlStaysBounded)
{
    // Tags nested far deeper than any text needs: the nesting is capped, the
    // text kept, and writing it back does not recurse.
    QString deep;
    for (int i = 0; i < 100000; ++i)
        deep += QStringLiteral("<font size=\"%1\"><b>").arg(i % 50 + 1);
    deep += QStringLiteral("deep");
    TextFieldModel m;
    m.multiline = true;
    appendHtml(m, deep, m.newFormat);
    EXPECT_EQ(m.text, QStringLiteral("deep"));
    EXPECT_FALSE(toHtml(m).isEmpty());

    // Unterminated tags, stray ampersands and huge character references.
    const char* broken[] = {"<font color=\"#12", "a & b &#99999999; &#x110000; &unknown;", "<<<>>>", "<p align=",
                            "</b></b></p></font>text"};
    for (const char* b : broken) {
        TextFieldModel bm;
        appendHtml(bm, QString::fromUtf8(b), bm.newFormat);
        EXPECT_EQ(bm.formats.size(), size_t(bm.length())) << b;
        toHtml(bm);
    }

    // A long text with a format change every few characters.
    TextFieldModel big = plain(QString(200000, QLatin1Char('x')));
    for (int i = 0; i < 200000; i += 1000)
        big.setFormat(i, i + 3, bold());
    EXPECT_EQ(big.formatOf(1000, 1003).bold, true);
    EXPECT_EQ(big.formatOf(0, 200000).bold, std::nullopt);
    EXPECT_GT(toHtml(big).size(), 200000);
}

} // namespace
} // namespace fotarel::swf::avm1::test
