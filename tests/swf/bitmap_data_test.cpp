// flash.display.BitmapData as scripts see it: the size limits of each SWF
// version and how pixels keep their colour and alpha.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/player.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Actions;

namespace {

enum Op { GetVariable = 0x1c, SetVariable = 0x1d, Pop = 0x17, Trace = 0x26, GetMember = 0x4e, CallMethod = 0x52, NewMethod = 0x53 };

// Leaves `new flash.display.BitmapData(args)` on the stack.
Actions& newBitmap(Actions& a, std::initializer_list<int> args)
{
    for (auto it = std::rbegin(args); it != std::rend(args); ++it)
        a.push(*it);
    return a.push(int(args.size())).push("flash").op(GetVariable).push("display").op(GetMember).push("BitmapData").op(NewMethod);
}

Actions& call(Actions& a, const char* object, const char* method, std::initializer_list<int> args)
{
    for (auto it = std::rbegin(args); it != std::rend(args); ++it)
        a.push(*it);
    return a.push(int(args.size())).push(object).op(GetVariable).push(method).op(CallMethod);
}

QStringList run(const Actions& script, int version)
{
    swftest::Movie m;
    m.version = version;
    m.tag(12, script.finish());
    m.showFrame();
    return swftest::tracesOf(m.finish(), "/tmp/bitmap.swf");
}

} // namespace

TEST(SwfBitmapData, SizeLimitsFollowTheVersion)
{
    struct Case {
        int version, width, height;
        bool made;
    } const cases[] = {
        {8, 2880, 1, true},    {8, 2881, 1, false}, {8, 1, 2881, false}, {9, 2880, 2880, true},
        {10, 8191, 1, true},   {10, 8192, 1, false}, {10, 4096, 4095, true}, {10, 4096, 4096, false},
        {8, 0, 10, false},     {8, -5, 10, false},
    };
    for (const Case& c : cases) {
        Actions a;
        newBitmap(a, {c.width, c.height}).op(Trace);
        EXPECT_EQ(run(a, c.version), QStringList{c.made ? "[object Object]" : "undefined"})
            << c.version << " " << c.width << "x" << c.height;
    }
}

TEST(SwfBitmapData, PixelsKeepColourAndAlphaAsStored)
{
    Actions a;
    a.push("t");
    newBitmap(a, {4, 4}).op(SetVariable); // transparent, filled with opaque white
    a.push("o");
    newBitmap(a, {4, 4, 0, 0x123456}).op(SetVariable); // opaque
    QStringList want;
    const auto pixel32 = [&](const char* bitmap, int x, int y, const char* expected) {
        call(a, bitmap, "getPixel32", {x, y}).op(Trace);
        want << expected;
    };
    pixel32("t", 0, 0, "-1");
    pixel32("o", 0, 0, "-15584170"); // 0xff123456
    call(a, "t", "setPixel32", {0, 0, int(0x80ffffffu)}).op(Pop);
    pixel32("t", 0, 0, "-2130706433");
    call(a, "t", "setPixel", {0, 0, 0xbbbbbb}).op(Pop); // keeps the alpha
    pixel32("t", 0, 0, "-2135180357");
    call(a, "t", "setPixel32", {1, 0, 0x00ffffff}).op(Pop); // no alpha: no colour either
    pixel32("t", 1, 0, "0");
    call(a, "o", "setPixel32", {0, 0, int(0x80ffffffu)}).op(Pop); // an opaque bitmap keeps no alpha
    pixel32("o", 0, 0, "-1");
    pixel32("t", 4, 0, "0"); // outside
    // fillRect is clipped to the bitmap.
    a.push("r").push("x").push(2).push("y").push(2).push("width").push(10).push("height").push(10).push(4).op(0x43).op(SetVariable);
    a.push(0xff00).push("r").op(GetVariable).push(2).push("o").op(GetVariable).push("fillRect").op(CallMethod).op(Pop);
    call(a, "o", "getPixel", {3, 3}).op(Trace);
    call(a, "o", "getPixel", {1, 3}).op(Trace);
    want << "65280" << "1193046"; // inside the rectangle, and the fill colour beside it
    call(a, "o", "dispose", {}).op(Pop);
    a.push("o").op(GetVariable).push("width").op(GetMember).op(Trace);
    want << "-1";
    EXPECT_EQ(run(a, 8), want);
}
