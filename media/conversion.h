#pragma once

// The conversion library: frames (files or pictures in memory) and songs
// in, an MPEG program stream (VCD, SVCD, DVD), an AVI file or a numbered
// image sequence out. It knows nothing of albums; the caller answers its
// source callbacks and watches its progress callbacks.

#include <QImage>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <variant>
#include <vector>

namespace fotarel::media {

enum class Preset { Avi, Vcd, Svcd, Dvd, Mp4 };
enum class Standard { Pal, Ntsc };
enum class Quality { Normal, High };

// Status codes of the progress callback.
enum ProgressStatus : int {
    StatusElapsed = 0,   // the conversion has ended; elapsed time is final
    StatusPreparing = 1, // before the first frame
    StatusReducingColours = 2, // palette outputs only; no current output kind has one
    StatusFrame = 3,     // a frame was encoded
    StatusMuxed = 4,     // the output file was completed (percent)
};

enum class ErrorCode : int {
    None = 0,
    BadSetting = 1,       // the settings cannot make an output
    FrameUnreadable = 2,  // a frame file could not be read
    AudioUnreadable = 3,  // a song could not be opened or decoded
    OutputFailed = 4,     // the output could not be created or written
    EncoderFailed = 5,    // an encoder refused its settings or a frame
    Aborted = 6,          // a stop was requested through the token
    NoFrames = 7,         // the video source gave no frame at all
    OutputTaken = 8,      // another program wrote the output file during the run; it was left as it is
};

// What the error callback asks the conversion to do about an error that
// concerns one input (an unreadable frame file or song). Errors of the
// output always end the conversion.
enum class ErrorAnswer : int { Stop = 0, Skip = 2 };

// A frame in memory: 8-bit B,G,R (3 bytes a pixel) or B,G,R,A (4 bytes).
// The pixels must stay valid until the video function of that frame is
// called.
struct RawFrame {
    enum class Layout { Bgr24, Bgra };
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0; // bytes from one row to the next
    Layout layout = Layout::Bgr24;
};

// The answer to a source callback: a file, a picture, a raw frame, or the
// end of the list.
class SourceAnswer {
public:
    void setFile(const std::string& path) { item_ = path; }
    void setImage(const QImage& image) { item_ = image; }
    void setRaw(const RawFrame& frame) { item_ = frame; }
    void finished() { item_ = std::monostate{}; }

    using Item = std::variant<std::monostate, std::string, QImage, RawFrame>;
    const Item& item() const { return item_; }

private:
    Item item_;
};

// An ordered list of frames or songs to hand to a conversion.
class MediaList {
public:
    enum class Kind { Frame = 8, Audio = 16 };
    explicit MediaList(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }
    // Adds an entry by path (UTF-8). A song is measured at once (a song
    // that cannot be decoded counts 0 samples; the conversion reports and
    // skips it). Returns the entry's index.
    int add(const std::string& path);
    // Adds a frame held in memory (frame lists only).
    int add(const QImage& image);

    int size() const { return static_cast<int>(entries_.size()); }
    // Frames in the list (one per entry); 0 for a song list.
    int frameCount() const { return kind_ == Kind::Frame ? size() : 0; }
    // Samples in the list, each song counted at its own rate.
    std::int64_t sampleCount() const { return samples_; }
    // The path of entry `index`, if it exists and is a path.
    std::optional<std::string> name(int index) const;
    // Answers a source callback for entry `index`.
    void answer(SourceAnswer& answer, int index) const;

private:
    Kind kind_;
    std::vector<std::variant<std::string, QImage>> entries_;
    std::int64_t samples_ = 0;
};

class Conversion {
public:
    // Asked for entry `index` (0, 1, 2, …) of the frames or songs.
    using SourceCallback = std::function<void(SourceAnswer& answer, int index)>;
    // Called once per frame, after frame `index` was read and before it is
    // encoded: the caller may prepare the next frame's file now.
    using VideoFunction = std::function<void(int index)>;
    // Called once per song after it was read to its end.
    using AudioFunction = std::function<void(int index, std::int64_t samples)>;
    // status: ProgressStatus; frame: frames read; sample: song samples read;
    // percent: StatusMuxed only.
    using ProgressCallback = std::function<void(int status, int frame, std::int64_t sample, int percent)>;
    using ErrorCallback = std::function<ErrorAnswer(ErrorCode code, const std::string& text)>;

    Conversion();
    ~Conversion();
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    void setVideoSource(SourceCallback source) { videoSource_ = std::move(source); }
    void setAudioSource(SourceCallback source) { audioSource_ = std::move(source); }
    // Sources that answer from a list; the list must outlive the conversion.
    void setVideoList(const MediaList& list);
    void setAudioList(const MediaList& list);
    void setVideoFunction(VideoFunction f) { videoFunction_ = std::move(f); }
    void setAudioFunction(AudioFunction f) { audioFunction_ = std::move(f); }
    void setProgress(ProgressCallback f) { progress_ = std::move(f); }
    void setError(ErrorCallback f) { error_ = std::move(f); }

    // Output kind and TV standard (AVI when never set, PAL by default). An
    // output path whose name is digits, "." and JPG, BMP, TGA or PCX gives
    // an image sequence whatever the preset.
    void setFormatPreset(Preset preset, Standard standard);
    // The encoded frame size; 0 × 0 (the default) takes the preset's size,
    // or for AVI and image sequences the first frame's size.
    void setFrameSize(int width, int height);
    void setQuality(Quality quality) { quality_ = quality; }
    // A video bit rate in kb/s instead of the one quality and size give
    // (0 goes back to that), and limits any video rate is held within.
    void setVideoBitRate(int kbps) { videoKbps_ = kbps; }
    void setVideoBitRateLimits(int minimumKbps, int maximumKbps);
    // The input runs at 25 frames a second. With keep duration (the
    // default) an output at another rate (NTSC) shows every input frame
    // for its 1/25 s by repeating frames; without it each input frame
    // becomes one output frame.
    void setKeepDuration(bool keep) { keepDuration_ = keep; }
    // Cut (or pad with silence) the music to the video's length; otherwise
    // the audio runs to the end of the last song, and at least as long as
    // the video.
    void setTruncateAudioToVideo(bool cut) { cutAudio_ = cut; }
    // With a VCD, SVCD or DVD preset: a stream that disc authoring accepts
    // (vcdimager, dvdauthor) instead of a file for computers and players.
    // The disc's frame size (VCD 352 x 288 / 240, SVCD 480 x 576 / 480, DVD
    // 720 x 576 / 480), its rates and pack size; a 4:3 or 16:9 display
    // (VCD 4:3 only) with the picture letterboxed when its shape differs.
    // The frame size and bit-rate settings do not apply.
    void setDiscStandard(bool disc) { disc_ = disc; }
    // Output paths (UTF-8). The audio goes into the video file; an audio
    // path different from the video path is refused.
    void setVideoFileName(const std::string& path) { videoPath_ = path; }
    void setAudioFileName(const std::string& path) { audioPath_ = path; }

    // Runs the conversion on the calling thread (every callback comes on
    // it) and returns when it has ended (true), failed or been stopped
    // (false; lastError() tells which). A stop requested on `stop` from
    // any thread, before or during the run, ends it before the next frame
    // or audio block, and at the latest before the output gets its name: a
    // failed or stopped conversion leaves no output file behind.
    bool convert(std::stop_token stop = {});

    ErrorCode lastError() const { return lastError_; }
    const std::string& lastErrorText() const { return lastErrorText_; }
    // Seconds since convert() started (the final figure once it returned);
    // safe to call from any thread.
    double elapsedTime() const;
    // Seconds still to go, from the pace so far, when the whole input is
    // `totalFrames` frames and `totalSamples` song samples.
    double remainingTime(int totalFrames, std::int64_t totalSamples) const;

private:
    friend class ConversionRun;

    SourceCallback videoSource_;
    SourceCallback audioSource_;
    VideoFunction videoFunction_;
    AudioFunction audioFunction_;
    ProgressCallback progress_;
    ErrorCallback error_;

    Preset preset_ = Preset::Avi;
    Standard standard_ = Standard::Pal;
    Quality quality_ = Quality::Normal;
    int width_ = 0;
    int height_ = 0;
    int videoKbps_ = 0;
    int minimumKbps_ = 0;
    int maximumKbps_ = 0;
    bool keepDuration_ = true;
    bool cutAudio_ = false;
    bool disc_ = false;
    std::string videoPath_;
    std::string audioPath_;

    std::atomic<std::int64_t> startNs_{0};
    std::atomic<std::int64_t> endNs_{0};
    std::atomic<int> framesDone_{0};
    std::atomic<std::int64_t> samplesDone_{0};
    ErrorCode lastError_ = ErrorCode::None;
    std::string lastErrorText_;
};

// "hh:mm:ss" for a number of seconds (negative counts as 0).
std::string makeTimeText(double seconds);

} // namespace fotarel::media
