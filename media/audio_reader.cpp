#include "media/audio_reader.h"

namespace fotarel::media::detail {

bool AudioReader::fail(const std::string& what, int code)
{
    error_ = code ? what + ": " + errorText(code) : what;
    ended_ = true;
    return false;
}

bool AudioReader::open(const std::string& path)
{
    AVFormatContext* raw = nullptr;
    int rc = avformat_open_input(&raw, fileUrl(path).c_str(), nullptr, nullptr);
    if (rc < 0)
        return fail("cannot open audio file \"" + path + "\"", rc);
    input_.reset(raw);
    rc = avformat_find_stream_info(input_.get(), nullptr);
    if (rc < 0)
        return fail("cannot read the streams of \"" + path + "\"", rc);
    const AVCodec* decoder = nullptr;
    rc = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (rc < 0 || !decoder)
        return fail("no decodable audio stream in \"" + path + "\"", rc == AVERROR_STREAM_NOT_FOUND ? 0 : rc);
    stream_ = rc;
    codec_.reset(avcodec_alloc_context3(decoder));
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    if (!codec_ || !packet_ || !frame_)
        return fail("out of memory", AVERROR(ENOMEM));
    rc = avcodec_parameters_to_context(codec_.get(), input_->streams[stream_]->codecpar);
    if (rc < 0)
        return fail("bad audio parameters in \"" + path + "\"", rc);
    codec_->pkt_timebase = input_->streams[stream_]->time_base;
    rc = avcodec_open2(codec_.get(), decoder, nullptr);
    if (rc < 0)
        return fail("cannot open the audio decoder for \"" + path + "\"", rc);
    // Other streams (cover pictures in MP3 files) are not read at all.
    for (unsigned i = 0; i < input_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_)
            input_->streams[i]->discard = AVDISCARD_ALL;
    return true;
}

const AVFrame* AudioReader::next()
{
    // A run of rejected packets this long means the data is not audio the
    // decoder understands at all.
    constexpr int kMaxRejectedInARow = 200;
    while (!ended_) {
        av_frame_unref(frame_.get());
        int rc = avcodec_receive_frame(codec_.get(), frame_.get());
        if (rc >= 0) {
            if (frame_->nb_samples <= 0 || frame_->sample_rate <= 0)
                continue;
            decodedSamples_ += frame_->nb_samples;
            decodedMicros_ += av_rescale(frame_->nb_samples, 1000000, frame_->sample_rate);
            rejectedPackets_ = 0;
            return frame_.get();
        }
        if (rc == AVERROR_EOF) {
            ended_ = true;
            break;
        }
        if (rc != AVERROR(EAGAIN)) {
            if (rc == AVERROR_INVALIDDATA && ++rejectedPackets_ < kMaxRejectedInARow)
                continue;
            fail("audio decoding failed", rc);
            return nullptr;
        }
        if (draining_) {
            ended_ = true;
            break;
        }
        rc = av_read_frame(input_.get(), packet_.get());
        if (rc == AVERROR_EOF) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            continue;
        }
        if (rc < 0) {
            fail("reading the audio file failed", rc);
            return nullptr;
        }
        if (packet_->stream_index == stream_) {
            rc = avcodec_send_packet(codec_.get(), packet_.get());
            if (rc < 0 && rc != AVERROR(EAGAIN)) {
                if (rc != AVERROR_INVALIDDATA || ++rejectedPackets_ >= kMaxRejectedInARow) {
                    av_packet_unref(packet_.get());
                    fail("audio decoding failed", rc);
                    return nullptr;
                }
            }
        }
        av_packet_unref(packet_.get());
    }
    if (decodedSamples_ == 0 && error_.empty())
        error_ = "the file holds no decodable audio";
    return nullptr;
}

} // namespace fotarel::media::detail
