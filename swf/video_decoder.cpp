#include "swf/video_decoder.h"

#include "media/ffmpeg_util.h"
#include "swf/movie.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>

namespace fotarel::swf {

using media::detail::CodecPtr;
using media::detail::FramePtr;
using media::detail::PacketPtr;

struct VideoDecoder::Impl {
    CodecPtr codec;
    FramePtr frame;    // the latest picture
    FramePtr incoming; // what the decoder hands out
    PacketPtr packet;
    bool hasPicture = false;
};

VideoDecoder::VideoDecoder() : d_(std::make_unique<Impl>()) {}
VideoDecoder::~VideoDecoder() = default;

std::unique_ptr<VideoDecoder> VideoDecoder::create(uint8_t codec, QString* why)
{
    AVCodecID id;
    switch (codec) {
    case VideoStream::SorensonH263: id = AV_CODEC_ID_FLV1; break;
    case VideoStream::ScreenVideo: id = AV_CODEC_ID_FLASHSV; break;
    case VideoStream::Vp6: id = AV_CODEC_ID_VP6F; break;
    case VideoStream::Vp6Alpha: id = AV_CODEC_ID_VP6A; break;
    case VideoStream::ScreenVideo2: id = AV_CODEC_ID_FLASHSV2; break;
    default:
        *why = QStringLiteral("video codec %1 unknown").arg(codec);
        return nullptr;
    }
    media::detail::quietLibraryLog();
    const AVCodec* c = avcodec_find_decoder(id);
    if (!c) {
        *why = QStringLiteral("no decoder for video codec %1").arg(codec);
        return nullptr;
    }
    std::unique_ptr<VideoDecoder> out(new VideoDecoder());
    Impl& d = *out->d_;
    d.codec.reset(avcodec_alloc_context3(c));
    d.frame.reset(av_frame_alloc());
    d.incoming.reset(av_frame_alloc());
    d.packet.reset(av_packet_alloc());
    if (!d.codec || !d.frame || !d.incoming || !d.packet) {
        *why = QStringLiteral("out of memory for a video decoder");
        return nullptr;
    }
    // One thread: pictures come out as each packet goes in, the same on
    // every machine.
    d.codec->thread_count = 1;
    d.codec->max_pixels = limits::kMaxVideoPixels;
    // The floating-point inverse DCT gives Sorenson H.263 pictures as the
    // Flash Player decodes them (the integer ones are a level off in 1-3 %
    // of pixels); VP6 has its own exact transform.
    d.codec->idct_algo = FF_IDCT_FAAN;
    if (const int err = avcodec_open2(d.codec.get(), c, nullptr); err < 0) {
        *why = QStringLiteral("video decoder not opened: %1").arg(QString::fromStdString(media::detail::errorText(err)));
        return nullptr;
    }
    return out;
}

void VideoDecoder::restart()
{
    avcodec_flush_buffers(d_->codec.get());
    av_frame_unref(d_->frame.get());
    d_->hasPicture = false;
}

bool VideoDecoder::decode(const QByteArray& data, QString* why)
{
    Impl& d = *d_;
    if (data.isEmpty()) {
        *why = QStringLiteral("empty packet");
        av_frame_unref(d.frame.get());
        d.hasPicture = false;
        return false;
    }
    // The decoder reads a little past the end of a packet: it gets its own
    // zeroed padding.
    if (av_new_packet(d.packet.get(), int(data.size())) < 0) {
        *why = QStringLiteral("out of memory for a video packet");
        return false;
    }
    std::copy(data.begin(), data.end(), reinterpret_cast<char*>(d.packet->data));
    int err = avcodec_send_packet(d.codec.get(), d.packet.get());
    av_packet_unref(d.packet.get());
    bool got = false;
    while (err >= 0) {
        err = avcodec_receive_frame(d.codec.get(), d.incoming.get());
        if (err < 0)
            break;
        const AVFrame& f = *d.incoming;
        if (f.width <= 0 || f.height <= 0 || f.width > limits::kMaxVideoSide || f.height > limits::kMaxVideoSide) {
            av_frame_unref(d.incoming.get());
            *why = QStringLiteral("video picture of %1 x %2 pixels refused").arg(f.width).arg(f.height);
            d.hasPicture = false;
            return false;
        }
        av_frame_unref(d.frame.get());
        av_frame_move_ref(d.frame.get(), d.incoming.get());
        got = true;
    }
    if (err < 0 && err != AVERROR(EAGAIN) && err != AVERROR_EOF) {
        *why = QStringLiteral("video packet not decoded: %1").arg(QString::fromStdString(media::detail::errorText(err)));
        av_frame_unref(d.frame.get());
        d.hasPicture = false;
        return false;
    }
    if (got)
        d.hasPicture = true;
    return true;
}

void yuvToRgb(int y, int cb, int cr, uint8_t& r, uint8_t& g, uint8_t& b)
{
    // 16-bit fractions of 255/219 (luma) and the BT.601 colour weights
    // scaled by 255/224, rounded to nearest: the recorded pictures match
    // these exactly where 8-bit fractions are one level off in 3 % of pixels.
    const int c = 76309 * (y - 16) + 32768, d = cb - 128, e = cr - 128;
    r = uint8_t(std::clamp((c + 104597 * e) >> 16, 0, 255));
    g = uint8_t(std::clamp((c - 25675 * d - 53279 * e) >> 16, 0, 255));
    b = uint8_t(std::clamp((c + 132201 * d) >> 16, 0, 255));
}

QSize VideoDecoder::pictureSize() const
{
    return d_->hasPicture ? QSize(d_->frame->width, d_->frame->height) : QSize();
}

QImage VideoDecoder::picture() const
{
    const Impl& d = *d_;
    if (!d.hasPicture)
        return {};
    const AVFrame& f = *d.frame;
    const int w = f.width, h = f.height;
    switch (f.format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVA420P: {
        const bool alpha = f.format == AV_PIX_FMT_YUVA420P;
        QImage img(w, h, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        if (img.isNull())
            return {};
        for (int y = 0; y < h; ++y) {
            const uint8_t* py = f.data[0] + qint64(y) * f.linesize[0];
            const uint8_t* pu = f.data[1] + qint64(y / 2) * f.linesize[1];
            const uint8_t* pv = f.data[2] + qint64(y / 2) * f.linesize[2];
            const uint8_t* pa = alpha ? f.data[3] + qint64(y) * f.linesize[3] : nullptr;
            auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                uint8_t r, g, b;
                yuvToRgb(py[x], pu[x / 2], pv[x / 2], r, g, b);
                // The colour of a video with alpha counts as premultiplied
                // already (the Flash Player's pictures show it): it is only
                // kept within the alpha.
                const uint8_t a = pa ? pa[x] : 255;
                out[x] = qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
            }
        }
        return img;
    }
    case AV_PIX_FMT_BGR24: {
        QImage img(w, h, QImage::Format_RGB32);
        if (img.isNull())
            return {};
        for (int y = 0; y < h; ++y) {
            const uint8_t* in = f.data[0] + qint64(y) * f.linesize[0];
            auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x)
                out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
        }
        return img;
    }
    default:
        return {};
    }
}

bool hasKeyframes(uint8_t codec)
{
    return codec == VideoStream::SorensonH263 || codec == VideoStream::Vp6 || codec == VideoStream::Vp6Alpha;
}

bool isVideoKeyframe(uint8_t codec, const QByteArray& packet)
{
    const auto* p = reinterpret_cast<const uint8_t*>(packet.constData());
    const qint64 n = packet.size();
    switch (codec) {
    case VideoStream::SorensonH263: {
        // 17-bit start code, 5-bit version, 8-bit time, 3-bit size code (0 and
        // 1: explicit 8- or 16-bit width and height follow), 2-bit picture type.
        auto bits = [&](qint64 at, int count) {
            int v = 0;
            for (int i = 0; i < count; ++i, ++at)
                v = (v << 1) | (at / 8 < n ? (p[at / 8] >> (7 - at % 8)) & 1 : 0);
            return v;
        };
        const int size = bits(30, 3);
        const qint64 typeAt = 33 + (size == 0 ? 16 : size == 1 ? 32 : 0);
        return n * 8 >= typeAt + 2 && bits(typeAt, 2) == 0;
    }
    case VideoStream::Vp6:
        return n > 0 && !(p[0] & 0x80);
    case VideoStream::Vp6Alpha:
        return n > 3 && !(p[3] & 0x80); // after the 24-bit offset of the alpha data
    default:
        return false; // screen video: decoded from the stream's first packet
    }
}

} // namespace fotarel::swf
