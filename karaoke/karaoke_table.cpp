#include "karaoke/karaoke_table.h"

#include "audio/music_table.h"
#include "core/colours.h"

#include <QFileInfo>

#include <algorithm>

namespace fotarel::karaoke {

namespace {

QString flag(bool on)
{
    return on ? QStringLiteral("T") : QStringLiteral("F");
}

QString cellOf(const Row& row, int column)
{
    return column < row.size() ? row[column] : QString();
}

unsigned colourValue(const Row& row, int valueColumn, int nameColumn, unsigned fallback)
{
    bool ok = false;
    const unsigned value = cellOf(row, valueColumn).toUInt(&ok);
    if (ok)
        return value;
    return colourValueForName(cellOf(row, nameColumn)).value_or(fallback);
}

} // namespace

QStringList karaokeListColumns()
{
    return {"序号", "歌词名称", "歌词颜色", "渲染颜色", "歌词字体", "歌词大小", "粗体",
            "斜体", "下划线", "歌词位置", "简体或繁体"};
}

KaraokeStyle KaraokeStyle::dialogDefaults()
{
    KaraokeStyle style;
    style.bold = false;
    return style;
}

KaraokeStyle styleOfRow(const Row& row)
{
    const KaraokeStyle defaults;
    KaraokeStyle style;
    style.baseName = cellOf(row, KscCol::BaseName);
    style.sungName = cellOf(row, KscCol::SungName);
    style.baseValue = colourValue(row, KscCol::BaseValue, KscCol::BaseName, defaults.baseValue);
    style.sungValue = colourValue(row, KscCol::SungValue, KscCol::SungName, defaults.sungValue);
    style.font = cellOf(row, KscCol::Font);
    if (style.font.isEmpty())
        style.font = defaults.font;
    bool ok = false;
    const int size = cellOf(row, KscCol::Size).toInt(&ok);
    style.size = ok && size > 0 ? std::clamp(size, 1, 200) : defaults.size;
    style.bold = cellOf(row, KscCol::Bold) == QLatin1String("T");
    style.italic = cellOf(row, KscCol::Italic) == QLatin1String("T");
    style.underline = cellOf(row, KscCol::Underline) == QLatin1String("T");
    style.script = cellOf(row, KscCol::Script) == QLatin1String("fanti") ? QStringLiteral("fanti")
                                                                           : QStringLiteral("jianti");
    style.outline = outlineOfRow(row, KscCol::Outline);
    return style;
}

void applyStyle(Row& row, const KaraokeStyle& style)
{
    while (row.size() < KscCol::kCount)
        row.append(QString());
    row[KscCol::BaseName] = style.baseName;
    row[KscCol::BaseValue] = QString::number(style.baseValue);
    row[KscCol::SungName] = style.sungName;
    row[KscCol::SungValue] = QString::number(style.sungValue);
    row[KscCol::Font] = style.font;
    row[KscCol::Size] = QString::number(style.size);
    row[KscCol::Bold] = flag(style.bold);
    row[KscCol::Italic] = flag(style.italic);
    row[KscCol::Underline] = flag(style.underline);
    row[KscCol::Script] = style.script;
    writeOutline(row, KscCol::Outline, style.outline);
}

Row karaokeRow(int number, const QString& path)
{
    Row row(KscCol::kCount);
    row[KscCol::Number] = QString::number(number);
    const QString fileName = QFileInfo(path).fileName();
    row[KscCol::Name] = fileName.left(std::max<qsizetype>(0, fileName.size() - 4));
    row[KscCol::Path] = path;
    applyStyle(row, KaraokeStyle{});
    return row;
}

Row karaokeListRow(const Row& row)
{
    auto used = [&row](int column) {
        return cellOf(row, column) == QLatin1String("T") ? QStringLiteral("使用") : QStringLiteral("无");
    };
    return Row{cellOf(row, KscCol::Number), cellOf(row, KscCol::Name), colourDisplayName(cellOf(row, KscCol::BaseName)),
               colourDisplayName(cellOf(row, KscCol::SungName)), cellOf(row, KscCol::Font), cellOf(row, KscCol::Size),
               used(KscCol::Bold), used(KscCol::Italic), used(KscCol::Underline), cellOf(row, KscCol::Path),
               cellOf(row, KscCol::Script) == QLatin1String("fanti") ? QStringLiteral("繁体")
                                                                       : QStringLiteral("简体")};
}

int importKaraokeFiles(Session& session, const QStringList& paths, const QString& forSong)
{
    Table& table = session.table(names::KaraokeTable);
    for (const QString& path : paths) {
        Row row = karaokeRow(table.rowCount() + 1, path);
        if (&path == &paths.front())
            row[KscCol::Song] = forSong;
        table.appendRow(row);
    }
    return static_cast<int>(paths.size());
}

void deleteKaraokeRows(Session& session, std::vector<int> indices)
{
    Table& table = session.table(names::KaraokeTable);
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        if (*it >= 0 && *it < table.rowCount())
            table.removeRow(*it);
    }
    audio::renumber(table);
}

void deleteAllKaraokeRows(Session& session)
{
    session.table(names::KaraokeTable).clear();
}

std::vector<int> karaokeRowsOfSongs(const Session& session)
{
    const Table& songs = session.table(audio::names::MusicTable);
    const Table& files = session.table(names::KaraokeTable);
    std::vector<int> shown(static_cast<std::size_t>(songs.rowCount()), -1);
    std::vector<bool> taken(static_cast<std::size_t>(files.rowCount()), false);
    auto songPath = [&](int s) { return songs.cell(s, audio::MusicCol::Path); };
    auto usable = [&](int k) { return !files.cell(k, KscCol::Path).isEmpty(); };

    // Files imported for a song; the latest import wins.
    for (int k = files.rowCount() - 1; k >= 0; --k) {
        const QString song = files.cell(k, KscCol::Song);
        if (!usable(k) || song.isEmpty())
            continue;
        for (int s = 0; s < songs.rowCount(); ++s) {
            if (songPath(s) != song)
                continue;
            taken[static_cast<std::size_t>(k)] = true; // a file for a song never goes to another one
            if (shown[static_cast<std::size_t>(s)] < 0)
                shown[static_cast<std::size_t>(s)] = k;
        }
    }
    auto isFree = [&](int k) { return usable(k) && !taken[static_cast<std::size_t>(k)]; };
    auto take = [&](int s, int k) {
        shown[static_cast<std::size_t>(s)] = k;
        taken[static_cast<std::size_t>(k)] = true;
    };
    // Files named after a song.
    for (int s = 0; s < songs.rowCount(); ++s) {
        if (shown[static_cast<std::size_t>(s)] >= 0)
            continue;
        const QString name = QFileInfo(songPath(s)).completeBaseName();
        for (int k = 0; k < files.rowCount(); ++k) {
            if (isFree(k) &&
                QFileInfo(files.cell(k, KscCol::Path)).completeBaseName().compare(name, Qt::CaseInsensitive) == 0) {
                take(s, k);
                break;
            }
        }
    }
    // Then row to row.
    for (int q = 0; q < songs.rowCount() && q < files.rowCount(); ++q)
        if (shown[static_cast<std::size_t>(q)] < 0 && isFree(q))
            take(q, q);
    return shown;
}

std::vector<MatchRow> matchRows(const Session& session)
{
    const Table& songs = session.table(audio::names::MusicTable);
    const Table& files = session.table(names::KaraokeTable);
    const std::vector<int> shown = karaokeRowsOfSongs(session);
    std::vector<MatchRow> rows;
    std::vector<bool> paired(static_cast<std::size_t>(files.rowCount()), false);
    for (int s = 0; s < songs.rowCount(); ++s) {
        MatchRow row;
        row.song = songs.cell(s, audio::MusicCol::Name);
        if (const int k = shown[static_cast<std::size_t>(s)]; k >= 0) {
            row.lyric = files.cell(k, KscCol::Name);
            paired[static_cast<std::size_t>(k)] = true;
        }
        rows.push_back(row);
    }
    for (int k = 0; k < files.rowCount(); ++k)
        if (!paired[static_cast<std::size_t>(k)] && !files.cell(k, KscCol::Path).isEmpty())
            rows.push_back({QString(), files.cell(k, KscCol::Name)});
    return rows;
}

} // namespace fotarel::karaoke
