#include "audio/song_length.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <memory>

namespace fotarel::audio {

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecCloser {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// Decodes packets of the stream from the current read position until one
// frame comes out. Files whose audio cannot be decoded are refused.
bool decodesOneFrame(AVFormatContext* format, int streamIndex)
{
    const AVStream* stream = format->streams[streamIndex];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return false;
    CodecPtr codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0
        || avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return false;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame)
        return false;
    // A few damaged packets at the start are tolerated; a file of which no
    // packet in the first few dozen decodes is not audio we can play.
    int attempts = 0;
    while (attempts < 64 && av_read_frame(format, packet.get()) >= 0) {
        const bool ours = packet->stream_index == streamIndex;
        if (ours) {
            ++attempts;
            if (avcodec_send_packet(codec.get(), packet.get()) >= 0
                && avcodec_receive_frame(codec.get(), frame.get()) >= 0 && frame->nb_samples > 0) {
                av_packet_unref(packet.get());
                return true;
            }
        }
        av_packet_unref(packet.get());
    }
    // Flush: decoders with delay give their first frame only at the end.
    if (avcodec_send_packet(codec.get(), nullptr) >= 0 && avcodec_receive_frame(codec.get(), frame.get()) >= 0)
        return frame->nb_samples > 0;
    return false;
}

// Sum of the durations of every packet of the stream, in milliseconds, from
// the start of the file. Packets without a duration count through their
// timestamps: the length is then the end of the last packet.
std::optional<qint64> scannedLengthMs(AVFormatContext* format, int streamIndex)
{
    const AVStream* stream = format->streams[streamIndex];
    if (av_seek_frame(format, streamIndex, 0, AVSEEK_FLAG_BACKWARD) < 0
        && avformat_seek_file(format, -1, INT64_MIN, 0, INT64_MAX, 0) < 0)
        return std::nullopt;
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return std::nullopt;
    int64_t summed = 0;
    int64_t firstPts = AV_NOPTS_VALUE;
    int64_t lastEnd = AV_NOPTS_VALUE;
    bool any = false;
    while (av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == streamIndex) {
            any = true;
            summed += std::max<int64_t>(0, packet->duration);
            if (packet->pts != AV_NOPTS_VALUE) {
                if (firstPts == AV_NOPTS_VALUE)
                    firstPts = packet->pts;
                const int64_t end = packet->pts + std::max<int64_t>(0, packet->duration);
                if (lastEnd == AV_NOPTS_VALUE || end > lastEnd)
                    lastEnd = end;
            }
        }
        av_packet_unref(packet.get());
    }
    if (!any)
        return std::nullopt;
    int64_t ticks = summed;
    if (ticks == 0 && firstPts != AV_NOPTS_VALUE && lastEnd != AV_NOPTS_VALUE)
        ticks = lastEnd - firstPts;
    return av_rescale_q(ticks, stream->time_base, AVRational{1, 1000});
}

} // namespace

std::optional<qint64> songLengthMs(const QString& path)
{
    // FFmpeg takes the file name as bytes in the file system's encoding, so
    // Chinese characters, spaces and quotes pass through unchanged.
    const QByteArray name = QFile::encodeName(path);
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, name.constData(), nullptr, nullptr) < 0)
        return std::nullopt;
    FormatPtr format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return std::nullopt;
    const int streamIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (streamIndex < 0)
        return std::nullopt;
    if (!decodesOneFrame(format.get(), streamIndex))
        return std::nullopt;

    const AVStream* stream = format->streams[streamIndex];
    const bool estimated = format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    if (!estimated) {
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            return av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
        if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
            return av_rescale(format->duration, 1000, AV_TIME_BASE);
    }
    return scannedLengthMs(format.get(), streamIndex);
}

} // namespace fotarel::audio
