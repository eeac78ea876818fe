#pragma once

#include "media/ffmpeg_util.h"

#include <cstdint>
#include <string>

namespace fotarel::media::detail {

// Decodes the best audio stream of a file frame by frame. Packets the
// decoder rejects are skipped (a damaged frame in the middle of a song
// costs that frame, not the song); a file of which nothing decodes is an
// error.
class AudioReader {
public:
    // Opens `path` (UTF-8). On failure returns false and sets error().
    bool open(const std::string& path);

    // The next decoded frame, or nullptr at the end of the stream or on a
    // hard error (then error() is set). The frame stays valid until the
    // next call.
    const AVFrame* next();

    const std::string& error() const { return error_; }
    // Samples decoded so far, per channel.
    std::int64_t decodedSamples() const { return decodedSamples_; }
    // Decoded duration so far in microseconds (the rate may change inside
    // a file, so it is summed frame by frame).
    std::int64_t decodedMicroseconds() const { return decodedMicros_; }
    int sampleRate() const { return codec_ ? codec_->sample_rate : 0; }

private:
    bool fail(const std::string& what, int code);

    InputPtr input_;
    CodecPtr codec_;
    PacketPtr packet_;
    FramePtr frame_;
    int stream_ = -1;
    bool draining_ = false;
    bool ended_ = false;
    int rejectedPackets_ = 0;
    std::int64_t decodedSamples_ = 0;
    std::int64_t decodedMicros_ = 0;
    std::string error_;
};

} // namespace fotarel::media::detail
