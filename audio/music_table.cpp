#include "audio/music_table.h"

#include <QFileInfo>

#include <algorithm>

namespace fotarel::audio {

namespace {

QString twoDigits(qint64 value)
{
    return value < 10 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}

// Moves row `from` of `table` into row `to` through `swap`, as one step of an
// exchange: swap holds the old content of `to` until it is written back.
void exchangeThrough(Table& table, Table& swap, int a, int b)
{
    swap.clear();
    swap.appendRow(table.row(a));
    table.row(a) = table.row(b);
    table.row(b) = swap.row(0);
    swap.clear();
}

} // namespace

QString lengthText(qint64 ms)
{
    // Whole seconds, the fraction dropped; but a song that sounds at all is
    // never listed as lasting nothing: under one second shows as one.
    const qint64 seconds = ms <= 0 ? 0 : std::max<qint64>(1, ms / 1000);
    return QStringLiteral("00:") + twoDigits(seconds / 60) + QStringLiteral(":") + twoDigits(seconds % 60);
}

qint64 framesNeeded(qint64 ms)
{
    // Every started 1/25 s counts, so the video always lasts as long as the
    // song it follows (35.5 s give 888 frames, not 875).
    return ms <= 0 ? 0 : (ms * kFramesPerSecond + 999) / 1000;
}

Row songRow(int number, const QString& path, qint64 lengthMs)
{
    const QString fileName = QFileInfo(path).fileName();
    const QString suffix = QFileInfo(path).suffix();
    Row row(8);
    row[MusicCol::Number] = QString::number(number);
    row[MusicCol::Name] = fileName.left(std::max<qsizetype>(0, fileName.size() - 4));
    row[MusicCol::Type] = suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
    row[MusicCol::Path] = path;
    row[MusicCol::Length] = lengthText(lengthMs);
    row[MusicCol::Frames] = QString::number(framesNeeded(lengthMs));
    row[MusicCol::LyricKey] = kNone;
    row[MusicCol::LyricName] = kNone;
    return row;
}

Row musicListRow(const Row& song, int number)
{
    auto cell = [&song](int column) { return column < song.size() ? song[column] : QString(); };
    const QString lyric = cell(MusicCol::LyricName);
    return Row{QString::number(number),
               cell(MusicCol::Name),
               cell(MusicCol::Type),
               cell(MusicCol::Length),
               cell(MusicCol::Path),
               lyric == kNone ? kNoLyricText : lyric};
}

std::optional<MusicHint> musicHint(const Session& session, const QString& tileName)
{
    static const QString prefix = QStringLiteral("Imagemyinyue_");
    if (!tileName.startsWith(prefix))
        return std::nullopt;
    bool ok = false;
    const int row = tileName.mid(prefix.size()).toInt(&ok);
    const Table& songs = session.table(names::MusicTable);
    if (!ok || row < 0 || row >= songs.rowCount())
        return std::nullopt;
    MusicHint hint;
    hint.name = songs.cell(row, MusicCol::Name);
    hint.type = songs.cell(row, MusicCol::Type).toUpper();
    hint.length = songs.cell(row, MusicCol::Length);
    hint.state = songs.cell(row, MusicCol::LyricKey) == kNone ? kNoLyricText : QStringLiteral("已绑定歌词");
    const QString lyric = songs.cell(row, MusicCol::LyricName);
    hint.lyricFile = lyric == kNone ? QStringLiteral("无") : lyric;
    hint.number = row + 1;
    return hint;
}

void renumber(Table& table)
{
    for (int i = 0; i < table.rowCount(); ++i)
        table.setCell(i, 0, QString::number(i + 1));
}

void exchangeRows(Session& session, const ExchangeTables& names, int a, int b)
{
    Table& rows = session.table(names.table);
    Table& list = session.table(names.list);
    if (a == b || a < 0 || b < 0 || a >= rows.rowCount() || b >= rows.rowCount())
        return;
    if (a < list.rowCount() && b < list.rowCount())
        exchangeThrough(list, session.table(names.listSwap), a, b);
    exchangeThrough(rows, session.table(names.swap), a, b);
    renumber(list);
    renumber(rows);
}

void exchangeSongRows(Session& session, int a, int b)
{
    exchangeRows(session, {names::MusicTable, names::MusicSwap, names::MusicList, names::MusicListSwap}, a, b);
}

} // namespace fotarel::audio
