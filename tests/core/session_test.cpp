#include "core/session.h"
#include "core/table_names.h"

#include <gtest/gtest.h>

#include <stdexcept>

using fotarel::Session;

TEST(Session, CatalogueStartsWithItsInitialTexts)
{
    const Session s;
    const std::pair<const char*, const char*> expected[] = {
        {"Edit_VCDSVCDDVD_leixing", "DVD"},
        {"Edit_VCDSVCDDVD_zhishi", "PAL"},
        {"Edit_huanmian_zhiliang", "gaoqing_huazhi"},
        {"Edit_tongbu_shezhi", "sui_zhaopian_tongbu"},
        {"Edit_kuozhanming_1", ".rar"},
        {"Edit_kuozhanming_2", ".rar"},
        {"Edit_kuozhanming_3", ".rar"},
        {"Edit_kuozhanming_5", ".jpg"},
        {"Edit_kuozhanming_7", ".bmp"},
        {"Edit_mobanleijia_sum", "0"},
        {"Edit_chuli_zhaopianchicun_num", "0"},
        {"Edit_xiangpian_Width", "180"},
        {"Edit_xiangpian_Height", "180"},
        {"Edit_tubiao_liebiao", "tubiao"},
        {"Edit_xiangpian_down_id", "wu"},
        {"Edit_shuangji_yulan_or_qitacaozuo", "Edit_shuangji_yulan_or_qitacaozuo"},
        {"Edit_Image_chakanxiangpian_T_or_F", "Edit_Image_chakanxiangpian_T_or_F"},
        {"Edit_xianshikuang_pailie", "0"},
        {"Edit_xianshikuang_pailie_yinyue", "0"},
        {"Edit_xianshikuang_pailie_geci", "0"},
        {"Edit_MouseDown_kaiguan_geci", ""},
        {"Edit_Panel_xianshikuang_daxiao_yinyue", ""},
        {"Edit_chakankongjian_shiyong_2", ""},
        {"Edit_chakankongjian_shiyong_yinyue2", ""},
        {"Edit_chakankongjian_shiyong_geci2", ""},
        {"Edit_tuodong_kaiguan", "Edit_tuodong_kaiguan"},
        {"Edit_tuodong_huhuan_yes_id", ""},
        {"Edit_x", "Edit_x"},
        {"Edit_dongtaikongjian_y", "Edit_dongtaikongjian_y"},
        {"Edit_jiemian", "kaishibuju"},
        {"Edit_jiance_chushihua", "0"},
        {"xiangce_xiangdao_buzhou", ""},
    };
    for (const auto& [name, initial] : expected) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(s.hasVariable(QString::fromLatin1(name)));
        EXPECT_EQ(s.get(QString::fromLatin1(name)), QString::fromLatin1(initial));
    }
}

TEST(Session, ValuesStayTextAndUnknownNamesAreRefused)
{
    Session s;
    s.set("Edit_mobanleijia_sum", "007");
    EXPECT_EQ(s.get("Edit_mobanleijia_sum"), "007");
    EXPECT_EQ(s.getInt("Edit_mobanleijia_sum"), 7);
    s.set("Edit_mobanleijia_sum", "abc");
    EXPECT_EQ(s.getInt("Edit_mobanleijia_sum", -1), -1);
    EXPECT_THROW(s.get("Edit_no_such_thing"), std::logic_error);
    EXPECT_THROW(s.set("Edit_no_such_thing", "1"), std::logic_error);
    EXPECT_THROW(s.table("ListView_no_such_table"), std::logic_error);
}

TEST(Session, OnlyTheThreeHoverVariablesNotifyAndOnlyWithText)
{
    Session s;
    QStringList seen;
    s.setHoverListener([&](const QString& var, const QString& tile) { seen.append(var + "=" + tile); });
    s.set("Edit_chakankongjian_shiyong_2", "Imagem_3");
    s.set("Edit_chakankongjian_shiyong_yinyue2", "Imagemyinyue_0");
    s.set("Edit_chakankongjian_shiyong_geci2", "");
    s.set("Edit_chakankongjian_shiyong", "Imagem_3,0");
    s.set("Edit_chakankongjian_shiyong_geci2", "Imagemgeci_1");
    EXPECT_EQ(seen, (QStringList{"Edit_chakankongjian_shiyong_2=Imagem_3",
                                 "Edit_chakankongjian_shiyong_yinyue2=Imagemyinyue_0",
                                 "Edit_chakankongjian_shiyong_geci2=Imagemgeci_1"}));
}

TEST(Session, IndexesTheTablesWithTheirCaptions)
{
    const Session s;
    for (const char* name : {"ListBox_saomiaomobanwenjian", "ListView_mobancanshu", "ListView_gaojimoban",
                             "ListView_shuzhaopian_suijishu_wei_1", "ListView_daoruxiangpian", "suiListView_ksc",
                             "ListView_Label", "ListBox_LRC_3"})
        EXPECT_TRUE(s.hasTable(QString::fromLatin1(name))) << name;
    EXPECT_EQ(s.table(fotarel::tables::Templates).columnCaptions().value(10), "模板swf总帧数");
    EXPECT_EQ(s.table(fotarel::tables::Landscape).columnCaptions().value(9), "序号");
    EXPECT_EQ(s.table(fotarel::tables::LandscapeCandidates).columnCaptions().value(9), "模板所在序号");
    EXPECT_EQ(s.table(fotarel::tables::Portrait).columnCaptions().size(), 13);
}
