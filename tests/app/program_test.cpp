// The desktop program as a process: single instance and start-up endings.
#include "tests/app/gui_helpers.h"
#include "tests/support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

using namespace fotarel::test;

namespace {

// A program folder with its own copy of the executable (its template library
// beside it), and a user data folder of the test's own, where the session's
// working tree is.
struct Installed {
    TempTree tree;
    QString program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    // The session's working tree.
    static QString work(const QString& relative) { return "data/Fotarel/" + relative; }

    Installed()
    {
        program = tree.path("fotarel");
        QFile::copy(QStringLiteral(FOTAREL_PROGRAM), program);
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        tree.mkdir("run");
        QFile::setPermissions(tree.path("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", tree.path("run"));
        env.insert("XDG_DATA_HOME", tree.path("data"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
    }

    void start(QProcess& p, const QStringList& arguments = {}) const
    {
        p.setProcessEnvironment(env);
        p.start(program, arguments);
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
    ASSERT_TRUE(waitUntil([&] { return inst.tree.exists(inst.work("smxcwjj/wj_0_or_1/wj_1_jy")); }, 20000));
    // Work of the running session that a second start must leave alone.
    inst.tree.write(inst.work("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"), "thumb");
    inst.tree.write(inst.work("smxcwjj/wj_0_or_2/wjj_00_j_y/sentinel"), "x");

    QProcess second;
    inst.start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(inst.tree.exists(inst.work("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp")));
    EXPECT_TRUE(inst.tree.exists(inst.work("smxcwjj/wj_0_or_2/wjj_00_j_y/sentinel")));
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill(); // a crash: no clean-up runs
    first.waitForFinished(5000);
    EXPECT_TRUE(inst.tree.exists(inst.work("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp")));

    QProcess third;
    inst.start(third);
    // The next start runs its start-up and removes what the crashed one left.
    EXPECT_TRUE(waitUntil([&] { return !inst.tree.exists(inst.work("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp")); }, 20000));
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
    EXPECT_FALSE(inst.tree.exists(inst.work("smxcwjj/tp_wj")));
}

TEST(Program, OpensTheAlbumProjectItIsGivenWithTheTemplatesOfItsOwnLibrary)
{
    Installed inst;
    addTemplate(inst.tree, "a1", descriptionIni("|heng|", "|0|", "|0|", 1, 125));
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(Qt::darkCyan);
    const QString photoPath = inst.tree.path("p1.jpg");
    ASSERT_TRUE(photo.save(photoPath, "JPG"));
    // One photo in one group, its template named as a project names it.
    const QString row = QStringLiteral(R"(["1", "%1", "p1", ".jpg", "64", "48", "heng_zhao", "1", "0", "a", "1",
        "picture_1", "a1.rar", "0", "0", "|0|", "|0|", "|heng|", "", "125", "jiancai_no", "jiancai_no"])")
                            .arg(photoPath);
    inst.tree.write("album.fotarel",
                    QStringLiteral(R"({"fotarel_album": 1, "settings": {}, "tables": {"ListView_daoruxiangpian": [%1]}})")
                        .arg(row)
                        .toUtf8());
    QProcess p;
    inst.start(p, {inst.tree.path("album.fotarel")});
    // The group's movie is unpacked from the library into the session's tree.
    EXPECT_TRUE(waitUntil([&] { return inst.tree.exists(inst.work("smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/w_j_1.rar")); },
                          20000));
    EXPECT_EQ(p.state(), QProcess::Running);
    // Nothing of the session is written beside the program.
    EXPECT_FALSE(inst.tree.exists("smxcwjj/tp_wjj"));
    EXPECT_FALSE(inst.tree.exists("smxcwjj/tp_wj"));
    p.kill();
    p.waitForFinished(5000);
}

TEST(Program, AnswersVersionWithoutAWindowSystem)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FOTAREL_PROGRAM), {"--version"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).startsWith("fotarel "));
}
