#pragma once

// A player whose trace lines are collected: the set-up of the tests that load
// a movie, run frames or send input, and compare what its scripts printed.

#include "swf/player.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace swftest {

class TracedPlayer {
public:
    TracedPlayer();
    TracedPlayer(const TracedPlayer&) = delete;
    TracedPlayer& operator=(const TracedPlayer&) = delete;

    // Loads `movie` (its first frame runs); false when it does not load.
    bool load(const QByteArray& movie, const QString& path = QStringLiteral("/tmp/movie.swf"));
    // The lines traced since the last take().
    QStringList take();
    // Runs `ticks` frames, then take().
    QStringList tick(int ticks = 1);

    fotarel::swf::Player player;

private:
    QStringList lines_;
};

// The lines a movie traces while it loads (its first frame); a movie that
// does not load fails the calling test.
QStringList tracesOf(const QByteArray& movie, const QString& path = QStringLiteral("/tmp/movie.swf"));

} // namespace swftest
