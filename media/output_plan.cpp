#include "media/output_plan.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cctype>
#include <cmath>

namespace fotarel::media::detail {

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::optional<ImageSequenceName> parseImageSequenceName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 9)
        return std::nullopt;
    const std::string digits = file.substr(0, dot);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    ImageSequenceName name;
    name.extension = file.substr(dot + 1);
    const std::string ext = lower(name.extension);
    if (ext == "jpg") {
        name.codec = AV_CODEC_ID_MJPEG;
        name.pixelFormat = AV_PIX_FMT_YUV420P; // full range, as JPEG files are
    } else if (ext == "bmp") {
        name.codec = AV_CODEC_ID_BMP;
        name.pixelFormat = AV_PIX_FMT_BGR24;
    } else if (ext == "tga") {
        name.codec = AV_CODEC_ID_TARGA;
        name.pixelFormat = AV_PIX_FMT_BGR24;
    } else if (ext == "pcx") {
        name.codec = AV_CODEC_ID_PCX;
        name.pixelFormat = AV_PIX_FMT_RGB24;
    } else {
        return std::nullopt;
    }
    name.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name.firstNumber = std::stoi(digits);
    name.minimumWidth = static_cast<int>(digits.size());
    return name;
}

std::string imageFileName(const ImageSequenceName& name, int number, int lastNumber)
{
    const int width = std::max(name.minimumWidth, static_cast<int>(std::to_string(lastNumber).size()));
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return name.folder + digits + "." + name.extension;
}

std::int64_t outputFramesThrough(std::int64_t inputFrames, AVRational rate, bool keepDuration)
{
    if (!keepDuration)
        return inputFrames;
    // The frames j with j / rate < inputFrames / 25.
    return av_rescale_rnd(inputFrames, rate.num, std::int64_t(25) * rate.den, AV_ROUND_UP);
}

std::int64_t normalVideoBitRate(AVCodecID codec, int width, int height)
{
    // Rates that look good for photo albums at DVD size, carried to other
    // sizes by the 0.75 power of the pixel count (bigger pictures need
    // fewer bits a pixel): MPEG-1/2 4 Mb/s and MPEG-4 2 Mb/s at 720 × 576,
    // giving about 1.4 / 7.3 / 13.4 Mb/s for MPEG-2 at 352 × 288, 1280 ×
    // 720 and 1920 × 1080.
    const double base = codec == AV_CODEC_ID_MPEG4 ? 2.0e6 : 4.0e6;
    const double pixels = double(std::max(width, 16)) * double(std::max(height, 16));
    const double rate = base * std::pow(pixels / (720.0 * 576.0), 0.75);
    return std::max<std::int64_t>(200000, static_cast<std::int64_t>(std::llround(rate / 1000.0)) * 1000);
}

bool usesBt709(const OutputPlan& plan)
{
    return plan.kind == OutputPlan::Kind::Mp4 && plan.height >= 720;
}

void settleBitRates(Quality quality, int videoKbps, int minimumKbps, int maximumKbps, OutputPlan& plan)
{
    if (plan.kind == OutputPlan::Kind::Images)
        return;
    std::int64_t rate = videoKbps > 0 ? std::int64_t(videoKbps) * 1000
                                      : normalVideoBitRate(plan.videoCodec, plan.width, plan.height) *
                                            (quality == Quality::High ? 2 : 1);
    if (minimumKbps > 0)
        rate = std::max(rate, std::int64_t(minimumKbps) * 1000);
    if (maximumKbps > 0)
        rate = std::min(rate, std::int64_t(maximumKbps) * 1000);
    plan.videoBitRate = rate;
    if (plan.crf > 0 && videoKbps <= 0) {
        plan.videoBitRate = 0; // constant quality: the encoder chooses the rate
        plan.maxRate = 0;
        plan.bufferSize = 0;
        return;
    }
    if (plan.videoCodec == AV_CODEC_ID_MPEG4 || plan.videoCodec == AV_CODEC_ID_H264) {
        plan.maxRate = 0;
        plan.bufferSize = 0;
        return;
    }
    // DVD players read at most 10.08 Mb/s: within that keep DVD's video
    // limits (9.8 Mb/s peak, 224 KiB buffer); above it, MPEG-2 at HD sizes,
    // allow peaks of 1.5 times the mean over a buffer of 0.5 s.
    if (plan.muxer == "dvd" && rate <= 8000000) {
        plan.maxRate = 9800000;
        plan.bufferSize = 1835008;
        plan.dvdMuxRate = true;
    } else {
        plan.maxRate = rate * 3 / 2;
        // MPEG-1's header holds at most 1023 × 16 kbit of buffer.
        plan.bufferSize = std::min<std::int64_t>(std::max<std::int64_t>(rate / 2, 1835008), 16760832);
        plan.dvdMuxRate = false;
    }
}

namespace {

// The disc standards' fixed settings over the preset's.
void makeDiscPlan(Preset preset, bool ntsc, Quality quality, OutputPlan& plan)
{
    plan.disc = true;
    switch (preset) {
    case Preset::Vcd:
        // White Book VCD: MPEG-1 at a constant 1150 kb/s with a 40 KiB
        // buffer, 2324-byte packs multiplexed at 75 sectors a second.
        plan.muxer = "vcd";
        plan.videoBitRate = plan.maxRate = plan.minRate = 1150000;
        plan.bufferSize = 327680;
        plan.packetSize = 2324;
        plan.muxRate = 2352 * 75 * 8;
        plan.preloadUs = 440000; // the first packs hold padding and headers
        break;
    case Preset::Svcd:
        // SVCD: MPEG-2 up to 2.52 Mb/s peak (with the audio within the
        // disc's 2.74 Mb/s), a 224 KiB buffer, 2324-byte packs.
        plan.videoBitRate = quality == Quality::High ? 2300000 : 2040000;
        plan.maxRate = 2516000;
        plan.bufferSize = 1835008;
        plan.packetSize = 2324;
        plan.scanOffset = 1;
        break;
    case Preset::Dvd:
        // DVD-Video: MPEG-2 within 9.8 Mb/s peak and a 224 KiB buffer in a
        // 10.08 Mb/s multiplex of 2048-byte packs.
        plan.videoBitRate = quality == Quality::High ? 8000000 : 5000000;
        plan.maxRate = 9800000;
        plan.bufferSize = 1835008;
        plan.packetSize = 2048;
        plan.dvdMuxRate = true;
        break;
    case Preset::Avi:
    case Preset::Mp4:
        plan.disc = false; // no disc standard: files only
        return;
    }
    plan.width = preset == Preset::Vcd ? 352 : preset == Preset::Svcd ? 480 : 720;
    plan.height = preset == Preset::Vcd ? (ntsc ? 240 : 288) : (ntsc ? 480 : 576);
    plan.gopSize = ntsc ? 18 : 15;
}

} // namespace

void settleShape(int sourceWidth, int sourceHeight, OutputPlan& plan)
{
    plan.pictureX = plan.pictureY = 0;
    plan.pictureWidth = plan.width;
    plan.pictureHeight = plan.height;
    plan.sampleAspect = AVRational{1, 1};
    if (sourceWidth <= 0 || sourceHeight <= 0 || plan.width <= 0 || plan.height <= 0)
        return;
    if (!plan.disc) {
        // Pixels are shaped so the picture keeps its shape: 16:9 frames in
        // a 720 x 576 frame play back at 16:9.
        if (std::int64_t(sourceWidth) * plan.height != std::int64_t(sourceHeight) * plan.width)
            av_reduce(&plan.sampleAspect.num, &plan.sampleAspect.den, std::int64_t(sourceWidth) * plan.height,
                      std::int64_t(sourceHeight) * plan.width, 255);
        return;
    }
    // Discs know two display shapes; VCD only 4:3.
    const bool wide = plan.videoCodec != AV_CODEC_ID_MPEG1VIDEO && sourceWidth * 100 >= sourceHeight * 155;
    plan.displayAspect = wide ? AVRational{16, 9} : AVRational{4, 3};
    av_reduce(&plan.sampleAspect.num, &plan.sampleAspect.den, std::int64_t(plan.displayAspect.num) * plan.height,
              std::int64_t(plan.displayAspect.den) * plan.width, 255);
    // The picture's extent in display units against the display's: fit it
    // inside, on even lines and columns for 4:2:0.
    const double display = double(plan.displayAspect.num) / plan.displayAspect.den;
    const double source = double(sourceWidth) / sourceHeight;
    if (std::abs(source - display) < 0.01)
        return;
    if (source > display) {
        plan.pictureHeight = std::max(2, int(std::lround(plan.height * display / source / 2.0)) * 2);
        plan.pictureY = (plan.height - plan.pictureHeight) / 4 * 2;
    } else {
        plan.pictureWidth = std::max(2, int(std::lround(plan.width * source / display / 2.0)) * 2);
        plan.pictureX = (plan.width - plan.pictureWidth) / 4 * 2;
    }
}

std::string makePlan(Preset preset, Standard standard, Quality quality, int width, int height, int videoKbps,
                     int minimumKbps, int maximumKbps, const std::string& path, OutputPlan& plan, bool disc)
{
    plan = OutputPlan{};
    const bool ntsc = standard == Standard::Ntsc;
    plan.frameRate = ntsc ? AVRational{30000, 1001} : AVRational{25, 1};
    // Twelve frames a group of pictures is half a second: short enough for
    // seeking, long enough for efficient coding; DVD allows 15 (PAL) or 18
    // (NTSC) at most.
    plan.gopSize = ntsc ? 18 : 15;

    if (std::optional<ImageSequenceName> images = parseImageSequenceName(path)) {
        plan.kind = OutputPlan::Kind::Images;
        plan.images = *images;
        plan.videoCodec = images->codec;
        plan.pixelFormat = images->pixelFormat;
        plan.frameRate = AVRational{25, 1};
        plan.imageQuality = quality == Quality::High ? 2 : 4;
        plan.width = width;
        plan.height = height;
        plan.audioCodec = AV_CODEC_ID_NONE;
        return {};
    }

    switch (preset) {
    case Preset::Vcd:
        plan.kind = OutputPlan::Kind::Program;
        plan.muxer = "mpeg"; // MPEG-1 system stream
        plan.videoCodec = AV_CODEC_ID_MPEG1VIDEO;
        plan.maxBFrames = 2;
        plan.width = 352;
        plan.height = ntsc ? 240 : 288;
        plan.audioCodec = AV_CODEC_ID_MP2;
        plan.audioRate = 44100;
        plan.audioBitRate = 224000;
        break;
    case Preset::Svcd:
        plan.kind = OutputPlan::Kind::Program;
        plan.muxer = "svcd"; // MPEG-2 program stream
        plan.videoCodec = AV_CODEC_ID_MPEG2VIDEO;
        plan.maxBFrames = 2;
        plan.width = 480;
        plan.height = ntsc ? 480 : 576;
        plan.audioCodec = AV_CODEC_ID_MP2;
        plan.audioRate = 44100;
        plan.audioBitRate = 224000;
        break;
    case Preset::Dvd:
        plan.kind = OutputPlan::Kind::Program;
        plan.muxer = "dvd"; // MPEG-2 program stream with navigation packs
        plan.videoCodec = AV_CODEC_ID_MPEG2VIDEO;
        plan.maxBFrames = 2;
        plan.width = 720;
        plan.height = ntsc ? 480 : 576;
        // NTSC DVDs must carry AC-3 (or PCM); it is valid for PAL too.
        plan.audioCodec = AV_CODEC_ID_AC3;
        plan.audioRate = 48000;
        plan.audioBitRate = 192000;
        break;
    case Preset::Avi:
        plan.kind = OutputPlan::Kind::Avi;
        plan.muxer = "avi";
        plan.videoCodec = AV_CODEC_ID_MPEG4;
        plan.maxBFrames = 0;
        plan.gopSize = ntsc ? 300 : 250; // a key frame every 10 s
        plan.width = 0;
        plan.height = 0;
        plan.audioCodec = AV_CODEC_ID_MP3;
        plan.audioRate = 44100;
        plan.audioBitRate = 192000;
        break;
    case Preset::Mp4:
        // H.264 and AAC in MP4, what phones, televisions and browsers play.
        // Constant quality: CRF 18 (high, visually transparent for photos)
        // or 23 (normal, x264's own default); "fast" keeps the encoder
        // close to the painting's speed on two cores.
        plan.kind = OutputPlan::Kind::Mp4;
        plan.muxer = "mp4";
        plan.videoCodec = AV_CODEC_ID_H264;
        plan.encoderName = "libx264";
        plan.encoderPreset = "fast";
        plan.crf = quality == Quality::High ? 18 : 23;
        plan.maxBFrames = 3;
        plan.gopSize = ntsc ? 150 : 125; // a key frame every 5 s, for seeking on the web
        plan.width = 0;
        plan.height = 0;
        plan.audioCodec = AV_CODEC_ID_AAC;
        plan.audioRate = 48000;
        plan.audioBitRate = 192000;
        break;
    }
    if (disc && preset != Preset::Avi && preset != Preset::Mp4) {
        // The disc's own size and rates: nothing set elsewhere changes them.
        makeDiscPlan(preset, ntsc, quality, plan);
        return {};
    }
    if (width > 0 && height > 0) {
        plan.width = width;
        plan.height = height;
    }
    if (plan.width % 2 || plan.height % 2)
        return "the frame size must be even for 4:2:0 video (" + std::to_string(plan.width) + " x " +
               std::to_string(plan.height) + ")";
    if (plan.videoCodec == AV_CODEC_ID_MPEG1VIDEO || plan.videoCodec == AV_CODEC_ID_MPEG2VIDEO) {
        if (plan.width > 4095 || plan.height > 4095)
            return "MPEG video is limited to 4095 x 4095";
    }
    if (plan.width > 0)
        settleBitRates(quality, videoKbps, minimumKbps, maximumKbps, plan);
    return {};
}

} // namespace fotarel::media::detail
