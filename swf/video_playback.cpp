#include "swf/video_playback.h"

#include "swf/video_decoder.h"

#include <algorithm>

namespace fotarel::swf {

VideoPlayback::VideoPlayback(std::shared_ptr<const Character> stream, uint16_t id,
                             std::shared_ptr<VideoDecoderBudget> budget, Log log)
    : stream_(std::move(stream)), id_(id), budget_(std::move(budget)), log_(std::move(log))
{
}

VideoPlayback::~VideoPlayback()
{
    if (decoder_ && budget_)
        --budget_->open;
}

void VideoPlayback::fail(const QString& why)
{
    if (!logged_ && log_)
        log_(QStringLiteral("video %1: %2").arg(id_).arg(why));
    logged_ = true;
}

bool VideoPlayback::openDecoder()
{
    if (decoder_)
        return true;
    if (failed_)
        return false;
    if (budget_ && budget_->open >= limits::kMaxLiveVideoDecoders) {
        failed_ = true;
        fail(QStringLiteral("not shown: %1 videos are open already").arg(limits::kMaxLiveVideoDecoders));
        return false;
    }
    QString why;
    decoder_ = VideoDecoder::create(stream().codec, &why);
    if (!decoder_) {
        failed_ = true;
        fail(why);
        return false;
    }
    if (budget_)
        ++budget_->open;
    return true;
}

const QImage& VideoPlayback::picture(int ratio)
{
    static const QImage none;
    const auto& packets = stream().packets;
    // The packet shown: the last one whose frame number is not past the ratio.
    auto it = std::upper_bound(packets.begin(), packets.end(), ratio,
                               [](int r, const VideoPacket& p) { return r < p.frame; });
    const int target = int(it - packets.begin()) - 1;
    if (target < 0)
        return none;
    if (target == shown_)
        return picture_;
    if (!openDecoder())
        return none;
    // Go on from the packet decoded last when no keyframe lies between it
    // and the target; otherwise start again at the target's keyframe.
    int keyframe = target;
    while (keyframe > 0 && !isVideoKeyframe(stream().codec, packets[size_t(keyframe)].data))
        --keyframe;
    int from = decoded_ + 1;
    if (decoded_ < 0 || decoded_ > target || keyframe > decoded_) {
        decoder_->restart();
        from = keyframe;
        // Screen video has no keyframes to tell: it starts at its first packet.
        keyed_ = !hasKeyframes(stream().codec);
    }
    // A long way from the keyframe is covered over several paints, so one
    // picture costs a bounded number of packets and decoded pixels.
    const int last = std::min(target, from + limits::kMaxVideoPacketsPerPicture - 1);
    qint64 pixels = 0;
    for (int i = from; i <= last && pixels < limits::kMaxVideoPixelsPerPicture; ++i) {
        const VideoPacket& packet = packets[size_t(i)];
        decoded_ = i;
        // Inter frames wait for a keyframe that decoded: without it they
        // would only show what the decoder makes of missing pictures.
        const bool key = isVideoKeyframe(stream().codec, packet.data);
        if (!keyed_ && !key) {
            fail(QStringLiteral("frame %1 follows no decodable keyframe").arg(packet.frame));
            continue;
        }
        QString why;
        keyed_ = decoder_->decode(packet.data, &why);
        if (!keyed_)
            fail(QStringLiteral("frame %1: %2").arg(packet.frame).arg(why));
        const QSize size = decoder_->pictureSize();
        pixels += std::max<qint64>(1, qint64(size.width()) * size.height());
    }
    picture_ = keyed_ ? decoder_->picture() : QImage();
    // VP6 codes whole 16 x 16 blocks; the stream's declared size says how
    // much of the last row and column of blocks is picture.
    const VideoStream& v = stream();
    if ((v.codec == VideoStream::Vp6 || v.codec == VideoStream::Vp6Alpha) && v.width > 0 && v.height > 0 &&
        picture_.width() >= v.width && picture_.width() - v.width < 16 && picture_.height() >= v.height &&
        picture_.height() - v.height < 16 && picture_.size() != QSize(v.width, v.height))
        picture_ = picture_.copy(0, 0, v.width, v.height);
    shown_ = decoded_;
    return picture_;
}

} // namespace fotarel::swf
