#pragma once

// LRC lyric files: the parse into tag rows and header rows, the timed lines
// a song shows, and the "mm:ss" time key of a second.
//
// A line's tags are its bracket pairs, paired from the right ("]" k with
// "[" k); a tag takes the text up to the next tag, and every tag of a run of
// directly adjacent tags takes the text after the run. Tags that read as a
// time ("mm:ss", "m:ss", with ".xx" or ":xx" hundredths and anything after)
// time a line; "ti", "ar", "al" and "by" tags become header rows; "offset"
// shifts every line (a positive value shows the lines sooner, as players do).

#include "core/session.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace fotarel::audio::lrc {

// Files larger than this are not read: a real lyric file is a few kilobytes.
inline constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

// One row of the parse result: a tag and its text, or a header key and its value.
struct TagRow {
    QString tag;
    QString text;
    friend bool operator==(const TagRow&, const TagRow&) = default;
};

struct Parse {
    QStringList lines;        // every line of the file, in order (ListView_LRC_1)
    QList<TagRow> rows;       // tag rows in file order, each line's tags right to left, then headers
    QStringList headerLines;  // "[ti:...]"-style header tags as written (ListBox_LRC_3)
    qint64 offsetMs = 0;      // the [offset:...] tag's value, 0 without one
};

// The parse of decoded text (lines end at LF or CR LF; other CRs are dropped;
// U+001A ends the text).
Parse parseText(const QString& text);

// Milliseconds of a tag that reads as a time, empty otherwise. Minutes may
// have one to four digits; seconds are two digits below 60; the hundredths
// after "." or ":" may have any number of digits (the first three count);
// whatever follows is ignored.
std::optional<qint64> tagTime(const QString& tag);

// Enhanced-LRC word times ("<mm:ss.xx>") removed from a line's text.
QString withoutWordTimes(const QString& text);

enum class ReadError { None, Unreadable, TooLarge, Empty, Binary, NoTimedLine };

struct FileParse {
    Parse parse;
    ReadError error = ReadError::None;
};

// Reads and parses an LRC file (BOM, then valid UTF-8, else GB18030).
// `error` tells why a file shows nothing: it cannot be read, is larger than
// kMaxFileBytes, is empty, holds binary data, or has no timed line.
FileParse readFile(const QString& path);

// The lines a song shows: each timed line from its own time (offset applied,
// never before 0) until the next one; between the start and the first line
// nothing shows.
struct TimedLine {
    qint64 ms = 0;
    QString text;
    friend bool operator==(const TimedLine&, const TimedLine&) = default;
};

class Timeline {
public:
    Timeline() = default;
    explicit Timeline(const Parse& parse);

    bool isEmpty() const { return lines_.empty(); }
    const std::vector<TimedLine>& lines() const { return lines_; }

    // The index of the line that shows at `songMs`, -1 when none does. Lines
    // with the same time: the first in the file wins. After 60 minutes the
    // minutes fold back by 60 (61:05 shows what 01:05 shows).
    int indexAt(qint64 songMs) const;
    QString textAt(qint64 songMs) const;

private:
    std::vector<TimedLine> lines_; // by time; equal times in parse order
};

// Position in a song after folding minutes above 60 back by 60.
qint64 foldedMs(qint64 songMs);

// "mm:ss" of whole seconds: minutes above 60 fold back by 60 (3600 gives
// 60:00, 3660 gives 01:00).
QString timeKey(qint64 seconds);

// Fills the session's LRC tables from a parse: ListView_LRC_1 (numbered
// lines), ListView_LRC_2 (tag and header rows, numbered), ListView_LRC_3
// (("00:00", "") then every row), ListBox_LRC_3 (header tags); the two
// scratch lists are left empty.
void storeParse(Session& session, const Parse& parse);
// Empties the six LRC tables.
void clearParse(Session& session);

} // namespace fotarel::audio::lrc
