// Fuzz target: arbitrary action bytes (the first byte picks the SWF version)
// run on a small fake player, then an event, due intervals and a host read.

#include "swf/avm1/host.h"
#include "tests/swf_avm1/test_host.h"

#include <cstddef>
#include <cstdint>

using namespace fotarel::swf::avm1;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    test::FakePlayer player;
    player.root()->add("clip", 1)->add("inner", 1);
    // Tighter bounds than the defaults keep every input fast.
    Limits limits;
    limits.actionsPerRun = 20000;
    limits.heapBytes = 16 * 1024 * 1024;
    limits.arrayLength = 1 << 16;
    limits.stringLength = 1 << 16;
    limits.callDepth = 64;
    Vm vm(player, limits);
    const int version = 4 + data[0] % 5;
    player.root()->version = version;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    vm.runActions(ActionBlock{bytes, version}, *player.root());
    vm.dispatchClipEvent(*player.root(), ClipEvent::EnterFrame);
    player.timeMs = 1000;
    vm.runIntervals();
    (void)vm.getVariable(QStringLiteral("_root.x"));
    vm.collectGarbage();
    return 0;
}
