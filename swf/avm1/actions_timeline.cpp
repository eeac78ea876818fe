// Actions on clips and the timeline: frames, labels, urls and loads,
// duplicating and removing clips, trace, time.

#include "swf/avm1/handlers.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

void nextFrame(Interpreter& vm, Frame& f, const Action&, Step&)
{
    if (DisplayObjectHost* c = timelineClip(vm, f))
        c->gotoFrame(c->currentFrame() + 1, false);
}

void prevFrame(Interpreter& vm, Frame& f, const Action&, Step&)
{
    if (DisplayObjectHost* c = timelineClip(vm, f))
        c->gotoFrame(std::max(1, c->currentFrame() - 1), false);
}

void play(Interpreter& vm, Frame& f, const Action&, Step&)
{
    if (DisplayObjectHost* c = timelineClip(vm, f))
        c->play();
}

void stop(Interpreter& vm, Frame& f, const Action&, Step&)
{
    if (DisplayObjectHost* c = timelineClip(vm, f))
        c->stop();
}

void nothing(Interpreter&, Frame&, const Action&, Step&) {}

void gotoFrame(Interpreter& vm, Frame& f, const Action& a, Step&)
{
    // Unlike gotoAndStop, the SWF 3 action ignores a frame past the end.
    const int frame = a.n[0] + 1;
    if (DisplayObjectHost* c = timelineClip(vm, f); c && frame <= c->totalFrames())
        c->gotoFrame(frame, false);
}

void goToLabel(Interpreter& vm, Frame& f, const Action& a, Step&)
{
    if (DisplayObjectHost* c = timelineClip(vm, f)) {
        const int frame = c->frameOfLabel(a.text[0]);
        if (frame > 0)
            c->gotoFrame(frame, false);
    }
}

void gotoFrame2(Interpreter& vm, Frame& f, const Action& a, Step&)
{
    const int flags = a.n[0];
    const Value frame = pop(f);
    vm.gotoFrameValue(timelineClip(vm, f), frame, (flags & 0x01) != 0, a.n[1]);
}

void getUrl(Interpreter& vm, Frame& f, const Action& a, Step&)
{
    vm.getUrlOrLoad(timelineClip(vm, f), a.text[0], a.text[1], false);
}

void getUrl2(Interpreter& vm, Frame& f, const Action& a, Step&)
{
    const int flags = a.n[0];
    const QString window = vm.toString(pop(f));
    const QString url = vm.toString(pop(f));
    if (flags & 0x80) {
        // loadVariables(url, target) / loadVariablesNum(url, level)
        DisplayObjectHost* base = timelineClip(vm, f);
        int level = 0;
        DisplayObjectHost* target = (flags & 0x40) ? vm.resolveClipPath(base, window)
                                    : levelNumber(window, level) ? vm.player.levelRoot(level)
                                                                 : nullptr;
        if (target && !url.isEmpty())
            vm.requestText(nullptr, target, url);
        return;
    }
    vm.getUrlOrLoad(timelineClip(vm, f), url, window, (flags & 0x40) != 0);
}

void callFrame(Interpreter& vm, Frame& f, const Action&, Step&) { vm.callFrame(timelineClip(vm, f), pop(f)); }

void cloneSprite(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const double depth = vm.toNumber(pop(f));
    const QString name = vm.toString(pop(f));
    DisplayObjectHost* source = targetClip(vm, f, pop(f));
    if (source && !std::isnan(depth))
        source->duplicate(name, int(std::clamp(depth, -16384.0, 2130690045.0)) - 16384);
}

void removeSprite(Interpreter& vm, Frame& f, const Action&, Step&)
{
    if (DisplayObjectHost* clip = targetClip(vm, f, pop(f)); clip && clip != timelineClip(vm, f))
        clip->removeFromParent();
}

void trace(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value v = pop(f);
    vm.player.trace(v.isUndefined() ? QStringLiteral("undefined") : vm.toString(v));
}

void startDrag(Interpreter& vm, Frame& f, const Action&, Step&)
{
    // No pointer in this player: the operands are taken.
    pop(f);
    pop(f);
    if (vm.toBoolean(pop(f))) {
        for (int i = 0; i < 4; ++i)
            pop(f);
    }
}

void getTime(Interpreter& vm, Frame& f, const Action&, Step&)
{
    push(vm, f, Value::number(double(vm.player.movieTimeMs())));
}

void fsCommand2(Interpreter& vm, Frame& f, const Action&, Step&)
{
    // Flash Lite: the operands are taken, nothing else happens.
    popArgs(f, vm.toNumber(pop(f)));
}

} // namespace

void addTimelineHandlers(HandlerTable& t)
{
    t[op::NextFrame] = nextFrame;
    t[op::PrevFrame] = prevFrame;
    t[op::Play] = play;
    t[op::Stop] = stop;
    t[op::ToggleQuality] = nothing;
    t[op::StopSounds] = nothing;
    t[op::GotoFrame] = gotoFrame;
    t[op::GoToLabel] = goToLabel;
    t[op::GotoFrame2] = gotoFrame2;
    t[op::GetURL] = getUrl;
    t[op::GetURL2] = getUrl2;
    t[op::Call] = callFrame;
    t[op::CloneSprite] = cloneSprite;
    t[op::RemoveSprite] = removeSprite;
    t[op::Trace] = trace;
    t[op::StartDrag] = startDrag;
    t[op::EndDrag] = nothing;
    t[op::GetTime] = getTime;
    t[op::FSCommand2] = fsCommand2;
}

} // namespace fotarel::swf::avm1
