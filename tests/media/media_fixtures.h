#pragma once

// Test inputs and output checks for the media library: songs made with the
// ffmpeg command-line tool, frames drawn with QPainter, and ffprobe /
// ffmpeg decoding of what the library wrote.

#include "tests/support/image_compare.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace fotarel::test {

// Runs a command-line tool; returns its standard output, or fails the
// current test (and returns empty) when it does not exit with 0.
QByteArray runTool(const QString& program, const QStringList& args, bool* ok = nullptr);

// Encodes `seconds` of a sine (or, with `lavfiSource`, any lavfi audio
// source) into `path` with the given extra encoder arguments.
bool makeSong(const QString& path, double seconds, const QStringList& encoderArgs,
              int sampleRate = 44100, int channels = 2, double frequency = 440.0);
bool makeSongFromLavfi(const QString& path, const QString& lavfiSource, const QStringList& encoderArgs);

// A picture that changes with `index`: gradients, shapes, text; easy to
// tell apart frame from frame and typical of an album frame.
QImage drawFrame(int index, int width, int height);

struct StreamInfo {
    QString codec;
    int width = 0;
    int height = 0;
    QString frameRate; // r_frame_rate, e.g. "25/1"
    int sampleRate = 0;
    int channels = 0;
    double duration = -1;
    long long frames = -1; // counted by decoding (-count_frames)
};
struct MediaInfo {
    bool ok = false;
    QString container; // format_name
    double duration = -1;
    std::vector<StreamInfo> video;
    std::vector<StreamInfo> audio;
};
MediaInfo probeMedia(const QString& path);

// Decodes the video of `path` into RGB888 images of its own size.
std::vector<QImage> decodeFrames(const QString& path);

// Decodes the first audio stream of `path` into interleaved float samples
// at its own rate and channel count.
std::vector<float> decodeAudio(const QString& path, int* channels = nullptr, int* rate = nullptr);

} // namespace fotarel::test
