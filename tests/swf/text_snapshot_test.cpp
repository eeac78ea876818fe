// TextSnapshot: the characters of a clip's static texts in depth order,
// searching them, and selecting ranges of them.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/player.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Actions;
using swftest::Bits;
using swftest::Place;

namespace {

enum Op { Pop = 0x17, SetVariable = 0x1d, GetVariable = 0x1c, Trace = 0x26, NewObject = 0x40, CallMethod = 0x52 };

// DefineFont2 with empty glyphs for the characters of `codes`.
QByteArray font(int id, const char* codes)
{
    const int n = int(strlen(codes));
    Bits b;
    b.u16(id);
    b.u8(0);  // no layout, narrow offsets and codes
    b.u8(0);  // language
    b.u8(1);  // name length
    b.u8('F');
    b.u16(n);
    // Offsets from the table's start: n glyph offsets and the code table's.
    const int table = 2 * (n + 1);
    for (int i = 0; i <= n; ++i)
        b.u16(table + 2 * i);
    for (int i = 0; i < n; ++i) {
        b.u8(0); // no fill or line bits
        b.u8(0); // end of shape
    }
    for (int i = 0; i < n; ++i)
        b.u8(codes[i]);
    return b.data();
}

// DefineText whose records each hold the glyphs of one string (indexes into
// the font's codes) on a line of its own.
QByteArray text(int id, int fontId, const char* fontCodes, std::initializer_list<const char*> lines)
{
    Bits b;
    b.u16(id);
    b.bytes(swftest::rect(0, 2000, 0, 2000));
    b.bytes(swftest::matrix());
    b.u8(8); // glyph bits
    b.u8(8); // advance bits
    int y = 200;
    for (const char* line : lines) {
        b.u8(0x80 | 0x08 | 0x02); // record with font and y offset
        b.u16(fontId);
        b.u16(y);
        b.u16(240);
        b.u8(int(strlen(line)));
        for (const char* c = line; *c; ++c) {
            b.ub(uint32_t(strchr(fontCodes, *c) - fontCodes), 8);
            b.sb(100, 8);
        }
        b.align();
        y += 300;
    }
    b.u8(0);
    return b.data();
}

// Two texts placed in the reverse of their depth order ("CD" then "AB" on
// two lines), and `ts` a snapshot of the root made by the script.
QStringList run(Actions& script)
{
    const char* codes = "ABCDE";
    swftest::Movie m;
    m.tag(48, font(1, codes));
    m.tag(11, text(2, 1, codes, {"AB", "E"}));
    m.tag(11, text(3, 1, codes, {"CD"}));
    Place later;
    later.depth = 5;
    later.characterId = 2;
    m.tag(26, swftest::placeObject2(later));
    Place earlier;
    earlier.depth = 2;
    earlier.characterId = 3;
    m.tag(26, swftest::placeObject2(earlier));
    Actions a;
    a.push("ts").push("_root").op(GetVariable).push(1).push("TextSnapshot").op(NewObject).op(SetVariable);
    m.tag(12, a.finish().chopped(1) + script.finish());
    m.showFrame();
    return swftest::tracesOf(m.finish(), "/tmp/snapshot.swf");
}

struct Call {
    const char* method;
    std::vector<int> ints;     // arguments before the text one (pushed as numbers)
    const char* textArg;       // a string argument after them, or nullptr
    std::vector<int> trailing; // arguments after the text one
    const char* result;
};

} // namespace

TEST(SwfTextSnapshot, ReadsSearchesAndSelectsStaticText)
{
    const Call calls[] = {
        {"getCount", {}, nullptr, {}, "5"},
        // Depth order, not the order of placing.
        {"getText", {0, 100}, nullptr, {}, "CDABE"},
        {"getText", {1, 3}, nullptr, {}, "DA"},
        {"getText", {0, 100, 1}, nullptr, {}, "CD\nAB\nE"},
        // A reversed or empty range reads the character at its start.
        {"getText", {3, 1}, nullptr, {}, "B"},
        {"findText", {0}, "ab", {1}, "-1"},
        {"findText", {0}, "ab", {0}, "2"},
        {"findText", {3}, "AB", {1}, "-1"},
        {"findText", {-1}, "C", {1}, "-1"},
        {"findText", {0}, "", {1}, "-1"},
        // findText needs exactly its three arguments.
        {"findText", {0}, "C", {}, "undefined"},
        {"getSelected", {0, 5}, nullptr, {}, "false"},
        {"setSelected", {1, 3, 1}, nullptr, {}, "undefined"},
        {"getSelected", {0, 1}, nullptr, {}, "false"},
        {"getSelected", {2, 4}, nullptr, {}, "true"},
        {"getSelectedText", {}, nullptr, {}, "DA"},
        {"setSelected", {2, 3, 0}, nullptr, {}, "undefined"},
        {"getSelectedText", {}, nullptr, {}, "D"},
    };
    Actions a;
    QStringList want;
    for (const Call& c : calls) {
        // Arguments are pushed last first.
        for (auto it = c.trailing.rbegin(); it != c.trailing.rend(); ++it)
            a.push(*it);
        if (c.textArg)
            a.push(c.textArg);
        for (auto it = c.ints.rbegin(); it != c.ints.rend(); ++it)
            a.push(*it);
        a.push(int(c.ints.size() + c.trailing.size() + (c.textArg ? 1 : 0)));
        a.push("ts").op(GetVariable).push(c.method).op(CallMethod).op(Trace);
        want << QString::fromLatin1(c.result);
    }
    // A clip's getTextSnapshot makes one through _global.TextSnapshot.
    a.push(0).push("_root").op(GetVariable).push("getTextSnapshot").op(CallMethod);
    a.push(0).op(0x4d).push("getCount").op(CallMethod).op(Trace);
    want << "5";
    EXPECT_EQ(run(a), want);
}
