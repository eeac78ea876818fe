#include "engine/exit_command.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

TEST(Exit, AsksWithTheFixedTexts)
{
    ScriptedUi ui;
    ui.confirmAnswers = {false, true};
    EXPECT_FALSE(confirmExit(ui));
    EXPECT_TRUE(confirmExit(ui));
    EXPECT_EQ(ui.confirmations, (QStringList{"退出本软件|确定要退出本软件吗？", "退出本软件|确定要退出本软件吗？"}));
}

TEST(Exit, RemovesExactlyTheSessionTreesAndListedFiles)
{
    TempTree t;
    const QStringList removed = {
        "smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp", "smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/w_j_1.rar",
        "smxcwjj/tp_wjj/pic/picture_0.rar", "smxcwjj/wj_0_or_2/wjj_00_j_y/wjj_00_j_y1-1.rar",
        "smxcwjj/wj_x_g_c_l_1/wj_x_g_c_l_1/wj_x_g_c_l_1/wj_x_g_c_l_1/x", "smxcwjj/wj_yl_xg_1/wj_yl_xg_1/y",
        "smxcwjj/wj_0_or_1/wj_1_jy/w_j_zuihou-3.rar", "smxcwjj/tp_slt_tp_0_1.png", "smxcwjj/tp_load/tp_load_1.bmp",
        "smxcwjj/tp_load/tp_load_1_2_1.jpg", "smxcwjj/wj_0_or_1/wj_1_jy.rar", "smxcwjj/tp_0/tp_slt_tp_0_1.png"};
    const QStringList kept = {"smxcwjj/wj_0_or_2/wjj_01/m.rar", "smxcwjj/wj_0_or_2/wjj_02/d.rar",
                              "smxcwjj/wj_0_or_1/wj_1.rar", "yinyuegeci/甜蜜蜜.lrc", "smxcwjj/tp_load/other.bmp",
                              "smxcwjj/wj_x_g_c_l_1/wj_x_g_c_l_1/sibling.txt"};
    for (const QString& f : removed + kept)
        t.write(f, "x");
    cleanWorkingTreeAtExit(WorkingFolder(t.root()));
    for (const QString& f : removed)
        EXPECT_FALSE(t.exists(f)) << f.toStdString();
    for (const QString& f : kept)
        EXPECT_TRUE(t.exists(f)) << f.toStdString();
    for (const char* gone : {"smxcwjj/tp_wj", "smxcwjj/tp_wjj", "smxcwjj/wj_0_or_2/wjj_00_j_y", "smxcwjj/wj_yl_xg_1",
                             "smxcwjj/wj_0_or_1/wj_1_jy"})
        EXPECT_FALSE(t.exists(gone)) << gone;
    EXPECT_TRUE(t.exists("smxcwjj/tp_load"));
}
