// The desktop program as a process: single instance and start-up endings.
#include "tests/app/gui_helpers.h"
#include "tests/support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace fotarel::test;

namespace {

// A program folder with its own copy of the executable, so that the working
// folder beside it is the test's own.
struct Installed {
    TempTree tree;
    QString program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    Installed()
    {
        program = tree.path("fotarel");
        QFile::copy(QStringLiteral(FOTAREL_PROGRAM), program);
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        tree.mkdir("run");
        QFile::setPermissions(tree.path("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", tree.path("run"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
    }

    void start(QProcess& p) const
    {
        p.setProcessEnvironment(env);
        p.start(program, {});
        p.waitForStarted();
    }
};

} // namespace

TEST(Program, ASecondStartEndsAtOnceAndACrashedFirstDoesNotBlock)
{
    Installed inst;
    addTemplate(inst.tree, "a1", descriptionIni("|heng|", "|0|", "|0|", 1, 125));
    QProcess first;
    inst.start(first);
    ASSERT_TRUE(waitUntil([&] { return inst.tree.exists("smxcwjj/wj_0_or_1/wj_1_jy"); }, 20000));
    // Work of the running session that a second start must leave alone.
    inst.tree.write("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp", "thumb");
    inst.tree.write("smxcwjj/wj_0_or_2/wjj_00_j_y/sentinel", "x");

    QProcess second;
    inst.start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(inst.tree.exists("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"));
    EXPECT_TRUE(inst.tree.exists("smxcwjj/wj_0_or_2/wjj_00_j_y/sentinel"));
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill(); // a crash: no clean-up runs
    first.waitForFinished(5000);
    EXPECT_TRUE(inst.tree.exists("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"));

    QProcess third;
    inst.start(third);
    // The next start runs its start-up and removes what the crashed one left.
    EXPECT_TRUE(waitUntil([&] { return !inst.tree.exists("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"); }, 20000));
    EXPECT_EQ(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished(5000);
}

TEST(Program, AWrongMarkerEndsWithCodeZeroAndNamesThePackage)
{
    Installed inst;
    addTemplate(inst.tree, "bad", "[l_x_w_j_s_y]\nl_x_w_j_s_y=x\n");
    QProcess p;
    inst.start(p);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains("bad.rar"));
    EXPECT_FALSE(inst.tree.exists("smxcwjj/tp_wj"));
}
