// Clips through the host: properties, paths, timeline control, clips made by
// script, events, loads, variables from the host, and the template movie
// contract.

#include "tests/swf_avm1/vm_fixture.h"

namespace fotarel::swf::avm1::test {
namespace {

class Clips : public VmTest {
protected:
    void SetUp() override
    {
        holder = player.root()->add("holder", 1, 4);
        pic = holder->add("pic", 1);
        player.root()->labels["intro"] = 3;
    }
    // clip.method(args) where the clip is reached by the variable path `clip`.
    static Asm on(const QString& clip) { return Asm().get(clip); }

    FakeClip* holder = nullptr;
    FakeClip* pic = nullptr;
};

TEST_F(Clips, PropertiesAndPaths)
{
    Asm a;
    a.get("holder").push("_x", 12).op(op::SetMember);
    a.get("holder").push("_X").op(op::GetMember).trace();                // display names ignore case
    a.push("holder/pic", 6, 40).op(op::SetProperty);                     // setProperty("holder/pic", _alpha, 40)
    a.push("/holder/pic", 6).op(op::GetProperty).trace();
    a.get("holder").push("_visible", 0).op(op::SetMember);
    a.get("holder").push("_visible").op(op::GetMember).trace();
    a.get("holder.pic").push("_target").op(op::GetMember).trace();
    a.get("holder.pic").op(op::TargetPath).trace();
    a.get("holder.pic._parent._name").trace();
    a.get("holder.pic._root").get("_root").op(op::StrictEquals).trace();
    a.get("holder").push("_xscale", "abc").op(op::SetMember);            // NaN is ignored
    a.get("_level0.holder").push("_xscale").op(op::GetMember).trace();
    a.get("holder").push("_name", "box").op(op::SetMember);
    a.get("box").push("_currentframe").op(op::GetMember).trace();
    a.get("/box:_totalframes").trace();
    a.get("Stage.width").push("x").op(op::Add2).get("Stage.height").op(op::Add2).trace();
    a.get("Stage").push("width", 5).op(op::SetMember);                 // read-only
    a.get("Stage.width").trace();
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "12|40|false|/holder/pic|_level0.holder.pic|holder|true|100|1|4|1920x1080|1920");
    EXPECT_EQ(holder->props[size_t(Property::X)], 12);
    EXPECT_EQ(pic->props[size_t(Property::Alpha)], 40);
    EXPECT_EQ(holder->props[size_t(Property::Visible)], 0);
    EXPECT_EQ(holder->name_, "box");
}

TEST_F(Clips, LockRootMakesAClipTheRootOfWhatIsInside)
{
    // _lockroot reads as a boolean and takes any value by its truth; `_root`
    // is then the nearest locking clip, by name, by path and as a member.
    Asm a;
    a.get("holder._lockroot").trace();
    a.get("holder").push("_lockroot", 1).op(op::SetMember);
    a.get("holder._lockroot").trace();
    a.get("holder.pic._root").push("_name").op(op::GetMember).trace();
    a.get("_root").trace();
    a.get("holder").push("_lockroot", "").op(op::SetMember);
    a.get("holder.pic._root").trace();
    EXPECT_TRUE(run(a));
    a = Asm();
    a.get("_parent").push("_lockroot", "yes").op(op::SetMember);
    a.get("_root").trace();
    a.get("_root/pic:_name").trace();
    EXPECT_TRUE(run(a, 7, pic));
    EXPECT_EQ(traced(), "false|true|holder|_level0|_level0|_level0.holder|pic");
}

TEST_F(Clips, SwapDepthsTakesASiblingPathOrADepthInTheScriptRange)
{
    // A string is a target path from the clip; depths outside
    // -16384..2130690044 and undefined leave the clip where it is.
    player.root()->add("other", 7);
    Asm a;
    a.push(2130690045).get("holder").callMethod("swapDepths", 1).op(op::Pop);
    a.get("holder").callMethod("getDepth", 0).trace();
    a.push(-16385).get("holder").callMethod("swapDepths", 1).op(op::Pop);
    a.get("holder").callMethod("getDepth", 0).trace();
    a.push("../other").get("holder").callMethod("swapDepths", 1).op(op::Pop);
    a.get("holder").callMethod("getDepth", 0).trace();
    a.get("other").callMethod("getDepth", 0).trace();
    a.push("pic").get("holder").callMethod("swapDepths", 1).op(op::Pop); // a child, not a sibling
    a.get("holder").callMethod("getDepth", 0).trace();
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "1|1|7|1|7");
}

TEST_F(Clips, TimelineControl)
{
    FakeClip* root = player.root();
    run(Asm().push("intro").append(on("this")).callMethod("gotoAndStop", 1).op(op::Pop));
    EXPECT_EQ(root->frame, 3);
    EXPECT_FALSE(root->playing);
    run(Asm().push(5).append(on("this")).callMethod("gotoAndPlay", 1).op(op::Pop));
    EXPECT_EQ(root->frame, 5);
    EXPECT_TRUE(root->playing);
    run(Asm().op(op::NextFrame));
    EXPECT_EQ(root->frame, 6);
    EXPECT_FALSE(root->playing);
    run(Asm().op(op::PrevFrame).op(op::PrevFrame).op(op::Play));
    EXPECT_EQ(root->frame, 4);
    EXPECT_TRUE(root->playing);
    run(Asm().gotoLabel("intro"));
    EXPECT_EQ(root->frame, 3);
    run(Asm().push("holder:2").gotoFrame2(true)); // gotoAndPlay("holder:2")
    EXPECT_EQ(holder->frame, 2);
    EXPECT_TRUE(holder->playing);
    run(Asm().setTarget("holder").op(op::Stop).setTarget("").op(op::Stop)); // tellTarget("holder") { stop(); }
    EXPECT_FALSE(holder->playing);
    EXPECT_FALSE(root->playing);
    run(Asm().get("holder").with(Asm().push(4, 1, "gotoAndPlay").op(op::CallFunction).op(op::Pop)));
    EXPECT_EQ(holder->frame, 4); // with (holder) { gotoAndPlay(4); }
    EXPECT_TRUE(holder->playing);
    EXPECT_EQ(root->frame, 3);
}

TEST_F(Clips, FrameNumbersWrapAsIntegersAndMissingTargetsMeanTheRoot)
{
    // gotoAndStop(n) on a clip at frame 2: the number is a 32-bit integer,
    // frames below 1 and NaN are ignored.
    const struct {
        double frame;
        int expected;
    } cases[] = {{3, 3}, {0, 2}, {-99, 2}, {4294967299.0, 3}, {NAN, 2}};
    for (const auto& c : cases) {
        holder->frame = 2;
        EXPECT_TRUE(run(Asm().push(c.frame).append(on("holder")).callMethod("gotoAndStop", 1).op(op::Pop)));
        EXPECT_EQ(holder->frame, c.expected) << c.frame;
    }
    // tellTarget("nowhere") { stop(); } in the holder's script stops the root.
    FakeClip* root = player.root();
    root->playing = holder->playing = true;
    EXPECT_TRUE(run(Asm().setTarget("nowhere").op(op::Stop).setTarget(""), 6, holder));
    EXPECT_FALSE(root->playing);
    EXPECT_TRUE(holder->playing);
}

TEST_F(Clips, CallRunsAnotherFramesActionsInPlace)
{
    holder->frameScripts[2] = {ActionBlock{Asm().push("in ").get("_name").op(op::Add2).trace().bytes(), 6}};
    player.root()->frameScripts[3] = {ActionBlock{Asm().push("root frame 3").trace().bytes(), 6}};
    player.root()->frameScripts[5] = {ActionBlock{Asm().push(5).record(0x9E, {}).bytes(), 6}}; // calls itself
    EXPECT_TRUE(run(Asm().push("holder:2").record(0x9E, {}).push("intro").record(0x9E, {}).push(9).record(0x9E, {}).push("after").trace()));
    EXPECT_EQ(traced(), "in holder|root frame 3|after");
    EXPECT_EQ(player.root()->frame, 1); // call() does not move the playhead
    EXPECT_FALSE(run(Asm().push(5).record(0x9E, {})));
    ASSERT_EQ(player.errors.size(), 1);
    EXPECT_TRUE(player.errors[0].contains("nested deeper"));
}

TEST_F(Clips, ClipsMadeByScript)
{
    Asm a;
    // class PhotoClass extends MovieClip: constructor sets ready; describe() returns a text.
    a.function2("PhotoClass", 2, f2::PreloadThis, {}, Asm().push(Reg{1}, "ready", true).op(op::SetMember));
    a.get("PhotoClass").get("MovieClip").op(op::Extends);
    a.get("PhotoClass").push("prototype").op(op::GetMember).push("describe");
    a.function2("", 2, f2::PreloadThis, {},
                Asm().push("photo at ").push(Reg{1}, "_x").op(op::GetMember).op(op::Add2).op(op::Return));
    a.op(op::SetMember);
    a.get("PhotoClass").push("photoHolder").append(on("Object")).callMethod("registerClass", 2).op(op::Pop);
    // c = createEmptyMovieClip("c", 5); p1 = attachMovie("photoHolder", "p1", 6, {_x: 30});
    a.push("c", 5, "c").append(on("this")).callMethod("createEmptyMovieClip", 2).op(op::SetVariable);
    a.push("p1");
    a.push("_x", 30, 1).op(op::InitObject).push(6, "p1", "photoHolder").append(on("this")).callMethod("attachMovie", 4);
    a.op(op::SetVariable);
    a.get("p1.ready").trace();
    a.get("p1").callMethod("describe", 0).trace();
    a.push(7, "nothing", "noSuchSymbol").append(on("this")).callMethod("attachMovie", 3).op(op::TypeOf).trace();
    a.push(7, "c2").append(on("c")).callMethod("duplicateMovieClip", 2).op(op::TargetPath).trace();
    a.push(20).append(on("c")).callMethod("swapDepths", 1).op(op::Pop);
    a.get("c").callMethod("getDepth", 0).trace();
    a.append(on("this")).callMethod("getNextHighestDepth", 0).trace();
    a.get("c").append(on("p1")).callMethod("setMask", 1).op(op::Pop);
    a.get("c2").callMethod("removeMovieClip", 0).op(op::Pop);
    a.get("c2._x").op(op::TypeOf).trace();      // the reference outlives the clip safely
    a.get("c2").callMethod("play", 0).op(op::Pop);
    a.get("holder").callMethod("removeMovieClip", 0).op(op::Pop); // placed by the timeline: stays
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "true|photo at 30|undefined|_level0.c2|20|21|undefined");
    // The same class for a clip of that symbol placed by the timeline.
    FakeClip* placed = player.root()->add("placed", 30);
    EXPECT_TRUE(vm.constructClip(*placed, "photoHolder"));
    EXPECT_TRUE(vm.constructClip(*holder, "unregistered"));
    EXPECT_TRUE(run(Asm().get("placed.ready").trace().get("placed").callMethod("describe", 0).trace()
                        .get("holder.ready").op(op::TypeOf).trace()));
    EXPECT_EQ(traced(), "true|photo at 0|undefined");
    FakeClip* root = player.root();
    ASSERT_NE(root->child("p1"), nullptr);
    EXPECT_EQ(root->child("p1")->mask, root->child("c"));
    EXPECT_EQ(root->child("c2"), nullptr);
    EXPECT_NE(root->child("holder"), nullptr);
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

TEST_F(Clips, ColorSetsTheClipsColourTransform)
{
    // c = new Color(holder); c.setRGB(0x336699); trace(c.getRGB().toString(16));
    // c.setTransform({aa: 50, ab: -20}); t = c.getTransform(); trace(t.rb + "," + t.aa + "," + t.ab);
    Asm a;
    a.push("c").get("holder").push(1, "Color").op(op::NewObject).op(op::SetVariable);
    a.push(0x336699).get("c").callMethod("setRGB", 1).op(op::Pop);
    a.push(16).get("c").callMethod("getRGB", 0).callMethod("toString", 1).trace();
    a.push("aa", 50, "ab", -20, 2).op(op::InitObject).get("c").callMethod("setTransform", 1).op(op::Pop);
    a.push("t").get("c").callMethod("getTransform", 0).op(op::SetVariable);
    a.get("t.rb").push(",").op(op::Add2).get("t.aa").op(op::Add2).push(",").op(op::Add2).get("t.ab").op(op::Add2).trace();
    // A Color of a missing clip does nothing.
    a.push(0xFF).push("nowhere", 1, "Color").op(op::NewObject).callMethod("setRGB", 1).op(op::TypeOf).trace();
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "336699|51,50,-20|undefined");
    EXPECT_EQ(holder->color.ra, 0);
    EXPECT_EQ(holder->color.gb, 0x66);
    EXPECT_EQ(holder->color.aa, 50);
}

TEST_F(Clips, EventHandlersRunOnDispatch)
{
    // holder.onEnterFrame = function() { this._x = this._x + 1; }; holder.onLoad = function() { trace("loaded"); }
    Asm a;
    a.get("holder").push("onEnterFrame");
    a.function2("", 2, f2::PreloadThis, {},
                Asm().push(Reg{1}, "_x").push(Reg{1}, "_x").op(op::GetMember).push(1).op(op::Add2).op(op::SetMember));
    a.op(op::SetMember);
    a.get("holder").push("onLoad").function("", {}, Asm().push("loaded").trace()).op(op::SetMember);
    ASSERT_TRUE(run(a));
    EXPECT_TRUE(vm.dispatchClipEvent(*holder, ClipEvent::EnterFrame));
    EXPECT_TRUE(vm.dispatchClipEvent(*holder, ClipEvent::EnterFrame));
    EXPECT_TRUE(vm.dispatchClipEvent(*holder, ClipEvent::Load));
    EXPECT_TRUE(vm.dispatchClipEvent(*pic, ClipEvent::EnterFrame)); // no handler: nothing happens
    EXPECT_EQ(holder->props[size_t(Property::X)], 2);
    EXPECT_EQ(traced(), "loaded");

    // A handler that removes its own clip and goes on using it.
    Asm b;
    b.push("temp", 50, "temp").append(on("this")).callMethod("createEmptyMovieClip", 2).op(op::Pop);
    b.get("temp").push("onEnterFrame");
    b.function2("", 2, f2::PreloadThis, {},
                Asm().push(Reg{1}).callMethod("removeMovieClip", 0).op(op::Pop)
                    .push(Reg{1}, "_x", 5).op(op::SetMember)
                    .push(Reg{1}, "_x").op(op::GetMember).op(op::TypeOf).trace());
    b.op(op::SetMember);
    ASSERT_TRUE(run(b));
    FakeClip* temp = player.root()->child("temp");
    ASSERT_NE(temp, nullptr);
    EXPECT_TRUE(vm.dispatchClipEvent(*temp, ClipEvent::EnterFrame));
    EXPECT_EQ(player.root()->child("temp"), nullptr);
    EXPECT_EQ(traced(), "undefined");
}

TEST_F(Clips, HostVariablesByNameAndPath)
{
    EXPECT_TRUE(vm.setVariable("xc_alpha", "0"));
    EXPECT_TRUE(vm.setVariable("holder.v", "9"));
    EXPECT_TRUE(vm.setVariable("/holder:w", "w1"));
    EXPECT_TRUE(vm.setVariable("_root.x", "r"));
    run(Asm().get("xc_alpha").trace().get("holder.v").trace().get("holder.w").trace().get("x").trace());
    EXPECT_EQ(traced(), "0|9|w1|r");
    const struct {
        const char* path;
        std::optional<QString> value;
    } cases[] = {
        {"xc_alpha", "0"},        {"_root.x", "r"},          {"/:x", "r"},
        {"holder.v", "9"},        {"/holder:v", "9"},        {"_level0.holder.v", "9"},
        {"_level0/holder:w", "w1"}, {"holder.pic", "_level0.holder.pic"}, {"holder._name", "holder"},
        {"nope", std::nullopt},   {"holder.nope", std::nullopt}, {"ghost.x", std::nullopt},
        {"/ghost:x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vm.getVariable(QString::fromLatin1(c.path)), c.value) << c.path;
}

// The frame-1 script every template movie has: it marks itself as a
// template, takes xc_alpha from the host, loads its pictures and the
// carry-over picture, and sends "picture_0" once all have arrived.
TEST_F(Clips, TemplateMovieContract)
{
    Asm a;
    a.constants({"l_x_z_f_c", "loaded", "mcl", "listener", "pic0", "pic1"});
    a.push(Const{0}, "l_x_z_f_c_s_y_w_j").op(op::SetVariable);
    a.push(Const{1}, 0).op(op::SetVariable);
    a.push(Const{2}, 0, "MovieClipLoader").op(op::NewObject).op(op::SetVariable);
    a.push(Const{3}, 0, "Object").op(op::NewObject).op(op::SetVariable);
    // listener.onLoadInit = function(target) { loaded++; trace("init " + target._name);
    //                                          if (loaded == 2) fscommand("picture_0"); }
    Asm init;
    init.push(Const{1}).get("loaded").op(op::Increment).op(op::SetVariable);
    init.push("init ").push(Reg{2}, "_name").op(op::GetMember).op(op::Add2).trace();
    init.get("loaded").push(2).op(op::Equals2).op(op::Not).ifTrue("done");
    init.getUrl("FSCommand:picture_0", "");
    init.label("done");
    a.get("listener").push("onLoadInit");
    a.function2("", 3, 0, {{2, "target"}}, init).op(op::SetMember);
    // listener.onLoadError = function(target, code) { trace("error " + code); }
    a.get("listener").push("onLoadError");
    a.function("", {"target", "code"}, Asm().push("error ").get("code").op(op::Add2).trace()).op(op::SetMember);
    a.get("listener").push(1).get("mcl").push("addListener").op(op::CallMethod).op(op::Pop);
    a.push(Const{5}, 10, Const{5}).append(on("this")).callMethod("createEmptyMovieClip", 2).op(op::Pop);
    a.push(Const{4}, 11, Const{4}).append(on("this")).callMethod("createEmptyMovieClip", 2).op(op::Pop);
    a.get("pic1").push("tp_wjj_1/picture_1.rar", 2).get("mcl").push("loadClip").op(op::CallMethod).op(op::Pop);
    a.push("pic0", "../../pic/picture_0.rar", 2).get("mcl").push("loadClip").op(op::CallMethod).op(op::Pop);
    a.get("pic0").push("_alpha").get("xc_alpha").op(op::SetMember);
    // loadMovie("extra.jpg", "holder"); loadMovieNum("over.swf", 2); getURL("FSCommand:ready", "now")
    a.push("extra.jpg", "holder").getUrl2(0x40);
    a.getUrl("over.swf", "_level2");
    a.getUrl("FSCommand:ready", "now");
    a.push("", "FSCommand:method").append(on("this")).callMethod("getURL", 2).op(op::Pop); // this.getURL(...)

    ASSERT_TRUE(vm.setVariable("xc_alpha", "0"));
    ASSERT_TRUE(run(a));
    EXPECT_EQ(vm.getVariable("l_x_z_f_c"), QString("l_x_z_f_c_s_y_w_j"));
    FakeClip* root = player.root();
    FakeClip* pic0 = root->child("pic0");
    FakeClip* pic1 = root->child("pic1");
    ASSERT_TRUE(pic0 && pic1);
    EXPECT_EQ(pic0->props[size_t(Property::Alpha)], 0);
    EXPECT_EQ(player.loads, QStringList({"pic1|tp_wjj_1/picture_1.rar", "pic0|../../pic/picture_0.rar",
                                         "holder|extra.jpg", "_level2|over.swf"}));
    EXPECT_EQ(player.commands, QStringList({"ready|now", "method|"}));
    player.commands.clear();

    for (LoadEvent e : {LoadEvent::Start, LoadEvent::Progress, LoadEvent::Complete, LoadEvent::Init})
        vm.reportLoad(*pic1, e);
    EXPECT_EQ(traced(), "init pic1");
    EXPECT_TRUE(player.commands.isEmpty());
    for (LoadEvent e : {LoadEvent::Start, LoadEvent::Complete, LoadEvent::Init})
        vm.reportLoad(*pic0, e);
    EXPECT_EQ(traced(), "init pic0");
    EXPECT_EQ(player.commands, QStringList{"picture_0|"});
    // A finished load no longer reaches the listener; a failing one reports its error.
    vm.reportLoad(*pic0, LoadEvent::Init);
    EXPECT_EQ(traced(), "");
    run(Asm().get("holder").push("missing.jpg", 2).get("mcl").push("loadClip").op(op::CallMethod).op(op::Pop));
    vm.reportLoad(*holder, LoadEvent::Error, "URLNotFound");
    EXPECT_EQ(traced(), "error URLNotFound");
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

// A MovieClipLoader is its own first listener and tells its listeners
// through its broadcastMessage, which a script may replace.
TEST_F(Clips, LoaderEventsGoThroughBroadcastMessage)
{
    Asm a;
    a.push("mcl", 0, "MovieClipLoader").op(op::NewObject).op(op::SetVariable);
    a.get("mcl").push("_listeners").op(op::GetMember).push("length").op(op::GetMember).trace();
    a.get("mcl").push("onLoadInit");
    a.function("", {"target"}, Asm().push("own init ").get("target").push("_name")
                                   .op(op::GetMember).op(op::Add2).trace())
        .op(op::SetMember);
    a.get("holder").push("a.swf", 2).get("mcl").push("loadClip").op(op::CallMethod).op(op::Pop);
    ASSERT_TRUE(run(a));
    EXPECT_EQ(traced(), "1");
    vm.reportLoad(*holder, LoadEvent::Init);
    EXPECT_EQ(traced(), "own init holder");
    // mcl.broadcastMessage = function(name) { trace("event " + name); }
    Asm b;
    b.get("mcl").push("broadcastMessage");
    b.function("", {"name"}, Asm().push("event ").get("name").op(op::Add2).trace()).op(op::SetMember);
    b.get("holder").push("b.swf", 2).get("mcl").push("loadClip").op(op::CallMethod).op(op::Pop);
    ASSERT_TRUE(run(b));
    for (LoadEvent e : {LoadEvent::Start, LoadEvent::Complete, LoadEvent::Init})
        vm.reportLoad(*holder, e);
    EXPECT_EQ(traced(), "event onLoadStart|event onLoadComplete|event onLoadInit");
}

TEST_F(Clips, LoadingClearsTheTimelineVariables)
{
    vm.setVariable("holder.old", "1");
    holder->loadMovie("new.swf");
    vm.reportLoad(*holder, LoadEvent::Complete);
    EXPECT_EQ(vm.getVariable("holder.old"), std::nullopt);
    EXPECT_EQ(vm.getVariable("holder._name"), QString("holder"));
}

} // namespace
} // namespace fotarel::swf::avm1::test
