#pragma once

// Names of the render window's session variables and tables, and the working
// files of a render pass (relative to the program folder, "\" separated).

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

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

// The render window's variables with their initial texts and its tables with
// their column captions: the session catalogue defines them from these lists,
// and a pass hands back the tables and the variables it writes (`pass`) to
// the interface thread's session; the others are the window's inputs.
struct PassVariable {
    QString name;
    QString initial;
    bool pass; // written by the pass
};

inline std::vector<PassVariable> passVariables()
{
    return {
        {vars::PlayerCreated, QString(), true},
        {vars::SequenceIndex, QStringLiteral("-1"), true},
        {vars::MovieFrame, QStringLiteral("-1"), true},
        {vars::AlbumFrame, QStringLiteral("0"), true},
        {vars::EndingSwitch, kEndingOff, true},
        {vars::Picture0Done, QString(), true},
        {vars::AlbumTime, QString(), true},
        {vars::PlayerCheck, QString(), true},
        {vars::VideoOut, QString(), false},
        {vars::AudioOut, QString(), false},
        {vars::LyricTime, QStringLiteral("0"), true},
        {vars::LyricTimeNum, QStringLiteral("0"), true},
        {vars::LyricSwitch, QStringLiteral("tingzhi"), true},
        {vars::OutputFileName, QString(), false},
        {vars::OpenFolderWhenDone, QStringLiteral("False"), false},
    };
}

inline std::vector<std::pair<QString, QStringList>> passTables()
{
    const QStringList useColumns{QStringLiteral("序号"),           QStringLiteral("模板文件夹"),
                                 QStringLiteral("对应主模板编号"), QStringLiteral("对应模板所需照片数量"),
                                 QStringLiteral("模板地址"),       QStringLiteral("模板_竖照横照"),
                                 QStringLiteral("模板_相片JPG名称"), QStringLiteral("模板swf总帧数"),
                                 QStringLiteral("解压后的模板地址")};
    return {
        {tables::TemplateUse, useColumns}, {tables::Sequence, useColumns}, {tables::FrameList, {}},
        {tables::AudioList, {}},           {tables::LoadLog, {}},          {tables::ErrorLog, {}},
        {tables::ConversionLog, {}},
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
