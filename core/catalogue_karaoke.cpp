// The karaoke table with its column captions and the lyric type choice of
// the dialog "歌词类型选择" (both are read by the render pass).
#include "core/session.h"
#include "karaoke/karaoke_names.h"

namespace fotarel {

void defineCatalogue_karaoke(Session& session)
{
    session.defineTable(karaoke::names::KaraokeTable,
                        {"序号", "歌词名称", "歌词颜色", "渲染颜色", "歌词字体", "歌词大小", "粗体", "斜体",
                         "下划线", "歌词位置", "歌词颜色(数字)", "渲染颜色(数字)", "简体或繁体", "对应音乐",
                         "描边颜色", "描边颜色(数字)", "描边宽度"});
    session.define(QStringLiteral("Edit1_shiyong_lrc_or_ksc"), QStringLiteral("shiyong_lrcksc"));
}

} // namespace fotarel
