#include "tests/media/media_fixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>
#include "tests/support/run_program.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace fotarel::test {

QByteArray runTool(const QString& program, const QStringList& args, bool* ok)
{
    const ProgramRun run = runProgram(program, args);
    if (ok)
        *ok = run.ok();
    if (!run.ok()) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(QLatin1Char(' ')).toStdString()
                      << " failed: " << run.err.toStdString();
        return {};
    }
    return run.out;
}

bool makeSongFromLavfi(const QString& path, const QString& lavfiSource, const QStringList& encoderArgs)
{
    QStringList args{"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i", lavfiSource};
    args << encoderArgs << path;
    bool ok = false;
    runTool(QStringLiteral("ffmpeg"), args, &ok);
    return ok;
}

bool makeSong(const QString& path, double seconds, const QStringList& encoderArgs, int sampleRate,
              int channels, double frequency)
{
    const QString source = QStringLiteral("sine=frequency=%1:sample_rate=%2:duration=%3")
                               .arg(frequency)
                               .arg(sampleRate)
                               .arg(seconds, 0, 'f', 3);
    QStringList args = encoderArgs;
    args.prepend(QString::number(channels));
    args.prepend(QStringLiteral("-ac"));
    return makeSongFromLavfi(path, source, args);
}

QImage drawFrame(int index, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor::fromHsv((index * 7) % 360, 160, 230));
    sky.setColorAt(1, QColor::fromHsv((index * 7 + 120) % 360, 200, 90));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 240, 200));
    const int r = height / 5;
    const int x = (index * width / 40) % (width - r);
    painter.drawEllipse(QRect(x, height / 4, r, r));
    painter.setBrush(QColor(30, 90, 40));
    painter.drawRect(QRect(0, height * 3 / 4, width, height / 4));
    painter.setPen(Qt::white);
    QFont font;
    font.setPixelSize(height / 8);
    painter.setFont(font);
    painter.drawText(QRect(0, height / 2, width, height / 4), Qt::AlignCenter, QString::number(index));
    return image;
}

MediaInfo probeMedia(const QString& path)
{
    MediaInfo info;
    bool ok = false;
    const QByteArray json = runTool(QStringLiteral("ffprobe"),
                                    {"-v", "error", "-count_frames", "-print_format", "json", "-show_format",
                                     "-show_streams", path},
                                    &ok);
    if (!ok)
        return info;
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    info.container = root.value("format").toObject().value("format_name").toString();
    info.duration = root.value("format").toObject().value("duration").toString("-1").toDouble();
    for (const QJsonValue& value : root.value("streams").toArray()) {
        const QJsonObject s = value.toObject();
        StreamInfo stream;
        stream.codec = s.value("codec_name").toString();
        stream.width = s.value("width").toInt();
        stream.height = s.value("height").toInt();
        stream.frameRate = s.value("r_frame_rate").toString();
        stream.sampleRate = s.value("sample_rate").toString("0").toInt();
        stream.channels = s.value("channels").toInt();
        stream.duration = s.value("duration").toString("-1").toDouble();
        stream.frames = s.value("nb_read_frames").toString("-1").toLongLong();
        const QString type = s.value("codec_type").toString();
        if (type == QLatin1String("video"))
            info.video.push_back(stream);
        else if (type == QLatin1String("audio"))
            info.audio.push_back(stream);
    }
    info.ok = true;
    return info;
}

std::vector<QImage> decodeFrames(const QString& path)
{
    std::vector<QImage> frames;
    const MediaInfo info = probeMedia(path);
    if (!info.ok || info.video.empty())
        return frames;
    const int w = info.video[0].width;
    const int h = info.video[0].height;
    const QByteArray raw = runTool(QStringLiteral("ffmpeg"),
                                   {"-v", "error", "-i", path, "-map", "0:v:0", "-f", "rawvideo", "-pix_fmt",
                                    "rgb24", "-vsync", "passthrough", "-"});
    const qsizetype frameBytes = qsizetype(w) * h * 3;
    for (qsizetype offset = 0; frameBytes > 0 && offset + frameBytes <= raw.size(); offset += frameBytes) {
        QImage image(w, h, QImage::Format_RGB888);
        for (int y = 0; y < h; ++y)
            std::memcpy(image.scanLine(y), raw.constData() + offset + qsizetype(y) * w * 3, size_t(w) * 3);
        frames.push_back(image);
    }
    return frames;
}

std::vector<float> decodeAudio(const QString& path, int* channels, int* rate)
{
    const MediaInfo info = probeMedia(path);
    std::vector<float> samples;
    if (!info.ok || info.audio.empty())
        return samples;
    if (channels)
        *channels = info.audio[0].channels;
    if (rate)
        *rate = info.audio[0].sampleRate;
    const QByteArray raw =
        runTool(QStringLiteral("ffmpeg"), {"-v", "error", "-i", path, "-map", "0:a:0", "-f", "f32le", "-"});
    samples.resize(size_t(raw.size()) / sizeof(float));
    std::memcpy(samples.data(), raw.constData(), samples.size() * sizeof(float));
    return samples;
}

} // namespace fotarel::test
