// Session variables and table columns of the photo subsystem: import,
// fitting, cropping, work folders and editing.
#include "core/session.h"
#include "photos/photo_columns.h"

namespace fotarel {

namespace {

QStringList photoColumns()
{
    return {"序号", "位置", "文件名", "类型", "相片宽度", "相片高度", "竖照or横照", "模板文件夹",
            "对应主模板编号", "图片名称(测试使用)", "对应模板所需照片数量", "图片名称", "模板地址",
            "所需照片_宽度尺寸", "所需照片_高度尺寸", "模板_相片宽度", "模板_相片高度", "模板_竖照横照",
            "模板_相片JPG名称", "模板swf总帧数", "suoluotu_wancheng", "jiancai_wancheng", "剪裁区域", "手动剪裁"};
}

} // namespace

void defineCatalogue_photos(Session& s)
{
    const QStringList photo = photoColumns();
    s.defineTable(photo_tables::Photos, photo);
    s.defineTable(photo_tables::Batch, photo.mid(0, 20));
    s.defineTable(photo_tables::DragScratch, photo);
    s.defineTable(photo_tables::Visible,
                  {"序号", "文件名", "类型", "相片宽度", "相片高度", "竖照或横照", "模板绑定", "文件位置"});

    // The import window.
    s.define(QStringLiteral("Edit_daoru_moban_kaishishiyong_kaiguan"), QStringLiteral("kai"));
    s.define(QStringLiteral("Edit_wj_1_jy_leijia"), QStringLiteral("0"));
    s.define(QStringLiteral("Edit_str_mulu1"), QString());
    s.define(QStringLiteral("Edit_Width"), QStringLiteral("1920"));
    s.define(QStringLiteral("Edit_height"), QStringLiteral("1080"));
    s.define(QStringLiteral("Edit_Width_load"), QStringLiteral("Edit_Width_load"));
    s.define(QStringLiteral("Edit_height_load"), QStringLiteral("Edit_height_load"));
    s.define(QStringLiteral("Edit_zhaopian_dizhi"), QString());

    // The three "删除相片" windows.
    s.define(QStringLiteral("Edit_delete_leixing"), QStringLiteral("dan_ge_shang_chu"));
    s.define(QStringLiteral("Edit_delete_ID"), QStringLiteral("wu"));
    s.define(QStringLiteral("Edit_buchong_xuanxiang"), QStringLiteral("suiji_xuanze_xinxiangpian"));
}

} // namespace fotarel
