#pragma once

// Names of the render window's session variables and tables, and the working
// files of a render pass (relative to the program folder, "\" separated).

#include <QString>

namespace fotarel::render {

namespace vars {
inline const QString PlayerCreated = QStringLiteral("Edit_dongtaichuangjian_Flash_kaiguan");
inline const QString SequenceIndex = QStringLiteral("Edit_moban_zhizuo_num");
inline const QString MovieFrame = QStringLiteral("Edit_leijiazhen_num");
inline const QString AlbumFrame = QStringLiteral("Edit_Num");
inline const QString EndingSwitch = QStringLiteral("Edit_zuihoumoban_kaiguan");
inline const QString Picture0Done = QStringLiteral("Edit_wancheng");
inline const QString AlbumTime = QStringLiteral("Edit_shijian");
inline const QString PlayerCheck = QStringLiteral("Edit_Falsh_wuxiao_jiance02");
inline const QString VideoOut = QStringLiteral("edVideoOut");
inline const QString AudioOut = QStringLiteral("edAudioOut");
inline const QString LyricTime = QStringLiteral("Edit_shijian_lrc");
inline const QString LyricTimeNum = QStringLiteral("Edit_shijian_lrc_num");
inline const QString LyricSwitch = QStringLiteral("Edit_lrc_kaiguan");
inline const QString OutputFileName = QStringLiteral("suiEdit_baocunwenjianming");
inline const QString OpenFolderWhenDone = QStringLiteral("CheckBox_daikai_wenjianjia");
inline const QString GroupCount = QStringLiteral("Edit_mobanleijia_sum");
} // namespace vars

inline const QString kPlayerCreatedWord = QStringLiteral("yi_chuangjian_Falsh");
inline const QString kEndingOff = QStringLiteral("butongguo");
inline const QString kEndingOn = QStringLiteral("tongguo");
inline const QString kPicture0Done = QStringLiteral("picture_0_wancheng");

namespace tables {
inline const QString TemplateUse = QStringLiteral("ListView_moban_shiyong_shuliang");
inline const QString Sequence = QStringLiteral("ListView_moban_shiyong_shuliang_2");
inline const QString FrameList = QStringLiteral("ListBox_Video");
inline const QString AudioList = QStringLiteral("ListBox_Audio");
inline const QString LoadLog = QStringLiteral("ListBox_jiazai_FLASH_xianshi");
inline const QString ErrorLog = QStringLiteral("ListBox_cuowu_yichang_xianshi");
inline const QString ConversionLog = QStringLiteral("lstProgress");
} // namespace tables

// Cells of the template-use and template sequence tables.
namespace UseCol {
enum : int {
    Number = 0,
    Folder = 1,
    TemplateNumber = 2,
    PhotoCount = 3,
    Package = 4,
    Orientations = 5,
    JpgNames = 6,
    FrameCount = 7,
    MoviePath = 8,
    Count = 9,
};
}

namespace files {
inline const QString FrameFile = QStringLiteral("smxcwjj\\tp_load\\tp_load_1");        // + ".bmp"
inline const QString LastFrame = QStringLiteral("smxcwjj\\tp_load\\tp_load_1_2_1");    // + ".bmp" / ".jpg"
inline const QString CarryOver = QStringLiteral("smxcwjj\\tp_wjj\\pic\\picture_0");    // + ".rar" / ".jpg"
inline const QString GroupFolder = QStringLiteral("smxcwjj\\tp_wjj\\tp_wjj\\tp_wjj_");  // + n + "\\w_j_" + n + ".rar"
inline const QString EndingMovie = QStringLiteral("smxcwjj\\tp_wjj\\tp_wjj\\tp_wjj_zuihou\\w_j_zuihou");
} // namespace files

} // namespace fotarel::render
