#include "karaoke/ksc_file.h"

#include "core/text_decode.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace fotarel::karaoke {

namespace {

constexpr QChar kQuote = u'\'';
constexpr int kMaxProblems = 200;

void addProblem(KscDocument& doc, int fileLine, const QString& text)
{
    if (doc.problems.size() < kMaxProblems)
        doc.problems.append(QStringLiteral("第 %1 行：%2").arg(fileLine).arg(text));
    else if (doc.problems.size() == kMaxProblems)
        doc.problems.append(QStringLiteral("……还有更多问题未列出"));
}

// UTF-16 without a byte-order mark: KSC lines are mostly ASCII, so every
// other byte is zero.
std::optional<QStringDecoder::Encoding> bomlessUtf16(const QByteArray& bytes)
{
    if (bytes.size() < 4 || bytes.size() % 2 != 0 || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return std::nullopt;
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    const qsizetype pairs = bytes.size() / 2;
    if (oddZeros * 10 >= pairs * 6 && evenZeros * 10 < pairs)
        return QStringDecoder::Utf16LE;
    if (evenZeros * 10 >= pairs * 6 && oddZeros * 10 < pairs)
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

QString decodeKsc(const QByteArray& bytes)
{
    if (const auto utf16 = bomlessUtf16(bytes)) {
        QStringDecoder decoder(*utf16);
        return decoder.decode(bytes);
    }
    return decodeText(bytes);
}

// Text files made by hand or by tools: controls other than tab, line ends
// and the Ctrl-Z end mark mean this is not a text file.
bool looksBinary(const QString& text)
{
    qsizetype controls = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0)
            return true;
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != 0x1A)
            ++controls;
    }
    return controls * 100 > text.size();
}

// Lines end at LF or CR LF; a CR elsewhere is dropped; Ctrl-Z ends the file.
QStringList splitLines(QString text)
{
    const qsizetype end = text.indexOf(QChar(0x1A));
    if (end >= 0)
        text.truncate(end);
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        line.remove(u'\r');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The texts between pairs of quotes; "\'" inside a field is a quote of the
// text and "\\" a backslash. `closed` tells whether the last quote was paired.
QStringList quotedFields(QStringView line, bool* closed)
{
    QStringList fields;
    bool open = false;
    QString field;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (!open) {
            if (c == kQuote) {
                open = true;
                field.clear();
            }
            continue;
        }
        if (c == u'\\' && i + 1 < line.size() && (line[i + 1] == kQuote || line[i + 1] == u'\\')) {
            field.append(line[++i]);
            continue;
        }
        if (c == kQuote) {
            open = false;
            fields.append(field);
            continue;
        }
        field.append(c);
    }
    *closed = !open;
    return fields;
}

struct UnitSplit {
    std::vector<QString> texts;
    bool unclosedGroup = false;
    bool strayClose = false;
};

// One unit per character outside brackets (a surrogate pair is one
// character), one per "[...]" group.
UnitSplit splitUnits(QStringView lyric)
{
    UnitSplit split;
    qsizetype i = 0;
    while (i < lyric.size()) {
        const QChar c = lyric[i];
        if (c == u'[') {
            const qsizetype close = lyric.indexOf(u']', i + 1);
            if (close < 0) {
                // No end: the "[" is dropped and what follows are plain characters.
                split.unclosedGroup = true;
                ++i;
                continue;
            }
            split.texts.push_back(lyric.mid(i + 1, close - i - 1).toString());
            i = close + 1;
            continue;
        }
        if (c == u']') {
            split.strayClose = true;
            ++i;
            continue;
        }
        const qsizetype len = (c.isHighSurrogate() && i + 1 < lyric.size() && lyric[i + 1].isLowSurrogate()) ? 2 : 1;
        split.texts.push_back(lyric.mid(i, len).toString());
        i += len;
    }
    return split;
}

struct Durations {
    std::vector<int> ms;
    QStringList bad;
};

Durations splitDurations(const QString& speedText)
{
    Durations d;
    if (speedText.trimmed().isEmpty())
        return d;
    const QStringList parts = speedText.split(u',');
    for (const QString& part : parts) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (!ok || value < 0 || value > kMaxDurationMs) {
            d.bad.append(part.trimmed());
            d.ms.push_back(0);
        } else {
            d.ms.push_back(value);
        }
    }
    return d;
}

QString tooLargeText()
{
    return QStringLiteral("卡拉OK歌词文件太大（超过 %1 KB），不是正常的卡拉OK歌词文件").arg(kMaxFileBytes / 1024);
}

QString quoted(const QString& text)
{
    return QStringLiteral("“%1”").arg(text.left(40));
}

// One "karaoke.add" line; false when the line cannot be used.
bool parseLine(KscDocument& doc, int fileLine, QStringView line, KscLine* out)
{
    bool closed = true;
    const QStringList fields = quotedFields(line, &closed);
    if (fields.size() < 4) {
        addProblem(doc, fileLine,
                   closed ? QStringLiteral("少于四个用引号括起的字段，已跳过")
                          : QStringLiteral("引号不成对，已跳过"));
        return false;
    }
    if (!closed)
        addProblem(doc, fileLine, QStringLiteral("行尾引号不成对，第四个字段之后的内容已忽略"));

    KscLine k;
    k.fileLine = fileLine;
    k.startText = fields[0];
    k.endText = fields[1];
    k.lyricText = fields[2];
    k.speedText = fields[3];
    const auto start = parseKscTime(k.startText);
    if (!start) {
        addProblem(doc, fileLine, QStringLiteral("开始时间%1无效，已跳过").arg(quoted(k.startText)));
        return false;
    }
    const auto end = parseKscTime(k.endText);
    if (!end) {
        addProblem(doc, fileLine, QStringLiteral("结束时间%1无效，已跳过").arg(quoted(k.endText)));
        return false;
    }
    k.startMs = *start;
    k.endMs = *end;

    const UnitSplit split = splitUnits(k.lyricText);
    if (static_cast<int>(split.texts.size()) > kMaxUnitsPerLine) {
        addProblem(doc, fileLine, QStringLiteral("一行超过 %1 个字，已跳过").arg(kMaxUnitsPerLine));
        return false;
    }
    if (split.unclosedGroup)
        addProblem(doc, fileLine, QStringLiteral("“[”没有对应的“]”，按单个字处理"));
    if (split.strayClose)
        addProblem(doc, fileLine, QStringLiteral("多余的“]”已忽略"));

    const Durations durations = splitDurations(k.speedText);
    if (!durations.bad.isEmpty())
        addProblem(doc, fileLine, QStringLiteral("时长%1不是有效的毫秒数，按 0 处理").arg(quoted(durations.bad.join(u','))));
    const std::size_t unitCount = split.texts.size();
    if (durations.ms.size() > unitCount)
        addProblem(doc, fileLine,
                   QStringLiteral("时长 %1 个，字 %2 个：多余的时长已忽略").arg(durations.ms.size()).arg(unitCount));
    else if (durations.ms.size() < unitCount)
        addProblem(doc, fileLine,
                   QStringLiteral("时长 %1 个，字 %2 个：缺少时长的字立即变色").arg(durations.ms.size()).arg(unitCount));

    k.units.reserve(unitCount);
    for (std::size_t u = 0; u < unitCount; ++u) {
        KscUnit unit;
        unit.text = split.texts[u];
        unit.durationMs = u < durations.ms.size() ? durations.ms[u] : 0;
        unit.frames = framesForDuration(unit.durationMs);
        k.units.push_back(std::move(unit));
    }

    if (k.endMs < k.startMs) {
        addProblem(doc, fileLine, QStringLiteral("结束时间早于开始时间，按唱完的时间处理"));
        k.endMs = k.startMs + k.totalFrames() * kMsPerFrame;
    }
    if (!doc.lines.empty() && k.startMs < doc.lines.back().startMs)
        addProblem(doc, fileLine, QStringLiteral("开始时间早于上一行"));
    *out = std::move(k);
    return true;
}

} // namespace

QString KscLine::text() const
{
    QString joined;
    for (const KscUnit& unit : units)
        joined += unit.text;
    return joined;
}

long long KscLine::totalFrames() const
{
    long long frames = 0;
    for (const KscUnit& unit : units)
        frames += unit.frames;
    return frames;
}

int framesForDuration(int ms)
{
    if (ms <= 0)
        return 0;
    const int whole = ms / kMsPerFrame;
    const int rest = ms % kMsPerFrame;
    const int half = kMsPerFrame / 2;
    if (rest > half || (rest == half && whole % 2 == 1))
        return whole + 1;
    return whole;
}

std::optional<qint64> parseKscTime(QStringView text)
{
    text = text.trimmed();
    const qsizetype colon = text.indexOf(u':');
    if (colon < 1 || colon > 3)
        return std::nullopt;
    const QStringView minutes = text.left(colon);
    QStringView rest = text.mid(colon + 1);
    QStringView fraction;
    const qsizetype dot = rest.indexOf(u'.');
    if (dot >= 0) {
        fraction = rest.mid(dot + 1);
        rest = rest.left(dot);
    }
    auto allDigits = [](QStringView s) {
        for (const QChar c : s)
            if (c < u'0' || c > u'9')
                return false;
        return !s.isEmpty();
    };
    if (!allDigits(minutes) || rest.size() != 2 || !allDigits(rest) || (dot >= 0 && !allDigits(fraction))
        || fraction.size() > 9)
        return std::nullopt;
    const qint64 seconds = rest.toInt();
    if (seconds >= 60)
        return std::nullopt;
    qint64 ms = (minutes.toLongLong() * 60 + seconds) * 1000;
    if (!fraction.isEmpty()) {
        // Decimal fraction of a second: .5 is 500 ms, .05 is 50 ms.
        QString digits = fraction.left(3).toString();
        while (digits.size() < 3)
            digits.append(u'0');
        ms += digits.toInt();
    }
    return ms;
}

KscDocument parseKsc(const QByteArray& bytes)
{
    KscDocument doc;
    if (bytes.isEmpty()) {
        doc.error = QStringLiteral("卡拉OK歌词文件是空的");
        return doc;
    }
    if (bytes.size() > kMaxFileBytes) {
        doc.error = tooLargeText();
        return doc;
    }
    const QString text = decodeKsc(bytes);
    if (looksBinary(text)) {
        doc.error = QStringLiteral("不是卡拉OK歌词文件（内容不是文字）");
        return doc;
    }
    const QStringList lines = splitLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = QStringView(lines[i]).trimmed();
        if (!line.startsWith(QLatin1StringView("karaoke.add")))
            continue;
        if (static_cast<int>(doc.lines.size()) >= kMaxLines) {
            addProblem(doc, static_cast<int>(i) + 1,
                       QStringLiteral("歌词超过 %1 行，其余已忽略").arg(kMaxLines));
            break;
        }
        KscLine parsed;
        if (parseLine(doc, static_cast<int>(i) + 1, line, &parsed))
            doc.lines.push_back(std::move(parsed));
    }
    if (doc.lines.empty()) {
        doc.error = doc.problems.isEmpty() ? QStringLiteral("文件中没有卡拉OK歌词行（karaoke.add）")
                                           : QStringLiteral("文件中没有可用的卡拉OK歌词行：") + doc.problems.first();
    }
    return doc;
}

KscDocument readKscFile(const QString& path)
{
    KscDocument doc;
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.exists()) {
        doc.error = QStringLiteral("卡拉OK歌词文件不存在：%1").arg(path);
        return doc;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        doc.error = QStringLiteral("卡拉OK歌词文件无法读取：%1").arg(path);
        return doc;
    }
    if (file.size() > kMaxFileBytes)
        doc.error = tooLargeText();
    else
        doc = parseKsc(file.readAll());
    if (!doc.ok())
        doc.error = name + QStringLiteral("：") + doc.error;
    return doc;
}

} // namespace fotarel::karaoke
