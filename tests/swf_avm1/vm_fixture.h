#pragma once

#include "tests/swf_avm1/assembler.h"
#include "tests/swf_avm1/test_host.h"

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace fotarel::swf::avm1::test {

// A VM on a fake player whose level 0 is a 10-frame root clip.
class VmTest : public ::testing::Test {
protected:
    bool run(const Asm& a, int version = 6, FakeClip* clip = nullptr)
    {
        player.root()->version = version;
        return vm.runActions(ActionBlock{a.bytes(), version}, clip ? *clip : *player.root());
    }
    // Trace lines so far, joined with "|", and cleared.
    QString traced()
    {
        const QString s = player.traces.join(QLatin1Char('|'));
        player.traces.clear();
        return s;
    }

    FakePlayer player;
    Vm vm{player};
};

} // namespace fotarel::swf::avm1::test
