#pragma once

// How each output kind is encoded: containers, codecs, rates and sizes.
// Kept apart from the conversion loop so the decisions read in one place.

#include "media/conversion.h"

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
}

#include <optional>
#include <string>

namespace fotarel::media::detail {

// An output path naming an image sequence: "<folder>/<digits>.<format>".
struct ImageSequenceName {
    std::string folder;   // with its trailing separator, or empty
    int firstNumber = 1;  // the digits' value
    int minimumWidth = 2; // the digits' count
    std::string extension; // as written, e.g. "JPG"
    AVCodecID codec = AV_CODEC_ID_NONE;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
};
std::optional<ImageSequenceName> parseImageSequenceName(const std::string& path);

// The file name of image `number` once all `count` images are written: the
// number zero-padded to the width of the largest number (at least the
// width of the given digits), so a plain name sort is the frame order.
std::string imageFileName(const ImageSequenceName& name, int number, int lastNumber);

struct OutputPlan {
    enum class Kind { Program, Avi, Mp4, Images } kind = Kind::Avi;
    std::string muxer;            // libavformat muxer name
    AVCodecID videoCodec = AV_CODEC_ID_NONE;
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    AVRational frameRate{25, 1};
    int width = 0;                // 0: the first frame's size
    int height = 0;
    int gopSize = 12;
    int maxBFrames = 0;
    std::int64_t videoBitRate = 0; // bits a second (0 for images)
    std::int64_t maxRate = 0;
    std::int64_t bufferSize = 0;
    int imageQuality = 0;         // JPEG quantiser for image sequences
    AVCodecID audioCodec = AV_CODEC_ID_NONE; // NONE: no audio (images)
    int audioRate = 44100;
    std::int64_t audioBitRate = 0;
    bool dvdMuxRate = false;      // fits DVD's 10.08 Mb/s multiplex
    // Disc standard (VCD, SVCD, DVD authoring): fixed size and rates, the
    // disc's pack size and multiplex rate, and a display shape of 4:3 or
    // 16:9 with the picture letterboxed into it when its shape differs.
    bool disc = false;
    std::int64_t minRate = 0;     // constant-rate VCD video
    int packetSize = 0;           // bytes a pack (0: the muxer's own)
    std::int64_t muxRate = 0;     // bits a second (0: the muxer's own)
    int preloadUs = -1;           // the muxer's start delay (-1: its own)
    int scanOffset = 0;           // SVCD's scan information offsets
    AVRational displayAspect{0, 1}; // disc: 4:3 or 16:9
    // Where the picture lies in the encoded frame (the whole frame unless
    // a disc letterboxes it).
    int pictureX = 0, pictureY = 0, pictureWidth = 0, pictureHeight = 0;
    std::string encoderName;      // a named encoder (libx264) rather than the codec's default
    std::string encoderPreset;    // the named encoder's speed preset
    int crf = 0;                  // constant quality (H.264); 0: the bit rate governs
    ImageSequenceName images;
    Standard standard = Standard::Pal;
    AVRational sampleAspect{1, 1};
};

// The normal-quality video rate (bits a second) for a codec and frame
// size; high quality doubles it.
std::int64_t normalVideoBitRate(AVCodecID codec, int width, int height);

// Fills in the plan for the settings. `width`/`height` are the set frame
// size (0 when not set). Returns an error text when no output can be made.
std::string makePlan(Preset preset, Standard standard, Quality quality, int width, int height,
                     int videoKbps, int minimumKbps, int maximumKbps, const std::string& path,
                     OutputPlan& plan, bool disc = false);

// Once the first frame's size is known: the pixel shape that keeps the
// picture's shape and, for a disc, the display shape (VCD 4:3; SVCD and DVD
// 16:9 for wide pictures, else 4:3) and the letterbox the picture fits in.
void settleShape(int sourceWidth, int sourceHeight, OutputPlan& plan);

// The number of output frames that show input frames 0 .. inputFrames - 1
// of a 25 frames-a-second album. With keep duration, output frame j starts
// at j / rate seconds and shows the input frame of that moment; counting
// in whole numbers keeps NTSC's 30000/1001 from drifting. Without it every
// input frame is one output frame.
std::int64_t outputFramesThrough(std::int64_t inputFrames, AVRational rate, bool keepDuration);

// Whether the video is flagged and converted with HD colours (BT.709):
// MP4 at 720 lines and more, as phones and browsers expect of HD video.
// Disc and AVI outputs keep SD's BT.601, which their players assume.
bool usesBt709(const OutputPlan& plan);

// Fills in the bit rates once the frame size is known.
void settleBitRates(Quality quality, int videoKbps, int minimumKbps, int maximumKbps, OutputPlan& plan);

} // namespace fotarel::media::detail
