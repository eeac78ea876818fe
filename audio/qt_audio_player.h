#pragma once

#include "audio/audio_player.h"

#include <QElapsedTimer>

#include <memory>

class QMediaPlayer;
class QAudioOutput;
class QFile;

namespace fotarel::audio {

// The audio player over Qt Multimedia (QMediaPlayer with a QAudioOutput on
// the default output device), using Qt's FFmpeg backend unless
// QT_MEDIA_BACKEND names another. Needs a running Qt application; open() waits,
// running the event loop, until the media is loaded or refused.
class QtAudioPlayer : public AudioPlayer {
public:
    QtAudioPlayer();
    ~QtAudioPlayer() override;

    bool open(const QString& path) override;
    void close() override;
    QString fileName() const override { return fileName_; }

    void play() override;
    void stop() override;
    void seek(qint64 ms) override;

    qint64 lengthMs() const override;
    qint64 positionMs() const override;
    bool isPlaying() const override;

    // Whether the system has a sound output. Without one, play() runs the
    // song silently on a clock: position and playing state behave as with
    // sound.
    static bool hasOutputDevice();

private:
    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaPlayer> player_;
    std::unique_ptr<QFile> source_;
    QString fileName_;
    qint64 length_ = 0;
    bool silentPlaying_ = false;
    qint64 silentPosition_ = 0;
    qint64 silentStart_ = 0;
    QElapsedTimer silentClock_;
};

} // namespace fotarel::audio
