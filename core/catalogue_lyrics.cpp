// The lyric area's tables with their column captions, the LRC parse tables,
// and the previews' state.
#include "core/session.h"

namespace fotarel {

void defineCatalogue_lyrics(Session& session)
{
    const QStringList lyricColumns = {"序号",         "歌词文件名",       "类型",       "位置",
                                      "绑定音乐",     "绑定音乐名称",     "歌词颜色",   "歌词颜色(数字)",
                                      "歌词大小",     "歌词字体",         "歌词粗体",   "歌词斜体",
                                      "歌词下划线",   "歌词左边居中右边", "歌词上面中间下面"};
    const QStringList listColumns = {"序号",     "歌词文件名",   "歌词类型",   "歌词文件位置", "绑定音乐", "歌词颜色",
                                     "歌词大小", "歌词字体",     "歌词字体类型", "歌词左中右",   "歌词上中下"};
    session.defineTable(QStringLiteral("ListView_daoru_LRC"), lyricColumns);
    session.defineTable(QStringLiteral("ListView_daorulrc_tuodong_linshi"), lyricColumns);
    session.defineTable(QStringLiteral("suiListView_geci_liebiao"), listColumns);
    session.defineTable(QStringLiteral("suiListView_tuodong_geci"), listColumns);

    session.defineTable(QStringLiteral("ListView_LRC_1"), {"序号", "歌词"});
    session.defineTable(QStringLiteral("ListView_LRC_2"), {"序号", "位置", "歌词"});
    session.defineTable(QStringLiteral("ListView_LRC_3"), {"位置", "歌词"});
    for (const char* name : {"ListBox_LRC_1", "ListBox_LRC_2", "ListBox_LRC_3"})
        session.defineTable(QString::fromLatin1(name));
}

} // namespace fotarel
