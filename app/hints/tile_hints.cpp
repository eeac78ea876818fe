#include "app/hints/tile_hints.h"

#include "audio/music_table.h"
#include "photos/photo_columns.h"

namespace fotarel::app {

namespace {

std::optional<int> rowOf(const QString& tileName, const QString& prefix, const Table& table)
{
    if (!tileName.startsWith(prefix))
        return std::nullopt;
    bool ok = false;
    const int row = tileName.mid(prefix.size()).toInt(&ok);
    if (!ok || row < 0 || row >= table.rowCount())
        return std::nullopt;
    return row;
}

std::optional<TileHintContent> photoHint(const Session& session, const QString& tileName)
{
    const Table& photos = session.table(photo_tables::Photos);
    const auto row = rowOf(tileName, QStringLiteral("Imagem_"), photos);
    if (!row)
        return std::nullopt;
    const int r = *row;
    const QString orientation = photos.cell(r, PhotoCol::Orientation) == kLandscapePhoto
                                    ? QStringLiteral("横照相片")
                                    : QStringLiteral("竖照相片");
    return TileHintContent{
        QStringLiteral("TForm31"),
        {{QStringLiteral("相片名称："), photos.cell(r, PhotoCol::Name)},
         {QStringLiteral("相片类型："), photos.cell(r, PhotoCol::Extension).toUpper()},
         {QStringLiteral("相片尺寸："), photos.cell(r, PhotoCol::Width) + QLatin1Char('*') + photos.cell(r, PhotoCol::Height)},
         {QStringLiteral("横照竖照："), orientation},
         {QStringLiteral("相片序号："), QString::number(r + 1)}},
        QStringLiteral("提示：按住鼠标左键可以调整相片位置顺序")};
}

std::optional<TileHintContent> musicHint(const Session& session, const QString& tileName)
{
    const auto hint = audio::musicHint(session, tileName);
    if (!hint)
        return std::nullopt;
    return TileHintContent{QStringLiteral("TForm32"),
                           {{QStringLiteral("音乐名称："), hint->name},
                            {QStringLiteral("音乐类型："), hint->type},
                            {QStringLiteral("音乐时长："), hint->length},
                            {QStringLiteral("绑定状态："), hint->state},
                            {QStringLiteral("绑定歌词："), hint->lyricFile},
                            {QStringLiteral("音乐序号："), QString::number(hint->number)}},
                           QStringLiteral("提示：按住鼠标左键可以调整音乐位置顺序")};
}

std::optional<TileHintContent> lyricHint(const Session& session, const QString& tileName)
{
    if (!session.hasTable(audio::names::LyricTable))
        return std::nullopt;
    const Table& lyrics = session.table(audio::names::LyricTable);
    const auto row = rowOf(tileName, QStringLiteral("Imagemgeci_"), lyrics);
    if (!row)
        return std::nullopt;
    const int r = *row;
    constexpr int kType = 2;
    const bool bound = lyrics.cell(r, audio::LyricCol::SongKey) != audio::kNone;
    const QString song = lyrics.cell(r, audio::LyricCol::SongName);
    return TileHintContent{QStringLiteral("TForm33"),
                           {{QStringLiteral("歌词名称："), lyrics.cell(r, audio::LyricCol::Name)},
                            {QStringLiteral("歌词类型："), lyrics.cell(r, kType).toUpper()},
                            {QStringLiteral("绑定状态："), bound ? QStringLiteral("已绑定音乐") : audio::kNoSongText},
                            {QStringLiteral("绑定音乐："), song == audio::kNone ? QStringLiteral("无") : song},
                            {QStringLiteral("歌词序号："), QString::number(r + 1)}},
                           QStringLiteral("提示：按住鼠标左键可以调整歌词位置顺序")};
}

} // namespace

std::optional<TileHintContent> tileHintFor(const Session& session, const QString& hoverVariable,
                                           const QString& tileName)
{
    if (hoverVariable == QLatin1String("Edit_chakankongjian_shiyong_2"))
        return photoHint(session, tileName);
    if (hoverVariable == QLatin1String("Edit_chakankongjian_shiyong_yinyue2"))
        return musicHint(session, tileName);
    if (hoverVariable == QLatin1String("Edit_chakankongjian_shiyong_geci2"))
        return lyricHint(session, tileName);
    return std::nullopt;
}

} // namespace fotarel::app
