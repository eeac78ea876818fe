#pragma once

#include <QString>

namespace fotarel::audio {

// The one audio player the music import, the previews and the karaoke
// preview share: open a song by path, play from the current position, stop
// keeping the position, seek, and report length and position in milliseconds
// and whether it is playing. Previews take it by this interface so they can be
// tested with a scripted player and no sound card.
class AudioPlayer {
public:
    virtual ~AudioPlayer() = default;

    // Closes whatever was open, then opens the file; false when it cannot be
    // opened. Opening leaves the player stopped at position 0.
    virtual bool open(const QString& path) = 0;
    virtual void close() = 0;
    virtual QString fileName() const = 0;

    virtual void play() = 0;
    virtual void stop() = 0; // keeps the position
    virtual void seek(qint64 ms) = 0;

    virtual qint64 lengthMs() const = 0;
    virtual qint64 positionMs() const = 0;
    virtual bool isPlaying() const = 0;
};

} // namespace fotarel::audio
