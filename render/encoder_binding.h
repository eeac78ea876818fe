#pragma once

// Runs the album's conversion with the media library: the frame and audio
// lists, the output format from the output settings, the callbacks (where
// the frame compositor runs, once per frame), the progress bars and the
// conversion log.

#include "core/session.h"
#include "media/conversion.h"

#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

namespace fotarel::render {

// The output format a session asks for.
struct EncoderSettings {
    std::optional<media::Preset> preset; // none for AVI and image sequences
    media::Standard standard = media::Standard::Pal;
    media::Quality quality = media::Quality::High;
    QSize frameSize;                     // empty: not set (library default)
    bool cutAudio = true;                // the album follows the photos
    bool disc = false;                   // the disc-standard entry was chosen
};

// Preset by output type and TV standard; frame size by quality and type
// (normal 1280 × 720, high 1920 × 1080; VCD always 1280 × 720; an image
// sequence of normal quality sets none), made smaller when the size chosen
// in the output-size window is smaller, keeping that size's shape. The
// disc entry of "VCD", "SVCD" or "DVD" gives the disc standard's size for
// the TV standard and a disc stream.
EncoderSettings encoderSettings(const Session& session);
// The size the frames are painted at: the encoded size, or for an image
// sequence without one the chosen output size.
QSize paintSize(const Session& session);

// The render window's view of a conversion.
struct EncoderEvents {
    std::function<void(int value, int maximum)> overall;  // ProgressBar1 position (maximum unchanged: -1)
    std::function<void(int value, int maximum)> activity; // ProgressBar2
    std::function<void(const QString& line)> log;          // a conversion log line
    std::function<void(bool enabled)> stopEnabled;
};

// Adds a conversion log line: past 31999 lines the first one goes.
void addConversionLogLine(Session& session, const QString& line);

class EncoderBinding {
public:
    enum class Outcome { Converted, Failed, Aborted, NothingToConvert };

    EncoderBinding(Session& session, EncoderEvents events);

    // The frame to hand over for list entry 0 (the start frame) and the
    // compositor that makes every following one into `frame`. Returning
    // false from it ends the conversion (no output).
    using Compose = std::function<bool(QImage& frame)>;
    Outcome run(const QImage& startFrame, const Compose& compose);
    // Thread safe: ends a running conversion at its next frame; before
    // run() it makes run() end at once.
    void abort();

    const QString& errorText() const { return errorText_; }

private:
    void log(const QString& line);

    Session& session_;
    EncoderEvents events_;
    std::atomic<bool> aborted_{false};
    std::mutex conversionMutex_; // guards conversion_ against abort() from another thread
    media::Conversion* conversion_ = nullptr;
    QString errorText_;
};

} // namespace fotarel::render
