// The render window's state: its hidden fields, the template-use and
// template sequence tables, the frame and audio lists and its three logs.
#include "core/session.h"

namespace fotarel {

void defineCatalogue_renderpass(Session& session)
{
    session.define(QStringLiteral("Edit_dongtaichuangjian_Flash_kaiguan"), QString());
    session.define(QStringLiteral("Edit_moban_zhizuo_num"), QStringLiteral("-1"));
    session.define(QStringLiteral("Edit_leijiazhen_num"), QStringLiteral("-1"));
    session.define(QStringLiteral("Edit_Num"), QStringLiteral("0"));
    session.define(QStringLiteral("Edit_zuihoumoban_kaiguan"), QStringLiteral("butongguo"));
    session.define(QStringLiteral("Edit_wancheng"), QString());
    session.define(QStringLiteral("Edit_shijian"), QString());
    session.define(QStringLiteral("Edit_Falsh_wuxiao_jiance02"), QString());
    session.define(QStringLiteral("edVideoOut"), QString());
    session.define(QStringLiteral("edAudioOut"), QString());
    session.define(QStringLiteral("Edit_shijian_lrc"), QStringLiteral("0"));
    session.define(QStringLiteral("Edit_shijian_lrc_num"), QStringLiteral("0"));
    session.define(QStringLiteral("Edit_lrc_kaiguan"), QStringLiteral("tingzhi"));
    session.define(QStringLiteral("suiEdit_baocunwenjianming"), QString());
    session.define(QStringLiteral("CheckBox_daikai_wenjianjia"), QStringLiteral("False"));

    const QStringList useColumns{QStringLiteral("序号"),           QStringLiteral("模板文件夹"),
                                 QStringLiteral("对应主模板编号"), QStringLiteral("对应模板所需照片数量"),
                                 QStringLiteral("模板地址"),       QStringLiteral("模板_竖照横照"),
                                 QStringLiteral("模板_相片JPG名称"), QStringLiteral("模板swf总帧数"),
                                 QStringLiteral("解压后的模板地址")};
    session.defineTable(QStringLiteral("ListView_moban_shiyong_shuliang"), useColumns);
    session.defineTable(QStringLiteral("ListView_moban_shiyong_shuliang_2"), useColumns);
    for (const char* name : {"ListBox_Video", "ListBox_Audio", "ListBox_jiazai_FLASH_xianshi",
                             "ListBox_cuowu_yichang_xianshi", "lstProgress"})
        session.defineTable(QString::fromLatin1(name));
}

} // namespace fotarel
