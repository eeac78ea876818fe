#include "traced_player.h"

#include <gtest/gtest.h>

#include <utility>

namespace swftest {

TracedPlayer::TracedPlayer()
{
    player.onTrace = [this](const QString& line) { lines_ << line; };
}

bool TracedPlayer::load(const QByteArray& movie, const QString& path) { return player.loadData(movie, path); }

QStringList TracedPlayer::take() { return std::exchange(lines_, {}); }

QStringList TracedPlayer::tick(int ticks)
{
    for (int i = 0; i < ticks; ++i)
        player.tick();
    return take();
}

QStringList tracesOf(const QByteArray& movie, const QString& path)
{
    TracedPlayer t;
    EXPECT_TRUE(t.load(movie, path)) << path.toStdString();
    return t.take();
}

} // namespace swftest
