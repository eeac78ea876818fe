#include "audio/lyric_table.h"

#include "core/colours.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace fotarel::audio {

namespace {

const QString kBold = QStringLiteral("cuti");
const QString kItalic = QStringLiteral("xieti");
const QString kUnderline = QStringLiteral("xiahuaxian");
const QString kHorizontalWords[] = {QStringLiteral("zuobian"), QStringLiteral("juzhong"), QStringLiteral("youbian")};
const QString kVerticalWords[] = {QStringLiteral("shangmian"), QStringLiteral("zhongjian"), QStringLiteral("xiamian")};
const QString kHorizontalTexts[] = {QStringLiteral("歌词左边"), QStringLiteral("歌词居中"), QStringLiteral("歌词右边")};
const QString kVerticalTexts[] = {QStringLiteral("歌词在上面"), QStringLiteral("歌词在中间"), QStringLiteral("歌词在下面")};

QString cellOf(const Row& row, int column)
{
    return column < row.size() ? row[column] : QString();
}

template <typename Enum, std::size_t N>
std::optional<Enum> wordIndex(const QString (&words)[N], const QString& word)
{
    for (std::size_t i = 0; i < N; ++i)
        if (words[i] == word)
            return static_cast<Enum>(i);
    return std::nullopt;
}

} // namespace

LyricStyle styleOfRow(const Row& row)
{
    LyricStyle style;
    const QString colourName = cellOf(row, LyricCol::ColourName);
    if (!colourName.isEmpty())
        style.colourName = colourName;
    bool ok = false;
    const unsigned value = cellOf(row, LyricCol::ColourValue).toUInt(&ok);
    if (ok)
        style.colourValue = value & 0xFFFFFFu;
    const int size = cellOf(row, LyricCol::Size).toInt(&ok);
    if (ok && size > 0)
        style.size = std::min(size, 400);
    const QString font = cellOf(row, LyricCol::Font);
    if (!font.isEmpty())
        style.font = font;
    style.bold = cellOf(row, LyricCol::Bold) == kBold;
    style.italic = cellOf(row, LyricCol::Italic) == kItalic;
    style.underline = cellOf(row, LyricCol::Underline) == kUnderline;
    style.horizontal = wordIndex<LyricStyle::Horizontal>(kHorizontalWords, cellOf(row, LyricCol::Horizontal))
                           .value_or(LyricStyle::Horizontal::Centre);
    style.vertical = wordIndex<LyricStyle::Vertical>(kVerticalWords, cellOf(row, LyricCol::Vertical))
                         .value_or(LyricStyle::Vertical::Bottom);
    style.outline = outlineOfRow(row, LyricCol::Outline);
    return style;
}

void writeStyle(Row& row, const LyricStyle& style)
{
    while (row.size() <= LyricCol::Vertical)
        row.append(QString());
    row[LyricCol::ColourName] = style.colourName;
    row[LyricCol::ColourValue] = QString::number(style.colourValue);
    row[LyricCol::Size] = QString::number(style.size);
    row[LyricCol::Font] = style.font;
    row[LyricCol::Bold] = style.bold ? kBold : kNone;
    row[LyricCol::Italic] = style.italic ? kItalic : kNone;
    row[LyricCol::Underline] = style.underline ? kUnderline : kNone;
    row[LyricCol::Horizontal] = kHorizontalWords[static_cast<int>(style.horizontal)];
    row[LyricCol::Vertical] = kVerticalWords[static_cast<int>(style.vertical)];
    writeOutline(row, LyricCol::Outline, style.outline);
}

QFont lyricFont(const LyricStyle& style, int panelWidth)
{
    QFont font(style.font);
    const int points = style.size * panelWidth / kSamplePanelWidth;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 4.0 / 3.0))));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

QPoint lyricPosition(const LyricStyle& style, QSize panel, QSize textSize, int margin)
{
    int left = margin;
    switch (style.horizontal) {
    case LyricStyle::Horizontal::Left:
        left = margin;
        break;
    case LyricStyle::Horizontal::Centre:
        left = (panel.width() - textSize.width()) / 2;
        break;
    case LyricStyle::Horizontal::Right:
        left = panel.width() - textSize.width() - margin;
        break;
    }
    int top = margin;
    switch (style.vertical) {
    case LyricStyle::Vertical::Top:
        top = margin;
        break;
    case LyricStyle::Vertical::Middle:
        top = (panel.height() - textSize.height()) / 2;
        break;
    case LyricStyle::Vertical::Bottom:
        top = panel.height() - textSize.height() - margin;
        break;
    }
    return {left, top};
}

Row lyricRow(int number, const QString& path)
{
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    Row row(LyricCol::Vertical + 1);
    row[LyricCol::Number] = QString::number(number);
    row[LyricCol::Name] = fileName.left(std::max<qsizetype>(0, fileName.size() - 4));
    row[LyricCol::Type] = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    row[LyricCol::Path] = path;
    row[LyricCol::SongKey] = kNone;
    row[LyricCol::SongName] = kNone;
    writeStyle(row, LyricStyle{});
    return row;
}

QString fontStyleText(const LyricStyle& style)
{
    QString text;
    if (style.bold)
        text += QStringLiteral("[粗体]");
    if (style.italic)
        text += QStringLiteral("[斜体]");
    if (style.underline)
        text += QStringLiteral("[下划线]");
    return text;
}

Row lyricListRow(const Row& lyric, int number)
{
    const LyricStyle style = styleOfRow(lyric);
    const QString song = cellOf(lyric, LyricCol::SongName);
    auto wordText = [&lyric](int column, const QString (&words)[3], const QString (&texts)[3]) {
        for (int i = 0; i < 3; ++i)
            if (cellOf(lyric, column) == words[i])
                return texts[i];
        return QString();
    };
    return Row{QString::number(number),
               cellOf(lyric, LyricCol::Name),
               cellOf(lyric, LyricCol::Type),
               cellOf(lyric, LyricCol::Path),
               song == kNone || song.isEmpty() ? kNoSongText : song,
               colourDisplayName(cellOf(lyric, LyricCol::ColourName)),
               cellOf(lyric, LyricCol::Size),
               cellOf(lyric, LyricCol::Font),
               fontStyleText(style),
               wordText(LyricCol::Horizontal, kHorizontalWords, kHorizontalTexts),
               wordText(LyricCol::Vertical, kVerticalWords, kVerticalTexts)};
}

std::optional<LyricHint> lyricHint(const Session& session, const QString& tileName)
{
    static const QString prefix = QStringLiteral("Imagemgeci_");
    if (!tileName.startsWith(prefix))
        return std::nullopt;
    bool ok = false;
    const int row = tileName.mid(prefix.size()).toInt(&ok);
    const Table& lyrics = session.table(names::LyricTable);
    if (!ok || row < 0 || row >= lyrics.rowCount())
        return std::nullopt;
    LyricHint hint;
    hint.name = lyrics.cell(row, LyricCol::Name);
    hint.type = lyrics.cell(row, LyricCol::Type).toUpper();
    hint.state = lyrics.cell(row, LyricCol::SongKey) == kNone ? kNoSongText : QStringLiteral("已绑定音乐");
    const QString song = lyrics.cell(row, LyricCol::SongName);
    hint.song = song == kNone ? QStringLiteral("无") : song;
    hint.number = row + 1;
    return hint;
}

void rebuildLyricList(Session& session)
{
    const Table& lyrics = session.table(names::LyricTable);
    Table& list = session.table(names::LyricList);
    list.clear();
    for (int i = 0; i < lyrics.rowCount(); ++i)
        list.appendRow(lyricListRow(lyrics.row(i), i + 1));
}

void refreshMusicListBindings(Session& session)
{
    const Table& songs = session.table(names::MusicTable);
    Table& list = session.table(names::MusicList);
    for (int i = 0; i < list.rowCount() && i < songs.rowCount(); ++i) {
        const QString lyric = songs.cell(i, MusicCol::LyricName);
        list.setCell(i, MusicListCol::Lyric, lyric == kNone ? kNoLyricText : lyric);
    }
}

void setRowStyle(Session& session, int row, const LyricStyle& style)
{
    Table& lyrics = session.table(names::LyricTable);
    if (row < 0 || row >= lyrics.rowCount())
        return;
    writeStyle(lyrics.row(row), style);
    Table& list = session.table(names::LyricList);
    if (row < list.rowCount())
        list.row(row) = lyricListRow(lyrics.row(row), row + 1);
}

void exchangeLyricRows(Session& session, int a, int b)
{
    exchangeRows(session, {names::LyricTable, names::LyricSwap, names::LyricList, names::LyricListSwap}, a, b);
}

std::optional<int> lyricRowOfSong(const Session& session, int songRow)
{
    const Table& songs = session.table(names::MusicTable);
    const Table& lyrics = session.table(names::LyricTable);
    if (lyrics.isEmpty() || songRow < 0 || songRow >= songs.rowCount())
        return std::nullopt;
    // An unbound song shows no lyrics: "wu" is no key, and another song's
    // lines over it would be wrong.
    const QString key = songs.cell(songRow, MusicCol::LyricKey);
    if (key.isEmpty() || key == kNone)
        return std::nullopt;
    for (int i = lyrics.rowCount() - 1; i >= 0; --i)
        if (lyrics.cell(i, LyricCol::SongKey) == key)
            return i;
    return std::nullopt;
}

} // namespace fotarel::audio
