#include "core/session.h"
#include "core/table_names.h"
#include "engine/startup.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

struct StartupRun {
    TempTree tree;
    Session session;
    ScriptedUi ui;
    QStringList steps;

    StartupReport start()
    {
        SingleInstanceGuard guard(tree.path("test.lock"));
        StartupHooks hooks;
        hooks.prepareWindow = [this] { steps << "window"; };
        hooks.placeAreas = [this] { steps << "areas"; };
        hooks.applyStartLayout = [this] { steps << "layout"; };
        hooks.startWizardTimer = [this] { steps << "wizard"; };
        return runStartup(session, WorkingFolder(tree.root()), guard, ui, hooks);
    }
};

QByteArray landscape()
{
    return descriptionIni("|heng|", "|0|", "|0|", 1, 125);
}

} // namespace

TEST(Startup, OnAMissingTreeCreatesTheFourFoldersAndLoadsTheLibrary)
{
    StartupRun run;
    addTemplate(run.tree, "a1", landscape());
    addTemplate(run.tree, "a2", descriptionIni("|shu|shu|", "|400|400|", "|600|600|", 2, 150));
    run.session.set("xiangce_xiangdao_buzhou", "xiangce_xiangdao_tianjiayinyue");

    const StartupReport r = run.start();
    EXPECT_EQ(r.outcome, StartupOutcome::Ready);
    EXPECT_EQ(run.steps, (QStringList{"window", "areas", "layout", "layout", "wizard"}));
    EXPECT_EQ(run.session.get("xiangce_xiangdao_buzhou"), "");
    for (const char* folder : {"smxcwjj/tp_wj/tp_slt_1", "smxcwjj/tp_wj/tp_slt_2", "smxcwjj/tp_wj/tp_slt_3",
                               "smxcwjj/wj_0_or_1/wj_1_jy", "smxcwjj/wj_0_or_2/wjj_00_j_y"})
        EXPECT_TRUE(QFileInfo(run.tree.path(folder)).isDir()) << folder;
    EXPECT_FALSE(run.tree.exists("smxcwjj/tp_wjj"));
    EXPECT_EQ(run.session.table(tables::Templates).rowCount(), 2);
    EXPECT_EQ(run.session.table(tables::Landscape).rowCount(), 1);
    EXPECT_EQ(run.session.table(tables::Portrait).cell(0, 11), "2");
    EXPECT_TRUE(run.ui.messages.isEmpty());
}

TEST(Startup, RemovesWhatAnEarlierSessionLeftButKeepsLibraryAndSamples)
{
    StartupRun run;
    addTemplate(run.tree, "a1", landscape());
    const QStringList leftovers = {"smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp", "smxcwjj/tp_wj/tp_slt_2/tp_slt_2_1.bmp",
                                   "smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/w_j_1.rar", "smxcwjj/tp_wjj/pic/picture_0.rar",
                                   "smxcwjj/wj_yl_xg_1/wj_yl_xg_1/x.rar", "smxcwjj/wj_0_or_1/wj_1_jy/w_j_zuihou-1.rar",
                                   "smxcwjj/tp_load/tp_load_1.bmp", "smxcwjj/tp_0/tp_slt_1_0.png",
                                   "smxcwjj/wj_0_or_1/wj_1_jy.rar"};
    for (const QString& f : leftovers)
        run.tree.write(f, "old");
    run.tree.write("smxcwjj/tp_load/keep_me.bmp", "not on the list");
    run.tree.write("smxcwjj/wj_0_or_1/wj_1.rar", "ending");
    run.tree.write("yinyuegeci/甜蜜蜜.mp3", "song");
    // A read-only thumbnail stays, and so does its folder; start-up goes on.
    run.tree.write("smxcwjj/tp_wj/tp_slt_3/locked.bmp", "ro");
    QFile::setPermissions(run.tree.path("smxcwjj/tp_wj/tp_slt_3/locked.bmp"), QFileDevice::ReadOwner);

    EXPECT_EQ(run.start().outcome, StartupOutcome::Ready);
    for (const QString& f : leftovers)
        EXPECT_FALSE(run.tree.exists(f)) << f.toStdString();
    EXPECT_FALSE(run.tree.exists("smxcwjj/tp_wjj/tp_wjj"));
    EXPECT_FALSE(run.tree.exists("smxcwjj/tp_wjj/pic"));
    EXPECT_FALSE(run.tree.exists("smxcwjj/wj_yl_xg_1"));
    EXPECT_TRUE(run.tree.exists("smxcwjj/tp_wj/tp_slt_1"));
    EXPECT_TRUE(run.tree.exists("smxcwjj/tp_load/keep_me.bmp"));
    EXPECT_TRUE(run.tree.exists("smxcwjj/wj_0_or_1/wj_1.rar"));
    EXPECT_TRUE(run.tree.exists("yinyuegeci/甜蜜蜜.mp3"));
    EXPECT_TRUE(run.tree.exists("smxcwjj/wj_0_or_2/wjj_02/a1.rar"));
    EXPECT_TRUE(run.tree.exists("smxcwjj/tp_wj/tp_slt_3/locked.bmp"));
    EXPECT_EQ(run.steps.last(), "wizard");
}

TEST(Startup, ReportsSkippedTemplatesOnceBeforeTheWizard)
{
    StartupRun run;
    addTemplate(run.tree, "a1", landscape());
    run.tree.write("smxcwjj/wj_0_or_2/wjj_02/a2.rar", "broken");
    run.tree.write("smxcwjj/wj_0_or_2/wjj_01/a2.rar", "broken");
    run.tree.write("smxcwjj/wj_0_or_2/wjj_01/a3.rar", "lonely movie");
    const StartupReport r = run.start();
    EXPECT_EQ(r.outcome, StartupOutcome::Ready);
    EXPECT_EQ(r.skippedTemplates.size(), 2);
    ASSERT_EQ(run.ui.messages.size(), 1);
    EXPECT_TRUE(run.ui.messages.first().startsWith("以下模板文件无法使用，已跳过："));
    EXPECT_TRUE(run.ui.messages.first().contains("a2.rar"));
    EXPECT_TRUE(run.ui.messages.first().contains("a3.rar"));
    EXPECT_EQ(run.session.table(tables::Templates).rowCount(), 1);
}

TEST(Startup, AWrongMarkerEndsBeforeTheWorkingFoldersAreTouched)
{
    StartupRun run;
    addTemplate(run.tree, "a1", "[l_x_w_j_s_y]\nl_x_w_j_s_y=nope\n");
    run.tree.write("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp", "old");
    const StartupReport r = run.start();
    EXPECT_EQ(r.outcome, StartupOutcome::InvalidTemplateMarker);
    EXPECT_TRUE(r.detail.endsWith("a1.rar"));
    EXPECT_EQ(run.steps, QStringList{"window"});
    EXPECT_TRUE(run.tree.exists("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"));
    EXPECT_TRUE(run.ui.messages.isEmpty());
}

TEST(Startup, AFolderThatCannotBeCreatedEndsWithOneMessage)
{
    StartupRun run;
    addTemplate(run.tree, "a1", landscape());
    run.tree.write("smxcwjj/tp_wj", "a file where a folder must go");
    const StartupReport r = run.start();
    EXPECT_EQ(r.outcome, StartupOutcome::FolderUnavailable);
    ASSERT_EQ(run.ui.messages.size(), 1);
    EXPECT_TRUE(run.ui.messages.first().startsWith("无法创建文件夹："));
    EXPECT_TRUE(run.ui.messages.first().contains("tp_slt_1"));
    EXPECT_FALSE(run.steps.contains("wizard"));
}

TEST(Startup, ASecondInstanceTouchesNothing)
{
    TempTree tree;
    addTemplate(tree, "a1", landscape());
    tree.write("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp", "running session's thumbnail");
    SingleInstanceGuard first(tree.path("shared.lock"));
    ASSERT_TRUE(first.acquire());

    Session session;
    ScriptedUi ui;
    SingleInstanceGuard second(tree.path("shared.lock"));
    const StartupReport r = runStartup(session, WorkingFolder(tree.root()), second, ui);
    EXPECT_EQ(r.outcome, StartupOutcome::AnotherInstanceRunning);
    EXPECT_TRUE(tree.exists("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"));
    EXPECT_FALSE(tree.exists("smxcwjj/wj_0_or_2/wjj_00_j_y"));
    EXPECT_EQ(session.table(tables::Templates).rowCount(), 0);
}
