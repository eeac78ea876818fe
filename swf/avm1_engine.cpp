// The player's scripts run on the AVM1 virtual machine.
#include "swf/avm1_engine.h"

#include "swf/avm1/host.h"

namespace fotarel::swf {

namespace {

class Avm1Engine final : public ScriptEngine {
public:
    explicit Avm1Engine(Player& player) : vm_(player) {}

    void runActions(const QByteArray& actions, int version, Clip& clip) override
    {
        vm_.runActions(avm1::ActionBlock{actions, version}, clip);
    }
    void runInitActions(const QByteArray& actions, int version, Clip& root) override
    {
        vm_.runInitActions(avm1::ActionBlock{actions, version}, root);
    }
    void clipEvent(Clip& clip, avm1::ClipEvent event) override { vm_.dispatchClipEvent(clip, event); }
    void constructClip(Clip& clip, const QString& exportName, bool prototypeOnly) override
    {
        vm_.constructClip(clip, exportName, prototypeOnly);
    }
    void reportLoad(Clip& clip, avm1::LoadEvent event, const QString& error) override
    {
        vm_.reportLoad(clip, event, error);
    }
    void runIntervals() override { vm_.runIntervals(); }
    void completeTextLoads() override { vm_.completeTextLoads(); }
    bool clipButtonState(Clip& clip, bool* enabled) override { return vm_.clipButtonState(clip, enabled); }
    void broadcastInput(const QString& object, const QString& message) override
    {
        vm_.broadcastInput(object, message);
    }
    void changeFocus(Clip* target) override { vm_.changeFocus(target); }
    avm1::FocusTraits focusTraits(Clip& clip) override { return vm_.focusTraits(clip); }
    bool setVariable(const QString& path, const QString& value) override { return vm_.setVariable(path, value); }
    std::optional<QString> getVariable(const QString& path) override { return vm_.getVariable(path); }

private:
    avm1::Vm vm_;
};

} // namespace

std::unique_ptr<ScriptEngine> makeAvm1Engine(Player& player) { return std::make_unique<Avm1Engine>(player); }

} // namespace fotarel::swf
