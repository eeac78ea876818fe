// The catalogue of the main window's session variables with their initial
// texts, and the index of its tables.
#include "core/session.h"
#include "core/extension_names.h"
#include "core/table_names.h"

#include "audio/audio_names.h"
#include "effects/caption_columns.h"
#include "karaoke/karaoke_names.h"
#include "photos/photo_columns.h"

namespace fotarel {

namespace {

void definePlaceholder(Session& s, const QString& name)
{
    // These start with their own name as text and are always written before
    // they are first read.
    s.define(name, name);
}

void defineTileArea(Session& s, const QString& suffix, const QString& hoverNameVariable)
{
    s.define("Edit_xianshikuang_pailie" + suffix, "0");
    s.define("Edit_MouseDown_kaiguan" + suffix, "");
    s.define("Edit_MouseDown" + suffix, "");
    s.define("Edit_MouseDown_kuangdu" + suffix, "");
    s.define("Edit_Height_chazhi" + suffix, "");
    s.define("Edit_Panel_xianshikuang_daxiao" + suffix, "");
    s.define("Edit_chakankongjian_shiyong" + suffix, "");
    s.define(hoverNameVariable, "");
}

QStringList templateColumns()
{
    return {"模板类型", "模板分类", "相片数量", "相片宽度", "相片高度", "竖照横照",
            "相片JPG名称", "位置", "分类标注", "序号", "模板swf总帧数"};
}

QStringList classColumns(const QString& pairColumn)
{
    return {"模板类型", "模板分类", "相片数量", "相片宽度", "相片高度", "竖照横照",
            "相片JPG名称", "位置", "分类标注", pairColumn, "横照几张", "竖照几张", "模板swf总帧数"};
}

} // namespace

void defineSessionCatalogue(Session& s)
{
    // Output settings.
    s.define("Edit_VCDSVCDDVD_leixing", "DVD");
    s.define("Edit_VCDSVCDDVD_zhishi", "PAL");
    s.define("Edit_huanmian_zhiliang", "gaoqing_huazhi");
    s.define("Edit_tongbu_shezhi", "sui_zhaopian_tongbu");

    // Working file-name extensions (constants).
    s.define(extensions::Movie, ".rar");
    s.define(extensions::Picture, ".rar");
    s.define(extensions::GroupPicture, ".rar");
    s.define(extensions::Jpeg, ".jpg");
    s.define(extensions::Bitmap, ".bmp");

    // Template fitting and thumbnails.
    s.define("Edit_mobanleijia_sum", "0");
    s.define("Edit_chuli_zhaopianchicun_num", "0");
    s.define("Edit_xiangpian_Width", "180");
    s.define("Edit_xiangpian_Height", "180");

    // Area view and selection, shared by the three areas.
    s.define("Edit_tubiao_liebiao", "tubiao");
    s.define("Edit_xiangpian_down_id", "wu");
    definePlaceholder(s, "Edit_shuangji_yulan_or_qitacaozuo");
    definePlaceholder(s, "Edit_Image_chakanxiangpian_T_or_F");

    // Tile areas: photos (plain names), music ("_yinyue"), lyrics ("_geci").
    defineTileArea(s, "", "Edit_chakankongjian_shiyong_2");
    defineTileArea(s, "_yinyue", "Edit_chakankongjian_shiyong_yinyue2");
    defineTileArea(s, "_geci", "Edit_chakankongjian_shiyong_geci2");

    // Drag and hover on the main window.
    definePlaceholder(s, "Edit_tuodong_kaiguan");
    s.define("Edit_tuodong_down_x", "");
    s.define("Edit_tuodong_down_y", "");
    s.define("Edit_tuodong_huhuan_down_x", "");
    s.define("Edit_tuodong_huhuan_down_y", "");
    s.define("Edit_tuodong_huhuan_yes_or_no", "");
    s.define("Edit_tuodong_huhuan_yes_id", "");
    definePlaceholder(s, "Edit_x");
    definePlaceholder(s, "Edit_y");
    definePlaceholder(s, "Edit_dongtaikongjian_x");
    definePlaceholder(s, "Edit_dongtaikongjian_y");

    // Layout and karaoke.
    s.define("Edit_jiemian", "kaishibuju");
    s.define("Edit_jiance_chushihua", "0");

    // The album-wizard step, held by no control.
    s.define("xiangce_xiangdao_buzhou", "");

    // Template library.
    s.defineTable(tables::ScannedFiles);
    s.defineTable(tables::PairLines);
    s.defineTable(tables::PairDescriptions);
    s.defineTable(tables::PairMovies);
    s.defineTable(tables::Templates, templateColumns());

    // Classification.
    s.defineTable(tables::Landscape, classColumns("序号"));
    s.defineTable(tables::Portrait, classColumns("序号"));
    s.defineTable(tables::Mixed, classColumns("序号"));
    s.defineTable(tables::OrientationBars);
    s.defineTable(tables::OrientationItems);
    s.defineTable(tables::SizeBars);
    s.defineTable(tables::SlotWidths);
    s.defineTable(tables::SlotHeights);
    s.defineTable(tables::LandscapeCandidates, classColumns("模板所在序号"));
    s.defineTable(tables::LandscapeSingleCandidates, classColumns("模板所在序号"));
    s.defineTable(tables::PortraitCandidates, classColumns("模板所在序号"));
    s.defineTable(tables::PortraitSingleCandidates, classColumns("模板所在序号"));

    // Photos, music, lyrics, karaoke and text effects: their owners give the
    // columns when they fill them.
    namespace audio_names = audio::names;
    for (const QLatin1StringView name :
         {photo_tables::Photos, photo_tables::Batch, photo_tables::DragScratch, photo_tables::Visible,
          audio_names::MusicTable, audio_names::MusicSwap, audio_names::MusicList, audio_names::LyricTable,
          audio_names::LyricSwap, audio_names::LyricList, audio_names::LrcLines, audio_names::LrcRows,
          audio_names::LrcTimed, audio_names::LrcBox1, audio_names::LrcBox2, audio_names::LrcHeaders,
          karaoke::names::KaraokeTable, effects::kCaptionTable, effects::kPictureEffectTable})
        s.defineTable(name);
}

} // namespace fotarel
