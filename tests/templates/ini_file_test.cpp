#include "core/text_decode.h"
#include "templates/ini_file.h"

#include <gtest/gtest.h>

using fotarel::IniFile;

TEST(IniFile, SectionsAndKeysIgnoreCaseAndMissingKeysAreEmpty)
{
    const IniFile ini = IniFile::parse(
        "; comment\r\n[L_X_W_J_S_Y]\r\nL_x_w_j_s_y = s_y_l_x \r\n\r\n[1]\r\nMBLX=横照单张\r\nxpkd=|0|\r\n"
        "quoted=\"a b\"\r\nxpkd=|999|\r\nnoequals\r\n=novalue\r\n[1]\r\nmbdx=1\r\n");
    EXPECT_EQ(ini.value("l_x_w_j_s_y", "L_X_W_J_S_Y"), "s_y_l_x");
    EXPECT_EQ(ini.value("1", "mblx"), "横照单张");
    EXPECT_EQ(ini.value("1", "xpkd"), "|0|"); // the first of two keys counts
    EXPECT_EQ(ini.value("1", "quoted"), "a b");
    EXPECT_EQ(ini.value("1", "mbdx"), "");    // the second [1] section is not read
    EXPECT_EQ(ini.value("1", "missing"), "");
    EXPECT_EQ(ini.value("2", "mblx"), "");
    EXPECT_TRUE(ini.hasSection("l_X_w_j_s_y"));
}

TEST(IniFile, ReadsGbkAndUnixLineEnds)
{
    const QByteArray gbk = fotarel::encodeGb18030(QStringLiteral("[1]\nmbfl=全屏效果\nmblx=竖照两张\n"));
    const IniFile ini = IniFile::fromBytes(gbk);
    EXPECT_EQ(ini.value("1", "mbfl"), "全屏效果");
    EXPECT_EQ(ini.value("1", "mblx"), "竖照两张");
    EXPECT_EQ(IniFile::load("/nonexistent/file.ini").value("1", "mblx"), "");
}
