#include "audio/qt_audio_player.h"

#include "audio/song_length.h"

#include <QAudioOutput>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QEventLoop>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace fotarel::audio {

namespace {
constexpr int kOpenTimeoutMs = 10000;

// Qt 6.4's GStreamer backend crashes when no sound server runs; the FFmpeg
// backend decodes with the same libraries as the
// rest of the program. Chosen unless the user asked for a backend.
QAudioOutput* makeOutput()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    return new QAudioOutput;
}
} // namespace

QtAudioPlayer::QtAudioPlayer()
    : output_(makeOutput()),
      player_(std::make_unique<QMediaPlayer>())
{
    player_->setAudioOutput(output_.get());
}

QtAudioPlayer::~QtAudioPlayer()
{
    close(); // the player lets go of the file before the file closes
}

bool QtAudioPlayer::open(const QString& path)
{
    close();
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    bool loaded = false;
    auto settle = [&](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia) {
            loaded = true;
            loop.quit();
        } else if (status == QMediaPlayer::InvalidMedia) {
            loop.quit();
        }
    };
    auto statusConnection = QObject::connect(player_.get(), &QMediaPlayer::mediaStatusChanged, &loop, settle);
    auto errorConnection = QObject::connect(player_.get(), &QMediaPlayer::errorOccurred, &loop, [&loop] { loop.quit(); });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    // The player reads from a device we opened: some backends cannot open
    // local paths with spaces, quotes or Chinese characters themselves.
    source_ = std::make_unique<QFile>(path);
    if (!source_->open(QIODevice::ReadOnly)) {
        source_.reset();
        return false;
    }
    player_->setSourceDevice(source_.get(), QUrl::fromLocalFile(path));
    settle(player_->mediaStatus());
    if (!loaded && player_->error() == QMediaPlayer::NoError) {
        limit.start(kOpenTimeoutMs);
        loop.exec();
    }
    QObject::disconnect(statusConnection);
    QObject::disconnect(errorConnection);
    if (!loaded) {
        close();
        return false;
    }
    fileName_ = path;
    // The decoder's scan gives the exact length also for VBR files without a
    // header, where the backend may only estimate it.
    length_ = songLengthMs(path).value_or(player_->duration());
    return true;
}

void QtAudioPlayer::close()
{
    player_->stop();
    player_->setSource(QUrl());
    source_.reset();
    fileName_.clear();
    length_ = 0;
    silentPlaying_ = false;
    silentPosition_ = 0;
    silentStart_ = 0;
}

bool QtAudioPlayer::hasOutputDevice()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

void QtAudioPlayer::play()
{
    if (fileName_.isEmpty() || isPlaying())
        return;
    if (hasOutputDevice()) {
        player_->play();
        return;
    }
    // Without a sound device the song plays silently on the clock, so
    // everything that follows the playing position still runs. A song that
    // played to its end stays there.
    if (silentPlaying_)
        silentPosition_ = positionMs();
    silentStart_ = silentPosition_;
    silentClock_.start();
    silentPlaying_ = true;
}

void QtAudioPlayer::stop()
{
    if (silentPlaying_) {
        silentPosition_ = positionMs();
        silentPlaying_ = false;
        return;
    }
    // QMediaPlayer::stop() rewinds; pausing keeps the position.
    if (player_->playbackState() == QMediaPlayer::PlayingState)
        player_->pause();
}

void QtAudioPlayer::seek(qint64 ms)
{
    const qint64 to = std::clamp<qint64>(ms, 0, std::max<qint64>(0, length_));
    silentPosition_ = to;
    if (silentPlaying_) {
        silentStart_ = to;
        silentClock_.restart();
    }
    player_->setPosition(to);
}

qint64 QtAudioPlayer::lengthMs() const
{
    return length_;
}

qint64 QtAudioPlayer::positionMs() const
{
    if (silentPlaying_)
        return std::min(length_, silentStart_ + silentClock_.elapsed());
    if (!hasOutputDevice())
        return silentPosition_;
    return player_->position();
}

bool QtAudioPlayer::isPlaying() const
{
    if (silentPlaying_)
        return positionMs() < length_;
    return player_->playbackState() == QMediaPlayer::PlayingState;
}

} // namespace fotarel::audio
