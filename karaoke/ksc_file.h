#pragma once

// KSC karaoke lyric files. A KSC file is a script of lines such as
//
//     karaoke.add('01:02.500', '01:05.000', '[ab]cd', '800,900,850');
//
// giving a line's start and end time, its text cut into units (one character,
// or the characters of a "[...]" group) and the time in milliseconds each unit
// takes to be sung. Other lines (the file's set-up script) are ignored.
//
// The reader never throws and never gives up on a whole file for one bad
// line: a line it cannot use is skipped and named in `problems`, a line it can
// repair is kept and named too. Only a file that is not a karaoke file at all
// (unreadable, empty, binary, absurdly large, without any karaoke line) gives
// an `error` and no lines.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace fotarel::karaoke {

inline constexpr int kFramesPerSecond = 25;
inline constexpr int kMsPerFrame = 1000 / kFramesPerSecond;

// Bounds against corrupt files. A real song's file is a few kilobytes with
// well under a hundred lines of a few dozen units.
inline constexpr qint64 kMaxFileBytes = 1024 * 1024;
inline constexpr int kMaxLines = 20000;
inline constexpr int kMaxUnitsPerLine = 500;
inline constexpr qint64 kMaxTimeMs = 100LL * 60 * 60 * 1000; // 100 hours
inline constexpr int kMaxDurationMs = 10 * 60 * 1000;        // 10 minutes for one unit

struct KscUnit {
    QString text;        // without its brackets
    int durationMs = 0;  // as written (0 when missing or not a number)
    int frames = 0;      // durationMs at 25 frames a second, halves to the even neighbour
};

struct KscLine {
    int fileLine = 0; // 1-based line of the file it came from
    QString startText;
    QString endText;
    QString lyricText; // with its brackets
    QString speedText; // the durations as written
    qint64 startMs = 0;
    qint64 endMs = 0;
    std::vector<KscUnit> units;

    // The units' texts joined: what the line shows.
    QString text() const;
    // The line's frames from its start until its last unit is sung.
    long long totalFrames() const;
};

struct KscDocument {
    std::vector<KscLine> lines; // file order, nothing sorted
    QStringList problems;       // one text per repaired or skipped line
    QString error;              // not a usable karaoke file; `lines` is empty

    bool ok() const { return error.isEmpty(); }
};

// Frames of a unit of `ms` milliseconds: ms / 40 rounded to the nearest
// integer, halves to the even neighbour (900 ms give 22, 860 ms give 22).
int framesForDuration(int ms);

// "mm:ss", "mm:ss.f…" (any number of fraction digits) with minutes of one to
// three digits and seconds below 60; nothing for anything else.
std::optional<qint64> parseKscTime(QStringView text);

// Parses the bytes of a KSC file (GBK, UTF-8 with or without byte-order mark,
// UTF-16 with or without byte-order mark).
KscDocument parseKsc(const QByteArray& bytes);

// Reads and parses a file; `error` names the file when it cannot be read.
KscDocument readKscFile(const QString& path);

} // namespace fotarel::karaoke
