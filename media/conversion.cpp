#include "media/conversion.h"

#include "media/audio_reader.h"
#include "media/ffmpeg_util.h"
#include "media/output_plan.h"
#include "media/yuv_convert.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <QImageReader>
#include <QString>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fotarel::media {

namespace {

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void removeQuietly(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(path), ignored);
}

// A new empty file named `base`, a tag no other file has and `suffix`,
// created exclusively: two runs (or two programs) writing the same output
// never write into one temporary file. Empty when it cannot be made (errno
// says why).
std::string createUniqueFile(const std::string& base, const std::string& suffix)
{
    static std::atomic<unsigned> serial{0};
    std::random_device entropy;
    for (int attempt = 0; attempt < 64; ++attempt) {
        char tag[40];
        std::snprintf(tag, sizeof tag, ".%ld-%08x%04x", static_cast<long>(::getpid()), entropy(),
                      serial.fetch_add(1) & 0xFFFFu);
        const std::string path = base + tag + suffix;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

// Which file a name stands for, to see whether another program put a file
// there while this run wrote its own.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t modifiedNs = 0;
    off_t size = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino, std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            st.st_size};
}

// QImage's 32-bit formats are 0xAARRGGBB words: B, G, R, A in memory on
// little-endian machines.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr AVPixelFormat kQtRgb32 = AV_PIX_FMT_BGRA;
#else
constexpr AVPixelFormat kQtRgb32 = AV_PIX_FMT_ARGB;
#endif

struct OutputCloser {
    void operator()(AVFormatContext* c) const
    {
        if (c->pb && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
using OutputPtr = std::unique_ptr<AVFormatContext, OutputCloser>;

// A frame as the conversion reads it: pixels in a layout swscale knows.
struct Picture {
    const std::uint8_t* pixels = nullptr;
    int stride = 0;
    int width = 0;
    int height = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    QImage holder; // keeps decoded or converted pixels alive

    bool valid() const { return pixels && width > 0 && height > 0; }
};

} // namespace

// One run of convert(): owns the encoders, the output and the song reader.
class ConversionRun {
public:
    ConversionRun(Conversion& c, std::stop_token stop) : c_(c), stop_(std::move(stop)) {}
    ~ConversionRun()
    {
        stopWorker();
        discardOutput();
        av_channel_layout_uninit(&swrInLayout_);
    }

    bool run();

private:
    // Ends the run; `reported` when the error callback already heard of it.
    struct Failure {
        ErrorCode code;
        std::string text;
        bool reported;
    };
    // A picture shown for output frames [firstPts, endPts): an encoder
    // frame, or a picture the worker converts first (`convert`), or neither:
    // the worker's latest picture again.
    struct VideoJob {
        detail::FramePtr frame;
        Picture picture;
        bool convert = false;
        std::int64_t firstPts = 0;
        std::int64_t endPts = 0;
    };
    // A colour converter with the context it keeps between frames.
    struct Scaler {
        SwsContext* context = nullptr;
        detail::SwsPtr owner;
    };

    // Records an error and tells the error callback; returns its answer.
    ErrorAnswer report(ErrorCode code, const std::string& text);
    // Ends the run with an error (which the caller's thread reports).
    [[noreturn]] void fail(ErrorCode code, const std::string& text);
    void check(int rc, ErrorCode code, const std::string& what);
    void checkAbort();

    // Asks the video source for frame `index`; false when the list ended.
    bool fetchFrame(int index);
    bool readPicture(const SourceAnswer::Item& item, Picture& picture, std::string& error);

    void openOutput();
    // Hands what the encoder tells the muxer (the MPEG video buffer size)
    // on to the stream.
    void copyCodedSideData(const AVCodecContext* codec, AVStream* stream);
    void openVideoEncoder();
    void openAudioEncoder();
    // A pooled picture buffer that nobody else holds any more.
    AVFrame* freeVideoFrame(std::vector<detail::FramePtr>& pool);
    void scaleInto(Scaler& scaler, const Picture& picture, AVFrame* frame);
    void encodeVideo(const AVFrame* frame);

    // Video encoding runs on a worker thread, so that the caller's next
    // frame (the video function) is made while this one is encoded.
    void startWorker();
    void workerLoop();
    void submit(VideoJob job);
    // Waits for the worker to finish the queue and flush the encoder.
    void finishWorker();
    void stopWorker();
    void rethrowWorkerFailure();
    void writePacket(AVPacket* packet, AVCodecContext* codec, AVStream* stream);
    void writeImage(const AVPacket* packet);

    // Audio: decode songs in list order into the FIFO at the output's rate
    // and encode up to `target` samples of output time.
    bool openNextSong();
    bool decodeMoreMusic();
    void pushSilence(std::int64_t samples);
    void encodeAudioUpTo(std::int64_t target, bool final);
    void encodeAudioFrame(int samples);
    void drainResampler();
    // Drains an encoder into the output (images when `stream` is null).
    void flushEncoder(AVCodecContext* codec, AVStream* stream, AVPacket* packet);

    void finishOutput();
    void discardOutput();
    void progress(int status, int percent = 0);

    Conversion& c_;
    std::stop_token stop_;
    detail::OutputPlan plan_;

    // Video input.
    Picture current_;
    bool haveCurrent_ = false;
    bool fresh_ = false; // current_ was just read and is not in the encoder frame yet
    int inputFrames_ = 0;

    // Output.
    std::string tempPath_;
    FileIdentity outputBefore_; // what the output's name stood for when the run began
    OutputPtr output_;
    bool outputOpen_ = false;
    bool finished_ = false;
    detail::CodecPtr video_;
    detail::CodecPtr audio_;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    std::vector<detail::FramePtr> framePool_;
    AVFrame* lastFrame_ = nullptr; // the picture of the latest input frame
    bool lastOnWorker_ = false;    // ... unless the worker converted that one
    std::vector<detail::FramePtr> workerPool_;
    detail::FramePtr workerLast_; // the worker's latest converted picture
    AVColorRange frameRange_ = AVCOL_RANGE_UNSPECIFIED;
    detail::PacketPtr videoPacket_;
    detail::PacketPtr audioPacket_;
    std::mutex writeMutex_; // the muxer takes packets from both threads

    std::thread worker_;
    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<VideoJob> queue_;
    bool inputDone_ = false;
    bool stopRequested_ = false;
    bool workerFailed_ = false;
    std::optional<Failure> workerFailure_;
    Scaler scaler_;       // the caller's thread
    Scaler workerScaler_; // the worker's
    std::int64_t outputFrames_ = 0;

    // Image sequence.
    std::vector<std::string> imageTemps_;
    std::vector<std::string> imagesDone_;

    // Audio.
    std::unique_ptr<detail::AudioReader> song_;
    int songIndex_ = -1;
    bool musicEnded_ = false;
    std::int64_t samplesBeforeSong_ = 0;
    detail::SwrPtr swr_;
    AVChannelLayout swrInLayout_{};
    int swrInRate_ = 0;
    int swrInFormat_ = -1;
    detail::FifoPtr fifo_;
    detail::FramePtr audioFrame_;
    std::int64_t audioEncoded_ = 0; // output samples sent to the encoder
};

ErrorAnswer ConversionRun::report(ErrorCode code, const std::string& text)
{
    c_.lastError_ = code;
    c_.lastErrorText_ = text;
    if (c_.error_)
        return c_.error_(code, text);
    return ErrorAnswer::Skip;
}

void ConversionRun::fail(ErrorCode code, const std::string& text)
{
    throw Failure{code, text, false};
}

void ConversionRun::check(int rc, ErrorCode code, const std::string& what)
{
    if (rc < 0)
        fail(code, what + ": " + detail::errorText(rc));
}

void ConversionRun::checkAbort()
{
    if (stop_.stop_requested())
        fail(ErrorCode::Aborted, "the conversion was stopped");
}

void ConversionRun::progress(int status, int percent)
{
    if (c_.progress_)
        c_.progress_(status, c_.framesDone_.load(), c_.samplesDone_.load(), percent);
}

bool ConversionRun::readPicture(const SourceAnswer::Item& item, Picture& picture, std::string& error)
{
    picture = Picture{};
    QImage image;
    if (const std::string* path = std::get_if<std::string>(&item)) {
        // Read anew every time: the caller rewrites the same file between
        // requests.
        QImageReader reader(QString::fromStdString(*path));
        if (!reader.read(&image)) {
            error = "cannot read frame file \"" + *path + "\": " + reader.errorString().toStdString();
            return false;
        }
    } else if (const QImage* given = std::get_if<QImage>(&item)) {
        image = *given;
        if (image.isNull()) {
            error = "an empty picture was given as a frame";
            return false;
        }
    } else if (const RawFrame* raw = std::get_if<RawFrame>(&item)) {
        const int bytesPerPixel = raw->layout == RawFrame::Layout::Bgr24 ? 3 : 4;
        if (!raw->pixels || raw->width <= 0 || raw->height <= 0 || raw->stride < raw->width * bytesPerPixel) {
            error = "a raw frame with a bad size or stride was given";
            return false;
        }
        picture.pixels = raw->pixels;
        picture.stride = raw->stride;
        picture.width = raw->width;
        picture.height = raw->height;
        picture.format = raw->layout == RawFrame::Layout::Bgr24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGRA;
        return true;
    } else {
        error = "no frame";
        return false;
    }
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        picture.format = kQtRgb32; // 0xAARRGGBB words
        break;
    case QImage::Format_RGB888:
        picture.format = AV_PIX_FMT_RGB24;
        break;
    case QImage::Format_BGR888:
        picture.format = AV_PIX_FMT_BGR24;
        break;
    default:
        image = image.convertToFormat(QImage::Format_RGB32);
        picture.format = kQtRgb32;
        break;
    }
    if (image.isNull()) {
        error = "out of memory converting a frame";
        return false;
    }
    picture.holder = image;
    picture.pixels = picture.holder.constBits();
    picture.stride = static_cast<int>(picture.holder.bytesPerLine());
    picture.width = picture.holder.width();
    picture.height = picture.holder.height();
    return true;
}

bool ConversionRun::fetchFrame(int index)
{
    SourceAnswer answer;
    if (c_.videoSource_)
        c_.videoSource_(answer, index);
    if (std::holds_alternative<std::monostate>(answer.item()))
        return false;
    Picture picture;
    std::string error;
    if (readPicture(answer.item(), picture, error)) {
        current_ = std::move(picture);
        haveCurrent_ = fresh_ = true;
        return true;
    }
    if (report(ErrorCode::FrameUnreadable, error) == ErrorAnswer::Stop)
        throw Failure{ErrorCode::FrameUnreadable, error, true};
    // Skipped: the previous frame stands in, so the timing stays; before
    // the first readable frame a black one does when the size is known.
    if (!haveCurrent_) {
        if (plan_.width <= 0)
            fail(ErrorCode::FrameUnreadable, "the first frame is unreadable and no frame size is set");
        QImage black(plan_.width, plan_.height, QImage::Format_RGB32);
        black.fill(Qt::black);
        readPicture(black, current_, error);
        haveCurrent_ = fresh_ = true;
        return true;
    }
    // The encoder frame still holds the previous picture.
    fresh_ = false;
    return true;
}

void ConversionRun::openVideoEncoder()
{
    const AVCodec* encoder = plan_.encoderName.empty() ? avcodec_find_encoder(plan_.videoCodec)
                                                       : avcodec_find_encoder_by_name(plan_.encoderName.c_str());
    if (!encoder)
        fail(ErrorCode::EncoderFailed, std::string("no encoder for ") + avcodec_get_name(plan_.videoCodec));
    video_.reset(avcodec_alloc_context3(encoder));
    if (!video_)
        fail(ErrorCode::EncoderFailed, "out of memory");
    AVCodecContext* v = video_.get();
    v->width = plan_.width;
    v->height = plan_.height;
    v->pix_fmt = plan_.pixelFormat;
    v->framerate = plan_.frameRate;
    v->time_base = av_inv_q(plan_.frameRate);
    v->thread_count = 0; // one thread a core
    v->thread_type = FF_THREAD_SLICE | FF_THREAD_FRAME;
    if (plan_.kind == detail::OutputPlan::Kind::Images) {
        if (plan_.videoCodec == AV_CODEC_ID_MJPEG) {
            v->color_range = AVCOL_RANGE_JPEG;
            v->flags |= AV_CODEC_FLAG_QSCALE;
            v->global_quality = FF_QP2LAMBDA * plan_.imageQuality;
        }
    } else {
        v->bit_rate = plan_.videoBitRate;
        v->rc_max_rate = plan_.maxRate;
        v->rc_min_rate = plan_.minRate;
        v->rc_buffer_size = static_cast<int>(plan_.bufferSize);
        v->gop_size = plan_.gopSize;
        v->max_b_frames = plan_.maxBFrames;
        v->color_range = AVCOL_RANGE_MPEG;
        if (detail::usesBt709(plan_)) {
            v->colorspace = AVCOL_SPC_BT709;
            v->color_primaries = AVCOL_PRI_BT709;
            v->color_trc = AVCOL_TRC_BT709;
        } else {
            v->colorspace = AVCOL_SPC_SMPTE170M;
            v->color_primaries = plan_.standard == Standard::Ntsc ? AVCOL_PRI_SMPTE170M : AVCOL_PRI_BT470BG;
            v->color_trc = AVCOL_TRC_SMPTE170M;
        }
        v->sample_aspect_ratio = plan_.sampleAspect;
        if (output_->oformat->flags & AVFMT_GLOBALHEADER)
            v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (plan_.scanOffset)
            check(av_opt_set_int(v->priv_data, "scan_offset", plan_.scanOffset, 0), ErrorCode::EncoderFailed,
                  "cannot reserve the scan offsets");
    }
    AVDictionary* options = nullptr;
    if (plan_.crf > 0)
        av_dict_set_int(&options, "crf", plan_.crf, 0);
    if (!plan_.encoderPreset.empty())
        av_dict_set(&options, "preset", plan_.encoderPreset.c_str(), 0);
    const int opened = avcodec_open2(v, encoder, &options);
    av_dict_free(&options);
    check(opened, ErrorCode::EncoderFailed, std::string("cannot open the ") + encoder->name + " encoder");
    frameRange_ = v->color_range;
    if (plan_.kind == detail::OutputPlan::Kind::Images)
        return;
    videoStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!videoStream_)
        fail(ErrorCode::OutputFailed, "cannot add the video stream");
    videoStream_->time_base = v->time_base;
    videoStream_->avg_frame_rate = plan_.frameRate;
    videoStream_->sample_aspect_ratio = v->sample_aspect_ratio;
    check(avcodec_parameters_from_context(videoStream_->codecpar, v), ErrorCode::EncoderFailed,
          "cannot describe the video stream");
    copyCodedSideData(v, videoStream_);
    if (plan_.kind == detail::OutputPlan::Kind::Avi)
        videoStream_->codecpar->codec_tag = MKTAG('X', 'V', 'I', 'D'); // what AVI players know MPEG-4 by
}

void ConversionRun::copyCodedSideData(const AVCodecContext* codec, AVStream* stream)
{
    for (int i = 0; i < codec->nb_coded_side_data; ++i) {
        const AVPacketSideData& side = codec->coded_side_data[i];
        std::uint8_t* data = av_stream_new_side_data(stream, side.type, side.size);
        if (!data)
            fail(ErrorCode::OutputFailed, "out of memory");
        std::memcpy(data, side.data, side.size);
    }
}

void ConversionRun::openAudioEncoder()
{
    const AVCodec* encoder = avcodec_find_encoder(plan_.audioCodec);
    if (!encoder)
        fail(ErrorCode::EncoderFailed, std::string("no encoder for ") + avcodec_get_name(plan_.audioCodec));
    audio_.reset(avcodec_alloc_context3(encoder));
    if (!audio_)
        fail(ErrorCode::EncoderFailed, "out of memory");
    AVCodecContext* a = audio_.get();
    a->sample_rate = plan_.audioRate;
    a->bit_rate = plan_.audioBitRate;
    av_channel_layout_default(&a->ch_layout, 2);
    // The encoder's preferred sample format: the first it lists.
    a->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    a->time_base = AVRational{1, plan_.audioRate};
    if (output_->oformat->flags & AVFMT_GLOBALHEADER)
        a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(a, encoder, nullptr), ErrorCode::EncoderFailed,
          std::string("cannot open the ") + encoder->name + " encoder");
    audioStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!audioStream_)
        fail(ErrorCode::OutputFailed, "cannot add the audio stream");
    audioStream_->time_base = a->time_base;
    check(avcodec_parameters_from_context(audioStream_->codecpar, a), ErrorCode::EncoderFailed,
          "cannot describe the audio stream");
    fifo_.reset(av_audio_fifo_alloc(a->sample_fmt, a->ch_layout.nb_channels, 4096));
    audioFrame_.reset(av_frame_alloc());
    if (!fifo_ || !audioFrame_)
        fail(ErrorCode::EncoderFailed, "out of memory");
}

void ConversionRun::openOutput()
{
    const bool images = plan_.kind == detail::OutputPlan::Kind::Images;
    if (!images) {
        // Written under a temporary name of its own and renamed once
        // complete, so a file with the chosen name is always a finished one.
        outputBefore_ = identityOf(c_.videoPath_);
        tempPath_ = createUniqueFile(c_.videoPath_, ".part");
        if (tempPath_.empty())
            fail(ErrorCode::OutputFailed, "cannot write \"" + c_.videoPath_ + "\": " + std::strerror(errno));
        AVFormatContext* raw = nullptr;
        check(avformat_alloc_output_context2(&raw, nullptr, plan_.muxer.c_str(), nullptr), ErrorCode::OutputFailed,
              "cannot make a " + plan_.muxer + " output");
        output_.reset(raw);
    }
    openVideoEncoder();
    if (images)
        return;
    openAudioEncoder();
    // The muxer re-opens its file by this name to move the MP4 index first.
    av_freep(&output_->url);
    output_->url = av_strdup(detail::fileUrl(tempPath_).c_str());
    if (!output_->url)
        fail(ErrorCode::OutputFailed, "out of memory");
    check(avio_open(&output_->pb, output_->url, AVIO_FLAG_WRITE), ErrorCode::OutputFailed,
          "cannot write \"" + tempPath_ + "\"");
    outputOpen_ = true;
    AVDictionary* options = nullptr;
    if (plan_.dvdMuxRate)
        av_dict_set(&options, "muxrate", "10080000", 0);
    if (plan_.muxRate > 0)
        av_dict_set_int(&options, "muxrate", plan_.muxRate, 0);
    if (plan_.preloadUs >= 0)
        av_dict_set_int(&options, "preload", plan_.preloadUs, 0);
    if (plan_.packetSize > 0)
        output_->packet_size = static_cast<unsigned>(plan_.packetSize);
    if (plan_.kind == detail::OutputPlan::Kind::Mp4)
        av_dict_set(&options, "movflags", "+faststart", 0); // the index first: playback starts while loading
    const int rc = avformat_write_header(output_.get(), &options);
    av_dict_free(&options);
    check(rc, ErrorCode::OutputFailed, "cannot write the header of \"" + c_.videoPath_ + "\"");
}

AVFrame* ConversionRun::freeVideoFrame(std::vector<detail::FramePtr>& pool)
{
    // A buffer is writable once no queued job and no encoder holds it.
    for (const detail::FramePtr& frame : pool)
        if (av_frame_is_writable(frame.get()))
            return frame.get();
    detail::FramePtr frame(av_frame_alloc());
    if (!frame)
        fail(ErrorCode::EncoderFailed, "out of memory");
    frame->format = plan_.pixelFormat;
    frame->width = plan_.width;
    frame->height = plan_.height;
    frame->color_range = frameRange_;
    check(av_frame_get_buffer(frame.get(), 0), ErrorCode::EncoderFailed, "cannot allocate a video frame");
    if (plan_.pictureWidth != plan_.width || plan_.pictureHeight != plan_.height) {
        // The letterbox's bars stay black: pictures go inside them only.
        std::ptrdiff_t lines[4];
        for (int i = 0; i < 4; ++i)
            lines[i] = frame->linesize[i];
        check(av_image_fill_black(frame->data, lines, plan_.pixelFormat, frameRange_, plan_.width, plan_.height),
              ErrorCode::EncoderFailed, "cannot clear a video frame");
    }
    pool.push_back(std::move(frame));
    return pool.back().get();
}

void ConversionRun::scaleInto(Scaler& scaler, const Picture& picture, AVFrame* frame)
{
    // The common case of the MPEG outputs — a 32-bit picture at the encoded
    // size into limited-range BT.601 4:2:0, filling the frame — has a
    // direct converter of its own.
    if (picture.format == kQtRgb32 && kQtRgb32 == AV_PIX_FMT_BGRA && picture.width == plan_.width &&
        picture.height == plan_.height && plan_.pixelFormat == AV_PIX_FMT_YUV420P &&
        frameRange_ != AVCOL_RANGE_JPEG && !detail::usesBt709(plan_) && plan_.width % 2 == 0 &&
        plan_.height % 2 == 0 && plan_.pictureWidth == plan_.width && plan_.pictureHeight == plan_.height) {
        detail::bgrxToYuv420(picture.pixels, picture.stride, picture.width, picture.height,
                             {frame->data[0], frame->data[1], frame->data[2], frame->linesize[0],
                              frame->linesize[1], frame->linesize[2]});
        return;
    }
    // Bicubic scaling when the size differs; at the same size swscale
    // takes its direct colour-conversion paths (bgr24 is the fastest).
    const int flags = SWS_BICUBIC;
    const int width = plan_.pictureWidth > 0 ? plan_.pictureWidth : plan_.width;
    const int height = plan_.pictureHeight > 0 ? plan_.pictureHeight : plan_.height;
    SwsContext* next = sws_getCachedContext(scaler.context, picture.width, picture.height, picture.format, width,
                                            height, plan_.pixelFormat, flags, nullptr, nullptr, nullptr);
    if (!next)
        fail(ErrorCode::EncoderFailed, "cannot convert frames of this size or layout");
    if (next != scaler.context) {
        // sws_getCachedContext freed the old context itself.
        (void)scaler.owner.release();
        scaler.owner.reset(next);
        scaler.context = next;
        if (frameRange_ == AVCOL_RANGE_JPEG) {
            const int* table = sws_getCoefficients(SWS_CS_ITU601);
            sws_setColorspaceDetails(next, table, 1, table, 1, 0, 1 << 16, 1 << 16);
        } else if (detail::usesBt709(plan_)) {
            // The pixels must be what the stream's BT.709 flags say they are.
            const int* table = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(next, table, 0, table, 0, 0, 1 << 16, 1 << 16);
        }
    }
    const std::uint8_t* source[4] = {picture.pixels, nullptr, nullptr, nullptr};
    const int strides[4] = {picture.stride, 0, 0, 0};
    // A letterboxed picture goes inside the bars (4:2:0: even offsets, the
    // colour planes at half of them).
    std::uint8_t* target[4] = {frame->data[0], frame->data[1], frame->data[2], frame->data[3]};
    if (plan_.pictureX || plan_.pictureY) {
        target[0] += std::ptrdiff_t(plan_.pictureY) * frame->linesize[0] + plan_.pictureX;
        for (int i = 1; i < 3; ++i)
            if (target[i])
                target[i] += std::ptrdiff_t(plan_.pictureY / 2) * frame->linesize[i] + plan_.pictureX / 2;
    }
    const int rows = sws_scale(next, source, strides, 0, picture.height, target, frame->linesize);
    check(rows, ErrorCode::EncoderFailed, "cannot convert a frame");
    if (rows != height)
        fail(ErrorCode::EncoderFailed, "cannot convert a frame: " + std::to_string(rows) + " of " +
                                           std::to_string(height) + " rows made");
}

void ConversionRun::startWorker()
{
    worker_ = std::thread([this] { workerLoop(); });
}

void ConversionRun::workerLoop()
{
    try {
        while (true) {
            VideoJob job;
            {
                std::unique_lock<std::mutex> lock(queueMutex_);
                queueChanged_.wait(lock, [this] { return stopRequested_ || inputDone_ || !queue_.empty(); });
                if (stopRequested_)
                    return;
                if (queue_.empty())
                    break; // all input handed over
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            queueChanged_.notify_all();
            if (job.convert) {
                AVFrame* converted = freeVideoFrame(workerPool_);
                scaleInto(workerScaler_, job.picture, converted);
                job.picture = Picture{}; // the pixels are not needed any more
                workerLast_.reset(av_frame_alloc());
                if (!workerLast_ || av_frame_ref(workerLast_.get(), converted) < 0)
                    fail(ErrorCode::EncoderFailed, "out of memory");
            }
            AVFrame* frame = job.frame ? job.frame.get() : workerLast_.get();
            if (!frame)
                fail(ErrorCode::EncoderFailed, "no picture to encode");
            for (std::int64_t pts = job.firstPts; pts < job.endPts; ++pts) {
                checkAbort(); // ends the worker; the caller's thread takes the failure
                frame->pts = pts;
                encodeVideo(frame);
            }
        }
        flushEncoder(video_.get(), videoStream_, videoPacket_.get());
    } catch (const Failure& failure) {
        std::lock_guard<std::mutex> lock(queueMutex_);
        workerFailure_ = failure;
        workerFailed_ = true;
    } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(queueMutex_);
        workerFailure_ = Failure{ErrorCode::EncoderFailed, std::string("video encoding failed: ") + e.what(), false};
        workerFailed_ = true;
    }
    queueChanged_.notify_all();
}

void ConversionRun::submit(VideoJob job)
{
    {
        // Two frames waiting is enough to keep the encoder busy.
        std::unique_lock<std::mutex> lock(queueMutex_);
        queueChanged_.wait(lock, [this] { return queue_.size() < 2 || workerFailed_; });
        if (!workerFailed_)
            queue_.push_back(std::move(job));
    }
    queueChanged_.notify_all();
    rethrowWorkerFailure();
}

void ConversionRun::rethrowWorkerFailure()
{
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (workerFailure_)
        throw *workerFailure_;
}

void ConversionRun::finishWorker()
{
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        inputDone_ = true;
    }
    queueChanged_.notify_all();
    if (worker_.joinable())
        worker_.join();
    rethrowWorkerFailure();
}

void ConversionRun::stopWorker()
{
    if (!worker_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopRequested_ = true;
    }
    queueChanged_.notify_all();
    worker_.join();
}

void ConversionRun::writePacket(AVPacket* packet, AVCodecContext* codec, AVStream* stream)
{
    std::lock_guard<std::mutex> lock(writeMutex_);
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    check(av_interleaved_write_frame(output_.get(), packet), ErrorCode::OutputFailed,
          "cannot write \"" + c_.videoPath_ + "\"");
}

void ConversionRun::writeImage(const AVPacket* packet)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%09zu", imageTemps_.size());
    const std::string path = createUniqueFile(plan_.images.folder + ".fotarel-" + digits, ".part");
    if (path.empty())
        fail(ErrorCode::OutputFailed, "cannot write in \"" + plan_.images.folder + "\": " + std::strerror(errno));
    imageTemps_.push_back(path);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        fail(ErrorCode::OutputFailed, "cannot write \"" + path + "\": " + std::strerror(errno));
    const bool written = std::fwrite(packet->data, 1, static_cast<std::size_t>(packet->size), file) ==
                         static_cast<std::size_t>(packet->size);
    const int err = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        fail(ErrorCode::OutputFailed, "cannot write \"" + path + "\": " + std::strerror(written ? errno : err));
}

void ConversionRun::encodeVideo(const AVFrame* frame)
{
    AVCodecContext* v = video_.get();
    check(avcodec_send_frame(v, frame), ErrorCode::EncoderFailed, "the video encoder refused a frame");
    while (true) {
        AVPacket* packet = videoPacket_.get();
        const int rc = avcodec_receive_packet(v, packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return;
        check(rc, ErrorCode::EncoderFailed, "video encoding failed");
        if (plan_.kind == detail::OutputPlan::Kind::Images)
            writeImage(packet);
        else
            writePacket(packet, v, videoStream_);
        av_packet_unref(packet);
    }
}

bool ConversionRun::openNextSong()
{
    while (true) {
        checkAbort();
        ++songIndex_;
        SourceAnswer answer;
        if (c_.audioSource_)
            c_.audioSource_(answer, songIndex_);
        if (std::holds_alternative<std::monostate>(answer.item())) {
            musicEnded_ = true;
            return false;
        }
        const std::string* path = std::get_if<std::string>(&answer.item());
        if (!path) {
            const std::string text = "songs can only be given as files";
            if (report(ErrorCode::AudioUnreadable, text) == ErrorAnswer::Stop)
                throw Failure{ErrorCode::AudioUnreadable, text, true};
            continue;
        }
        auto reader = std::make_unique<detail::AudioReader>();
        if (reader->open(*path)) {
            song_ = std::move(reader);
            return true;
        }
        if (report(ErrorCode::AudioUnreadable, reader->error()) == ErrorAnswer::Stop)
            throw Failure{ErrorCode::AudioUnreadable, reader->error(), true};
    }
}

bool ConversionRun::decodeMoreMusic()
{
    if (musicEnded_)
        return false;
    if (!song_ && !openNextSong())
        return false;
    AVCodecContext* a = audio_.get();
    const AVFrame* in = song_->next();
    c_.samplesDone_.store(samplesBeforeSong_ + song_->decodedSamples());
    const bool songEnded = in == nullptr;
    if (songEnded && !song_->error().empty() &&
        report(ErrorCode::AudioUnreadable, song_->error()) == ErrorAnswer::Stop)
        throw Failure{ErrorCode::AudioUnreadable, song_->error(), true};
    if (in && (!swr_ || av_channel_layout_compare(&swrInLayout_, &in->ch_layout) != 0 ||
               swrInRate_ != in->sample_rate || swrInFormat_ != in->format)) {
        // A new song (or a song changing its format midway): drain what
        // the old resampler holds and set up one for the new input.
        if (swr_)
            drainResampler();
        av_channel_layout_uninit(&swrInLayout_);
        check(av_channel_layout_copy(&swrInLayout_, &in->ch_layout), ErrorCode::AudioUnreadable,
              "bad channel layout");
        SwrContext* raw = nullptr;
        check(swr_alloc_set_opts2(&raw, &a->ch_layout, a->sample_fmt, a->sample_rate, &swrInLayout_,
                                  static_cast<AVSampleFormat>(in->format), in->sample_rate, 0, nullptr),
              ErrorCode::AudioUnreadable, "cannot resample the song");
        swr_.reset(raw);
        check(swr_init(swr_.get()), ErrorCode::AudioUnreadable, "cannot resample the song");
        swrInRate_ = in->sample_rate;
        swrInFormat_ = in->format;
    }
    if (!swr_) {
        // A song with nothing decodable before its end.
        samplesBeforeSong_ += song_->decodedSamples();
        if (c_.audioFunction_)
            c_.audioFunction_(songIndex_, song_->decodedSamples());
        song_.reset();
        return true;
    }
    const int capacity = swr_get_out_samples(swr_.get(), in ? in->nb_samples : 0) + 32;
    detail::FramePtr out(av_frame_alloc());
    if (!out)
        fail(ErrorCode::AudioUnreadable, "out of memory");
    out->format = a->sample_fmt;
    check(av_channel_layout_copy(&out->ch_layout, &a->ch_layout), ErrorCode::AudioUnreadable, "out of memory");
    out->sample_rate = a->sample_rate;
    out->nb_samples = capacity;
    check(av_frame_get_buffer(out.get(), 0), ErrorCode::AudioUnreadable, "out of memory");
    const int got = swr_convert(swr_.get(), out->data, capacity,
                                in ? const_cast<const std::uint8_t**>(in->extended_data) : nullptr,
                                in ? in->nb_samples : 0);
    check(got, ErrorCode::AudioUnreadable, "cannot resample the song");
    if (got > 0 && av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(out->data), got) < got)
        fail(ErrorCode::AudioUnreadable, "out of memory");
    if (songEnded) {
        samplesBeforeSong_ += song_->decodedSamples();
        if (c_.audioFunction_)
            c_.audioFunction_(songIndex_, song_->decodedSamples());
        song_.reset();
        // The resampler was drained by the call above; the next song's
        // first frame sets up a fresh one.
        swr_.reset();
    }
    return true;
}

void ConversionRun::pushSilence(std::int64_t samples)
{
    AVCodecContext* a = audio_.get();
    detail::FramePtr silence(av_frame_alloc());
    if (!silence)
        fail(ErrorCode::EncoderFailed, "out of memory");
    while (samples > 0) {
        const int n = static_cast<int>(std::min<std::int64_t>(samples, 4096));
        av_frame_unref(silence.get());
        silence->format = a->sample_fmt;
        check(av_channel_layout_copy(&silence->ch_layout, &a->ch_layout), ErrorCode::EncoderFailed, "out of memory");
        silence->nb_samples = n;
        check(av_frame_get_buffer(silence.get(), 0), ErrorCode::EncoderFailed, "out of memory");
        av_samples_set_silence(silence->data, 0, n, a->ch_layout.nb_channels, a->sample_fmt);
        if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(silence->data), n) < n)
            fail(ErrorCode::EncoderFailed, "out of memory");
        samples -= n;
    }
}

void ConversionRun::drainResampler()
{
    AVCodecContext* a = audio_.get();
    const int capacity = swr_get_out_samples(swr_.get(), 0) + 32;
    detail::FramePtr out(av_frame_alloc());
    if (!out)
        fail(ErrorCode::AudioUnreadable, "out of memory");
    out->format = a->sample_fmt;
    check(av_channel_layout_copy(&out->ch_layout, &a->ch_layout), ErrorCode::AudioUnreadable, "out of memory");
    out->nb_samples = capacity;
    check(av_frame_get_buffer(out.get(), 0), ErrorCode::AudioUnreadable, "out of memory");
    const int got = swr_convert(swr_.get(), out->data, capacity, nullptr, 0);
    check(got, ErrorCode::AudioUnreadable, "cannot resample the song");
    if (got > 0 && av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(out->data), got) < got)
        fail(ErrorCode::AudioUnreadable, "out of memory");
}

void ConversionRun::encodeAudioFrame(int samples)
{
    AVCodecContext* a = audio_.get();
    AVFrame* frame = audioFrame_.get();
    av_frame_unref(frame);
    frame->format = a->sample_fmt;
    check(av_channel_layout_copy(&frame->ch_layout, &a->ch_layout), ErrorCode::EncoderFailed, "out of memory");
    frame->sample_rate = a->sample_rate;
    frame->nb_samples = samples;
    check(av_frame_get_buffer(frame, 0), ErrorCode::EncoderFailed, "out of memory");
    const int got = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), samples);
    if (got < samples)
        av_samples_set_silence(frame->data, std::max(got, 0), samples - std::max(got, 0),
                               a->ch_layout.nb_channels, a->sample_fmt);
    frame->pts = audioEncoded_;
    audioEncoded_ += samples;
    check(avcodec_send_frame(a, frame), ErrorCode::EncoderFailed, "the audio encoder refused a frame");
    while (true) {
        AVPacket* packet = audioPacket_.get();
        const int rc = avcodec_receive_packet(a, packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return;
        check(rc, ErrorCode::EncoderFailed, "audio encoding failed");
        writePacket(packet, a, audioStream_);
        av_packet_unref(packet);
    }
}

void ConversionRun::encodeAudioUpTo(std::int64_t target, bool final)
{
    const int frameSize = audio_->frame_size > 0 ? audio_->frame_size : 1152;
    while (true) {
        checkAbort();
        const std::int64_t buffered = av_audio_fifo_size(fifo_.get());
        const std::int64_t wanted = target - audioEncoded_;
        if (wanted <= 0)
            break;
        if (wanted >= frameSize) {
            if (buffered >= frameSize) {
                encodeAudioFrame(frameSize);
                continue;
            }
        } else if (!final) {
            break; // the rest goes with a later frame
        } else if (buffered >= wanted) {
            break;
        }
        if (decodeMoreMusic())
            continue;
        if (!final) {
            // The music has ended before the video: silence from here.
            pushSilence(frameSize);
            continue;
        }
        pushSilence(wanted - buffered);
    }
    if (final) {
        const std::int64_t rest = target - audioEncoded_;
        if (rest > 0) {
            const bool small = audio_->codec->capabilities &
                               (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
            // Encoders without a short last frame get it filled up with
            // silence: less than one audio frame (about 30 ms) longer.
            encodeAudioFrame(small ? static_cast<int>(rest) : frameSize);
        }
    }
}

void ConversionRun::flushEncoder(AVCodecContext* codec, AVStream* stream, AVPacket* packet)
{
    check(avcodec_send_frame(codec, nullptr), ErrorCode::EncoderFailed, "cannot finish encoding");
    while (true) {
        const int rc = avcodec_receive_packet(codec, packet);
        if (rc == AVERROR_EOF || rc == AVERROR(EAGAIN))
            return;
        check(rc, ErrorCode::EncoderFailed, "cannot finish encoding");
        if (stream)
            writePacket(packet, codec, stream);
        else
            writeImage(packet);
        av_packet_unref(packet);
    }
}

void ConversionRun::finishOutput()
{
    finishWorker(); // all video encoded and flushed
    if (plan_.kind == detail::OutputPlan::Kind::Images) {
        checkAbort(); // the last moment a stop leaves nothing under the chosen names
        const int first = plan_.images.firstNumber;
        const int last = first + static_cast<int>(imageTemps_.size()) - 1;
        for (std::size_t i = 0; i < imageTemps_.size(); ++i) {
            const std::string name = detail::imageFileName(plan_.images, first + static_cast<int>(i), last);
            std::error_code error;
            std::filesystem::rename(imageTemps_[i], name, error);
            if (error)
                fail(ErrorCode::OutputFailed, "cannot name \"" + name + "\": " + error.message());
            imagesDone_.push_back(name);
        }
        imageTemps_.clear();
        finished_ = true;
        return;
    }
    const std::int64_t videoSamples =
        av_rescale_q(outputFrames_, av_inv_q(plan_.frameRate), AVRational{1, plan_.audioRate});
    std::int64_t target = videoSamples;
    if (!c_.cutAudio_) {
        // All the music, and never shorter than the video.
        const int frameSize = audio_->frame_size > 0 ? audio_->frame_size : 1152;
        do {
            checkAbort();
            while (av_audio_fifo_size(fifo_.get()) >= frameSize)
                encodeAudioFrame(frameSize);
        } while (decodeMoreMusic());
        target = std::max(videoSamples, audioEncoded_ + av_audio_fifo_size(fifo_.get()));
    }
    encodeAudioUpTo(target, true);
    flushEncoder(audio_.get(), audioStream_, audioPacket_.get());
    check(av_write_trailer(output_.get()), ErrorCode::OutputFailed, "cannot finish \"" + c_.videoPath_ + "\"");
    const int writeError = output_->pb->error;
    outputOpen_ = false;
    const int closeError = avio_closep(&output_->pb);
    check(writeError < 0 ? writeError : closeError, ErrorCode::OutputFailed,
          "cannot finish \"" + c_.videoPath_ + "\"");
    checkAbort(); // the last moment a stop leaves nothing under the chosen name
    // Another program that wrote the same output meanwhile has its own
    // complete file there: this run keeps its hands off it and says so,
    // rather than reporting success for a file it did not write.
    const std::string taken = "\"" + c_.videoPath_ + "\" was written by another program during the conversion";
    if (identityOf(c_.videoPath_) != outputBefore_)
        fail(ErrorCode::OutputTaken, taken);
    int renamed = -1;
    if (!outputBefore_.exists) {
        renamed = ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, c_.videoPath_.c_str(), RENAME_NOREPLACE);
        if (renamed != 0 && errno == EEXIST)
            fail(ErrorCode::OutputTaken, taken);
    }
    if (renamed != 0 && ::rename(tempPath_.c_str(), c_.videoPath_.c_str()) != 0)
        fail(ErrorCode::OutputFailed, "cannot name \"" + c_.videoPath_ + "\": " + std::strerror(errno));
    finished_ = true;
}

void ConversionRun::discardOutput()
{
    if (finished_)
        return;
    if (output_ && outputOpen_)
        avio_closep(&output_->pb);
    outputOpen_ = false;
    if (!tempPath_.empty())
        removeQuietly(tempPath_);
    for (const std::string& path : imageTemps_)
        removeQuietly(path);
    for (const std::string& path : imagesDone_)
        removeQuietly(path);
    imageTemps_.clear();
    imagesDone_.clear();
}

bool ConversionRun::run()
{
    try {
        progress(StatusPreparing);
        if (c_.videoPath_.empty())
            fail(ErrorCode::BadSetting, "no output file name is set");
        const std::string error =
            detail::makePlan(c_.preset_, c_.standard_, c_.quality_, c_.width_, c_.height_, c_.videoKbps_,
                             c_.minimumKbps_, c_.maximumKbps_, c_.videoPath_, plan_, c_.disc_);
        if (!error.empty())
            fail(ErrorCode::BadSetting, error);
        plan_.standard = c_.standard_;
        if (plan_.kind != detail::OutputPlan::Kind::Images && !c_.audioPath_.empty() &&
            c_.audioPath_ != c_.videoPath_)
            fail(ErrorCode::BadSetting, "the audio goes into the video file; a separate audio file is not made");
        videoPacket_.reset(av_packet_alloc());
        audioPacket_.reset(av_packet_alloc());
        if (!videoPacket_ || !audioPacket_)
            fail(ErrorCode::EncoderFailed, "out of memory");

        checkAbort();
        if (!fetchFrame(0))
            fail(ErrorCode::NoFrames, "there are no frames to convert");
        if (plan_.width <= 0) {
            // The first frame's size; 4:2:0 video needs even sizes.
            const bool halfChroma = plan_.kind != detail::OutputPlan::Kind::Images;
            plan_.width = halfChroma ? current_.width & ~1 : current_.width;
            plan_.height = halfChroma ? current_.height & ~1 : current_.height;
            if (plan_.width <= 0 || plan_.height <= 0)
                fail(ErrorCode::BadSetting, "the first frame is too small");
            detail::settleBitRates(c_.quality_, c_.videoKbps_, c_.minimumKbps_, c_.maximumKbps_, plan_);
        }
        // The picture keeps the first frame's shape.
        detail::settleShape(current_.width, current_.height, plan_);
        openOutput();

        const bool images = plan_.kind == detail::OutputPlan::Kind::Images;
        const bool repeatByTime = c_.keepDuration_ && !images;
        startWorker();
        for (int index = 0;; ++index) {
            // A picture that holds its own pixels (a QImage, a frame file)
            // is converted on the worker, beside the next frame's making. A
            // raw frame is converted before the video function runs: the
            // caller may reuse its memory from then on. A skipped frame
            // repeats the previous picture.
            VideoJob job;
            if (fresh_ && !current_.holder.isNull()) {
                job.picture = current_;
                job.convert = true;
                lastOnWorker_ = true;
            } else if (fresh_) {
                lastFrame_ = freeVideoFrame(framePool_);
                scaleInto(scaler_, current_, lastFrame_);
                lastOnWorker_ = false;
            }
            fresh_ = false;
            if (!lastOnWorker_ && !job.convert) {
                job.frame.reset(av_frame_alloc());
                if (!job.frame)
                    fail(ErrorCode::EncoderFailed, "out of memory");
                check(av_frame_ref(job.frame.get(), lastFrame_), ErrorCode::EncoderFailed, "out of memory");
            }
            // Input frame `index` covers [index, index + 1) / 25 s; output
            // frames whose start falls in it show it.
            const std::int64_t end =
                detail::outputFramesThrough(std::int64_t(index) + 1, plan_.frameRate, repeatByTime);
            job.firstPts = outputFrames_;
            job.endPts = end;
            outputFrames_ = end;
            // The worker encodes this frame while the video function makes
            // the next one.
            submit(std::move(job));
            if (c_.videoFunction_)
                c_.videoFunction_(index);
            if (!images)
                encodeAudioUpTo(av_rescale_q(outputFrames_, av_inv_q(plan_.frameRate),
                                             AVRational{1, plan_.audioRate}),
                                false);
            inputFrames_ = index + 1;
            c_.framesDone_.store(inputFrames_);
            progress(StatusFrame);
            checkAbort();
            if (!fetchFrame(index + 1))
                break;
        }
        finishOutput();
        progress(StatusMuxed, 100);
    } catch (const Failure& failure) {
        stopWorker();
        if (!failure.reported)
            report(failure.code, failure.text);
        discardOutput();
        c_.endNs_.store(nowNs());
        progress(StatusElapsed);
        return false;
    }
    c_.endNs_.store(nowNs());
    progress(StatusElapsed);
    return true;
}

Conversion::Conversion()
{
    // The library reports what goes wrong through lastError(); FFmpeg's own
    // console lines (encoder statistics, muxer hints) would only reach a
    // user as noise.
    detail::quietLibraryLog();
}
Conversion::~Conversion() = default;

void Conversion::setVideoList(const MediaList& list)
{
    videoSource_ = [&list](SourceAnswer& answer, int index) { list.answer(answer, index); };
}

void Conversion::setAudioList(const MediaList& list)
{
    audioSource_ = [&list](SourceAnswer& answer, int index) { list.answer(answer, index); };
}

void Conversion::setFormatPreset(Preset preset, Standard standard)
{
    preset_ = preset;
    standard_ = standard;
}

void Conversion::setFrameSize(int width, int height)
{
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

void Conversion::setVideoBitRateLimits(int minimumKbps, int maximumKbps)
{
    minimumKbps_ = std::max(0, minimumKbps);
    maximumKbps_ = std::max(0, maximumKbps);
}

bool Conversion::convert(std::stop_token stop)
{
    lastError_ = ErrorCode::None;
    lastErrorText_.clear();
    framesDone_.store(0);
    samplesDone_.store(0);
    endNs_.store(0);
    startNs_.store(nowNs());
    ConversionRun run(*this, std::move(stop));
    return run.run();
}

double Conversion::elapsedTime() const
{
    const std::int64_t start = startNs_.load();
    if (start == 0)
        return 0;
    const std::int64_t end = endNs_.load();
    return double((end ? end : nowNs()) - start) / 1e9;
}

double Conversion::remainingTime(int totalFrames, std::int64_t totalSamples) const
{
    double done = 0;
    if (totalFrames > 0)
        done = double(framesDone_.load()) / totalFrames;
    else if (totalSamples > 0)
        done = double(samplesDone_.load()) / double(totalSamples);
    if (done <= 0)
        return 0;
    if (done >= 1)
        return 0;
    return elapsedTime() * (1 - done) / done;
}

std::string makeTimeText(double seconds)
{
    long long s = seconds > 0 && seconds < 1e12 ? static_cast<long long>(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

} // namespace fotarel::media
