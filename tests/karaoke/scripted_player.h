#pragma once

// A player for the preview tests: no sound, the test sets the position and
// ends the song by hand. Files whose path contains "broken" do not open.

#include "audio/audio_player.h"

namespace fotarel::test {

class ScriptedPlayer : public audio::AudioPlayer {
public:
    bool open(const QString& path) override
    {
        name = path;
        position = 0;
        return !path.contains(QStringLiteral("broken"));
    }
    void close() override { name.clear(); }
    QString fileName() const override { return name; }
    void play() override { isOn = true; }
    void stop() override { isOn = false; }
    void seek(qint64 ms) override { position = ms; }
    qint64 lengthMs() const override { return length; }
    qint64 positionMs() const override { return position; }
    bool isPlaying() const override { return isOn; }

    QString name;
    qint64 position = 0;
    qint64 length = 10000;
    bool isOn = false;
};

} // namespace fotarel::test
