#pragma once

// The state of one placed video: its decoder and the picture of the frame
// it shows. Pictures are decoded when painted, in stream order: a ratio one
// frame on decodes one packet, a jump decodes from the nearest keyframe.

#include "swf/movie.h"

#include <QImage>

#include <functional>
#include <memory>

namespace fotarel::swf {

class VideoDecoder;

// Counts the decoders a player has open (shared by its videos, so that a
// movie placing thousands of videos keeps a bounded number of them).
struct VideoDecoderBudget {
    int open = 0;
};

class VideoPlayback {
public:
    using Log = std::function<void(const QString&)>;
    VideoPlayback(std::shared_ptr<const Character> stream, uint16_t id, std::shared_ptr<VideoDecoderBudget> budget,
                  Log log);
    ~VideoPlayback();

    const VideoStream& stream() const { return std::get<VideoStream>(*stream_); }
    // The picture shown at this ratio (the last packet whose frame number is
    // not past it); null when there is none or it cannot be decoded.
    const QImage& picture(int ratio);

private:
    bool openDecoder();
    void fail(const QString& why);

    std::shared_ptr<const Character> stream_;
    uint16_t id_;
    std::shared_ptr<VideoDecoderBudget> budget_;
    Log log_;
    std::unique_ptr<VideoDecoder> decoder_;
    bool failed_ = false; // the decoder could not be opened: nothing is drawn
    bool logged_ = false; // one line per placed video
    bool keyed_ = false;  // the packets decoded since the last restart start with a keyframe and decoded
    int decoded_ = -1;    // index of the last packet decoded
    int shown_ = -1;      // index of the packet `picture_` shows
    QImage picture_;
};

} // namespace fotarel::swf
