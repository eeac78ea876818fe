// The lyric area's tables with their column captions, the LRC parse tables,
// and the previews' state.
#include "audio/audio_names.h"
#include "core/session.h"

namespace fotarel {

void defineCatalogue_lyrics(Session& session)
{
    const QStringList lyricColumns = {"序号",         "歌词文件名",       "类型",       "位置",
                                      "绑定音乐",     "绑定音乐名称",     "歌词颜色",   "歌词颜色(数字)",
                                      "歌词大小",     "歌词字体",         "歌词粗体",   "歌词斜体",
                                      "歌词下划线",   "歌词左边居中右边", "歌词上面中间下面", "描边颜色",
                                      "描边颜色(数字)", "描边宽度"};
    const QStringList listColumns = {"序号",     "歌词文件名",   "歌词类型",   "歌词文件位置", "绑定音乐", "歌词颜色",
                                     "歌词大小", "歌词字体",     "歌词字体类型", "歌词左中右",   "歌词上中下"};
    session.defineTable(audio::names::LyricTable, lyricColumns);
    session.defineTable(audio::names::LyricSwap, lyricColumns);
    session.defineTable(audio::names::LyricList, listColumns);
    session.defineTable(audio::names::LyricListSwap, listColumns);

    session.defineTable(audio::names::LrcLines, {"序号", "歌词"});
    session.defineTable(audio::names::LrcRows, {"序号", "位置", "歌词"});
    session.defineTable(audio::names::LrcTimed, {"位置", "歌词"});
    for (const QLatin1StringView name : {audio::names::LrcBox1, audio::names::LrcBox2, audio::names::LrcHeaders})
        session.defineTable(name);

    // The previews' hidden field Edit_shijian_lrc_num: the lyric file row
    // whose style each window applies.
    session.define(QStringLiteral("TForm28.Edit_shijian_lrc_num"), QStringLiteral("0"));
    session.define(QStringLiteral("TForm29.Edit_shijian_lrc_num"), QStringLiteral("0"));
}

} // namespace fotarel
