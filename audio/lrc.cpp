#include "audio/lrc.h"

#include "audio/audio_names.h"
#include "core/text_decode.h"

#include <QFile>

#include <algorithm>

namespace fotarel::audio::lrc {

namespace {

// A bracket pair longer than this is no tag a player could use (a time is
// ten characters, a header a title); skipping it keeps a line of nested
// brackets from producing tags that together are quadratic in its length.
constexpr qsizetype kMaxTagLength = 1024;
constexpr qint64 kMaxOffsetMs = 3600 * 1000;
const QString kHeaderKeys[] = {QStringLiteral("ti"), QStringLiteral("ar"), QStringLiteral("al"),
                               QStringLiteral("by")};

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Splits one line into its tags, rightmost first.
void splitLine(const QString& line, QList<TagRow>& out)
{
    const qsizetype length = line.size();
    std::vector<qsizetype> closes;
    qsizetype opens = 0;
    qsizetype workingEnd = length;
    qsizetype previousOpen = -1;
    QString previousText;
    for (qsizetype p = length - 1; p >= 0; --p) {
        const QChar c = line.at(p);
        if (c == QLatin1Char(']')) {
            closes.push_back(p);
            continue;
        }
        if (c != QLatin1Char('['))
            continue;
        const qsizetype k = opens;
        if (k >= static_cast<qsizetype>(closes.size()))
            continue; // a "[" with no "]" left to pair with is text
        ++opens;
        const qsizetype close = closes[static_cast<std::size_t>(k)];
        QString text;
        if (k == 0)
            text = line.mid(close + 1);
        else if (close + 1 == previousOpen)
            text = previousText;
        else if (close + 1 < workingEnd)
            text = line.mid(close + 1, workingEnd - close - 1);
        const qsizetype tagLength = close - p - 1;
        if (tagLength <= kMaxTagLength)
            out.append(TagRow{line.mid(p + 1, tagLength), text});
        workingEnd = p;
        previousOpen = p;
        previousText = text;
    }
}

std::optional<qint64> parseOffset(const QString& tag)
{
    static const QString prefix = QStringLiteral("offset:");
    if (!tag.startsWith(prefix, Qt::CaseInsensitive))
        return std::nullopt;
    bool ok = false;
    const qint64 value = tag.mid(prefix.size()).trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::clamp(value, -kMaxOffsetMs, kMaxOffsetMs);
}

} // namespace

std::optional<qint64> tagTime(const QString& tag)
{
    qsizetype i = 0;
    const qsizetype n = tag.size();
    qint64 minutes = 0;
    while (i < n && isDigit(tag.at(i)) && i < 4) {
        minutes = minutes * 10 + tag.at(i).digitValue();
        ++i;
    }
    if (i == 0 || i >= n || tag.at(i) != QLatin1Char(':'))
        return std::nullopt;
    ++i;
    if (i + 2 > n || !isDigit(tag.at(i)) || !isDigit(tag.at(i + 1)))
        return std::nullopt;
    const qint64 seconds = tag.at(i).digitValue() * 10 + tag.at(i + 1).digitValue();
    if (seconds >= 60)
        return std::nullopt;
    i += 2;
    qint64 fraction = 0;
    if (i < n && (tag.at(i) == QLatin1Char('.') || tag.at(i) == QLatin1Char(':'))) {
        ++i;
        qint64 scale = 100;
        while (i < n && isDigit(tag.at(i))) {
            fraction += tag.at(i).digitValue() * scale;
            scale /= 10;
            ++i;
        }
    }
    return (minutes * 60 + seconds) * 1000 + fraction;
}

QString withoutWordTimes(const QString& text)
{
    if (!text.contains(QLatin1Char('<')))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i) == QLatin1Char('<')) {
            const qsizetype close = text.indexOf(QLatin1Char('>'), i + 1);
            if (close > i && close - i - 1 <= 16 && tagTime(text.mid(i + 1, close - i - 1))) {
                i = close + 1;
                continue;
            }
        }
        out.append(text.at(i));
        ++i;
    }
    return out;
}

Parse parseText(const QString& input)
{
    Parse parse;
    QString text = input;
    const qsizetype eof = text.indexOf(QChar(0x1A));
    if (eof >= 0)
        text.truncate(eof);
    text.remove(QLatin1Char('\r'));
    if (text.isEmpty())
        return parse;
    parse.lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        parse.lines.removeLast();

    QList<TagRow> rows;
    for (const QString& line : std::as_const(parse.lines))
        splitLine(line, rows);

    // Header tags leave the tag rows, key by key, and come back as header rows.
    QList<TagRow> headers;
    for (const QString& key : kHeaderKeys) {
        QList<TagRow> kept;
        kept.reserve(rows.size());
        for (TagRow& row : rows) {
            if (row.tag.startsWith(key)) {
                parse.headerLines.append(QLatin1Char('[') + row.tag + QLatin1Char(']'));
                headers.append(TagRow{key, row.tag.mid(3)});
            } else {
                kept.append(std::move(row));
            }
        }
        rows = std::move(kept);
    }
    for (const TagRow& row : std::as_const(rows)) {
        if (const std::optional<qint64> offset = parseOffset(row.tag)) {
            parse.offsetMs = *offset;
            break;
        }
    }
    parse.rows = std::move(rows);
    parse.rows.append(headers);
    return parse;
}

FileParse readFile(const QString& path)
{
    FileParse result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = ReadError::Unreadable;
        return result;
    }
    if (file.size() > kMaxFileBytes) {
        result.error = ReadError::TooLarge;
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) {
        result.error = file.error() == QFileDevice::NoError ? ReadError::Empty : ReadError::Unreadable;
        return result;
    }
    const QString text = decodeText(bytes);
    if (text.contains(QChar(0))) {
        result.error = ReadError::Binary;
        return result;
    }
    result.parse = parseText(text);
    if (Timeline(result.parse).isEmpty())
        result.error = ReadError::NoTimedLine;
    return result;
}

Timeline::Timeline(const Parse& parse)
{
    for (const TagRow& row : parse.rows) {
        const std::optional<qint64> ms = tagTime(row.tag);
        if (!ms)
            continue;
        lines_.push_back(TimedLine{std::max<qint64>(0, *ms - parse.offsetMs), withoutWordTimes(row.text)});
    }
    std::stable_sort(lines_.begin(), lines_.end(),
                     [](const TimedLine& a, const TimedLine& b) { return a.ms < b.ms; });
}

int Timeline::indexAt(qint64 songMs) const
{
    const qint64 at = foldedMs(songMs);
    // The last line whose time has come; among lines of one time the first.
    auto it = std::upper_bound(lines_.begin(), lines_.end(), at,
                               [](qint64 value, const TimedLine& line) { return value < line.ms; });
    if (it == lines_.begin())
        return -1;
    const qint64 time = std::prev(it)->ms;
    auto first = std::lower_bound(lines_.begin(), it, time,
                                  [](const TimedLine& line, qint64 value) { return line.ms < value; });
    return static_cast<int>(first - lines_.begin());
}

QString Timeline::textAt(qint64 songMs) const
{
    const int index = indexAt(songMs);
    return index < 0 ? QString() : lines_[static_cast<std::size_t>(index)].text;
}

qint64 foldedMs(qint64 songMs)
{
    if (songMs < 0)
        return 0;
    constexpr qint64 kMinute = 60 * 1000;
    qint64 minutes = songMs / kMinute;
    if (minutes > 60)
        minutes = (minutes - 1) % 60 + 1;
    return minutes * kMinute + songMs % kMinute;
}

QString timeKey(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    qint64 minutes = seconds / 60;
    if (minutes > 60)
        minutes = (minutes - 1) % 60 + 1;
    return QStringLiteral("%1:%2").arg(minutes, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void clearParse(Session& session)
{
    for (const QLatin1StringView name :
         {names::LrcLines, names::LrcRows, names::LrcTimed, names::LrcBox1, names::LrcBox2, names::LrcHeaders})
        session.table(name).clear();
}

void storeParse(Session& session, const Parse& parse)
{
    clearParse(session);
    Table& lines = session.table(names::LrcLines);
    for (const QString& line : parse.lines)
        lines.appendRow(Row{QString::number(lines.rowCount() + 1), line});
    Table& rows = session.table(names::LrcRows);
    Table& timed = session.table(names::LrcTimed);
    timed.appendRow(Row{QStringLiteral("00:00"), QString()});
    for (const TagRow& row : parse.rows) {
        rows.appendRow(Row{QString::number(rows.rowCount() + 1), row.tag, row.text});
        timed.appendRow(Row{row.tag, row.text});
    }
    Table& headers = session.table(names::LrcHeaders);
    for (const QString& header : parse.headerLines)
        headers.appendLine(header);
}

} // namespace fotarel::audio::lrc
