#pragma once

// Small helpers over FFmpeg's C API shared by the media library's sources:
// owning pointers for its objects and readable error texts.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace fotarel::media::detail {

struct FormatInputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecContextFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct SwsFreer {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct FifoFreer {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

using InputPtr = std::unique_ptr<AVFormatContext, FormatInputCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoFreer>;

// The text FFmpeg gives for an error code.
std::string errorText(int code);

// "file:" + path, so that a name with a colon is never taken for a
// protocol and every other character reaches open() untouched.
std::string fileUrl(const std::string& path);

// FFmpeg's own log lines ("[mpeg @ 0x…] …") are hints for its developers;
// the library reports what matters through its error callback and error
// texts. Silences them once per process (a set FOTAREL_FFMPEG_LOG keeps
// them, for debugging).
void quietLibraryLog();

} // namespace fotarel::media::detail
