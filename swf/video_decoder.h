#pragma once

// Decoding of embedded video packets (Sorenson H.263, VP6, VP6 with alpha,
// screen video) into pictures. The codecs live behind this interface so that
// the rest of the player never sees the decoding library.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

namespace fotarel::swf {

namespace limits {
constexpr int kMaxVideoSide = 4096;                      // decoded picture, pixels per side
constexpr qint64 kMaxVideoPixels = 4096ll * 1024;        // decoded picture
constexpr int kMaxLiveVideoDecoders = 8;                 // decoders open at once per player
constexpr int kMaxVideoPacketsPerPicture = 256;          // packets decoded to show one picture
constexpr qint64 kMaxVideoPixelsPerPicture = 64ll << 20; // pixels decoded to show one picture
} // namespace limits

// One stream's decoder: packets go in in stream order, the latest picture
// comes out.
class VideoDecoder {
public:
    // Null (with a reason) when the codec is not one a movie can carry or
    // the library lacks it.
    static std::unique_ptr<VideoDecoder> create(uint8_t codec, QString* why);
    ~VideoDecoder();

    // Decodes the next packet. False (with a reason) when it is broken; the
    // picture is then gone until the next keyframe decodes.
    bool decode(const QByteArray& packet, QString* why);
    // Forgets the packets before: the next one must be a keyframe.
    void restart();
    // The latest decoded picture (ARGB32 premultiplied when the stream has
    // alpha, RGB32 otherwise), null before the first one.
    QImage picture() const;
    // The size of the latest decoded picture (empty before the first one).
    QSize pictureSize() const;

private:
    VideoDecoder();
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Whether a packet of this codec can be decoded without the ones before it,
// and whether the codec's packets tell (screen video's do not: it is decoded
// from its first packet).
bool isVideoKeyframe(uint8_t codec, const QByteArray& packet);
bool hasKeyframes(uint8_t codec);

// Y'CbCr (BT.601, limited range) to R'G'B', as the Flash Player converts
// its decoded video: one pixel.
void yuvToRgb(int y, int cb, int cr, uint8_t& r, uint8_t& g, uint8_t& b);

} // namespace fotarel::swf
