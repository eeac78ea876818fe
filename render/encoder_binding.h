#pragma once

// Runs the album's conversion with the media library: the frame and audio
// lists, the output format from the output settings, the callbacks (where
// the frame compositor runs, once per frame), the progress bars and the
// conversion log.

#include "core/session.h"
#include "media/conversion.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

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

// The render window's view of a conversion, called on the converting
// thread. `overall` follows the encoder: T + frames encoded of 2 T, and 2 T
// only once the output file is complete; `activity` is the frames encoded of
// T; `time` the seconds since the conversion started and the seconds still
// to go at its pace so far.
struct EncoderEvents {
    std::function<void(int value, int maximum)> overall;  // ProgressBar1
    std::function<void(int value, int maximum)> activity; // ProgressBar2
    std::function<void(const QString& line)> log;          // a conversion log line
    std::function<void(bool enabled)> stopEnabled;
    std::function<void(double elapsedSeconds, double remainingSeconds)> time;
    // Every frame as it is handed to the encoder (0 = the start frame); the
    // picture is valid during the call only.
    std::function<void(int index, const QImage& frame)> frame;
};

// Adds a conversion log line: past 31999 lines the first one goes.
void addConversionLogLine(Session& session, const QString& line);

// Where the pass's thread spent a conversion's time: processor time painting
// each template's frames (by template, in the order they played; the ending
// template as "ending") and handing the painted frame over, and wall time
// inside the conversion (waiting for the encoder to take the frame, the
// audio). The command line prints it with --timings.
struct StageTimes {
    struct Template {
        QString name;
        int frames = 0;
        double paintMs = 0;
    };
    std::vector<Template> templates;
    double handOverMs = 0;
    double conversionMs = 0;
};

// How a conversion ended; `errorText` says why when it failed.
struct EncodeResult {
    enum class Outcome { Converted, Failed, Stopped, ComposeFailed, NothingToConvert };
    Outcome outcome = Outcome::Failed;
    QString errorText;        // the library's words, for the log
    media::ErrorCode errorCode = media::ErrorCode::None;
    int systemError = 0;      // errno behind the error, or 0
    StageTimes times;
};

class EncoderBinding {
public:
    EncoderBinding(Session& session, EncoderEvents events);

    // The frame to hand over for list entry 0 (the start frame) and the
    // compositor that makes every following one into `frame`. Returning
    // false from it ends the conversion (no output). A stop requested on
    // `stop` ends the conversion before the next frame, and before the
    // output gets its name.
    using Compose = std::function<bool(QImage& frame)>;
    EncodeResult run(const QImage& startFrame, const Compose& compose, std::stop_token stop);

private:
    void log(const QString& line);

    Session& session_;
    EncoderEvents events_;
};

} // namespace fotarel::render
