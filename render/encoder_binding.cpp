#include "render/encoder_binding.h"

#include "render/output_settings.h"
#include "render/render_names.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <ctime>

namespace fotarel::render {

namespace {

constexpr int kLogCap = 31999;

QSize qualitySize(const QString& type, bool high)
{
    if (type == settings::kImageSequence)
        return high ? QSize(1920, 1080) : QSize();
    if (!high || type == settings::kVcd)
        return QSize(1280, 720);
    return QSize(1920, 1080);
}

} // namespace

EncoderSettings encoderSettings(const Session& session)
{
    using namespace settings;
    EncoderSettings s;
    const QString type = session.get(settings::vars::OutputType);
    s.standard = session.get(settings::vars::TvStandard) == kNtsc ? media::Standard::Ntsc : media::Standard::Pal;
    if (type == kVcd)
        s.preset = media::Preset::Vcd;
    else if (type == kSvcd)
        s.preset = media::Preset::Svcd;
    else if (type == kDvd)
        s.preset = media::Preset::Dvd;
    else if (type == kMp4)
        s.preset = media::Preset::Mp4;
    const bool high = session.get(settings::vars::Quality) != kNormalQuality;
    s.quality = high ? media::Quality::High : media::Quality::Normal;
    s.frameSize = qualitySize(type, high);
    // The size chosen in the output-size window lowers the frame size.
    const QSize chosen(session.getInt(settings::vars::Width), session.getInt(settings::vars::Height));
    if (!s.frameSize.isEmpty() && chosen.width() >= 16 && chosen.height() >= 16 &&
        (chosen.width() < s.frameSize.width() || chosen.height() < s.frameSize.height()))
        s.frameSize = chosen.boundedTo(s.frameSize);
    s.frameSize = QSize(s.frameSize.width() & ~1, s.frameSize.height() & ~1);
    s.cutAudio = albumLengthFlags(session).followPhotos;
    if (s.preset && discSizeChosen(session)) {
        const OutputSize disc = *discSize(type, session.get(settings::vars::TvStandard));
        s.disc = true;
        s.frameSize = QSize(disc.width, disc.height);
    }
    return s;
}

QSize paintSize(const Session& session)
{
    const EncoderSettings s = encoderSettings(session);
    // A disc frame's pixels are not square: the album is painted at its own
    // 16:9 shape and the library fits it into the disc's frame.
    if (s.disc)
        return QSize((s.frameSize.height() * 16 / 9 + 1) & ~1, s.frameSize.height());
    if (!s.frameSize.isEmpty())
        return s.frameSize;
    const QSize chosen(session.getInt(settings::vars::Width), session.getInt(settings::vars::Height));
    return chosen.width() >= 16 && chosen.height() >= 16 ? QSize(chosen.width() & ~1, chosen.height() & ~1)
                                                         : QSize(1920, 1080);
}

void addConversionLogLine(Session& session, const QString& line)
{
    Table& log = session.table(tables::ConversionLog);
    if (log.rowCount() > kLogCap)
        log.removeRow(0);
    log.appendLine(line);
}

EncoderBinding::EncoderBinding(Session& session, EncoderEvents events) : session_(session), events_(std::move(events))
{
}

void EncoderBinding::log(const QString& line)
{
    addConversionLogLine(session_, line);
    if (events_.log)
        events_.log(line);
}

EncodeResult EncoderBinding::run(const QImage& startFrame, const Compose& compose, std::stop_token stop)
{
    using Outcome = EncodeResult::Outcome;
    auto activity = [this](int v, int m) {
        if (events_.activity)
            events_.activity(v, m);
    };
    // 1-3.
    session_.table(tables::ConversionLog).clear();
    media::Conversion conversion;
    media::MediaList audioList(media::MediaList::Kind::Audio);

    // 5-6: the frame list's entries are counted, the songs measured.
    const Table& frameList = session_.table(tables::FrameList);
    const int frameEntries = frameList.rowCount();
    activity(frameEntries, frameEntries);
    const Table& audio = session_.table(tables::AudioList);
    activity(0, audio.rowCount());
    for (int i = 0; i < audio.rowCount(); ++i) {
        audioList.add(audio.cell(i, 0).toStdString());
        activity(i + 1, audio.rowCount());
    }

    // 7.
    const int totalFrames = frameEntries;
    const std::int64_t totalSamples = audioList.sampleCount();
    log(QStringLiteral("Total frames:  %1").arg(totalFrames));
    log(QStringLiteral("Total samples: %1").arg(totalSamples));

    // 8-12.
    const EncoderSettings settings = encoderSettings(session_);
    if (settings.preset)
        conversion.setFormatPreset(*settings.preset, settings.standard);
    conversion.setKeepDuration(true);
    if (settings.cutAudio)
        conversion.setTruncateAudioToVideo(true);
    conversion.setQuality(settings.quality);
    if (!settings.frameSize.isEmpty())
        conversion.setFrameSize(settings.frameSize.width(), settings.frameSize.height());
    conversion.setDiscStandard(settings.disc);

    // The frames go over in memory as the 32-bit pictures the compositor
    // paints: the library's worker converts them for the encoder while the
    // next frame is painted. A picture handed over is shared with the
    // worker until it is converted, so the compositor paints into a picture
    // nobody else holds (a small pool) rather than into a copy of it.
    std::vector<QImage> canvases(1);
    QImage handed = startFrame;
    auto freeCanvas = [&canvases]() -> QImage& {
        for (QImage& c : canvases)
            if (c.isNull() || c.isDetached())
                return c;
        canvases.emplace_back();
        return canvases.back();
    };
    // The conversion ends on the pass's stop or on a frame the compositor
    // could not make: one token carries both.
    std::stop_source end;
    const std::stop_callback forwardStop(stop, [&end] { end.request_stop(); });
    bool composeFailed = false;
    StageTimes times;
    // The template the next frame belongs to, as the sequence and the ending
    // switch say before it is painted.
    auto templateName = [this]() {
        if (session_.get(vars::EndingSwitch) == kEndingOn)
            return QStringLiteral("ending");
        const Table& sequence = session_.table(tables::Sequence);
        const int row = session_.getInt(vars::SequenceIndex, -1);
        if (row < 0 || row >= sequence.rowCount())
            return QStringLiteral("-");
        return QFileInfo(sequence.cell(row, UseCol::Package)).completeBaseName();
    };
    // Painting and hand-over in this thread's processor time (what another
    // program on the machine does not change); the time inside the
    // conversion in wall time (the wait for the encoder is the point).
    auto cpuNs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    QElapsedTimer clock;
    qint64 outsideSince = -1; // when the pass's thread went back into the conversion
    conversion.setVideoSource([&](media::SourceAnswer& answer, int index) {
        if (index < 0 || index >= frameEntries) {
            answer.finished();
            return;
        }
        if (events_.frame)
            events_.frame(index, handed);
        answer.setImage(handed);
    });
    clock.start();
    conversion.setVideoFunction([&](int index) {
        const qint64 back = clock.nsecsElapsed();
        if (outsideSince >= 0)
            times.conversionMs += double(back - outsideSince) / 1e6;
        const qint64 start = cpuNs();
        if (end.stop_requested() || index + 1 >= frameEntries)
            return;
        const QString name = templateName();
        if (times.templates.empty() || times.templates.back().name != name)
            times.templates.push_back({name, 0, 0});
        handed = QImage(); // drops this thread's share of the previous frame
        QImage& canvas = freeCanvas();
        if (!compose(canvas)) {
            composeFailed = true;
            end.request_stop();
            return;
        }
        const qint64 painted = cpuNs();
        times.templates.back().frames += 1;
        times.templates.back().paintMs += double(painted - start) / 1e6;
        handed = canvas;
        times.handOverMs += double(cpuNs() - painted) / 1e6;
        outsideSince = clock.nsecsElapsed();
    });
    conversion.setAudioList(audioList);
    conversion.setProgress([&](int status, int frame, std::int64_t sample, int percent) {
        switch (status) {
        case media::StatusElapsed:
            log(QStringLiteral("Processing time: ") +
                QString::fromStdString(media::makeTimeText(conversion.elapsedTime())));
            break;
        case media::StatusPreparing:
            log(QStringLiteral("Preparing conversion..."));
            break;
        case media::StatusReducingColours:
            log(QStringLiteral("Reducing colors, done frames: %1").arg(frame));
            break;
        case media::StatusFrame: {
            const double remaining = conversion.remainingTime(totalFrames, totalSamples);
            log(QStringLiteral("Frame: %1, Sample: %2, Time Left: %3")
                    .arg(frame)
                    .arg(sample)
                    .arg(QString::fromStdString(media::makeTimeText(remaining))));
            // The last step (the rest of the music, the muxer's end, the
            // rename) is still to come after the last frame.
            if (events_.overall && totalFrames > 0)
                events_.overall(totalFrames + std::min(frame, totalFrames - 1), 2 * totalFrames);
            activity(frame, totalFrames);
            if (events_.time)
                events_.time(conversion.elapsedTime(), remaining);
            break;
        }
        case media::StatusMuxed:
            log(QStringLiteral("Multiplexing done: %1%").arg(percent));
            if (events_.overall)
                events_.overall(2 * totalFrames, 2 * totalFrames);
            activity(totalFrames, totalFrames);
            if (events_.time)
                events_.time(conversion.elapsedTime(), 0);
            break;
        default:
            log(QStringLiteral("Unrecognized status code"));
        }
    });
    conversion.setError([&](media::ErrorCode, const std::string& text) {
        log(QString::fromStdString(text));
        return media::ErrorAnswer::Skip;
    });

    // 13-15.
    activity(0, 100);
    if (events_.stopEnabled)
        events_.stopEnabled(true);
    const std::string out = session_.get(vars::VideoOut).toStdString();
    conversion.setVideoFileName(out);
    conversion.setAudioFileName(session_.get(vars::AudioOut).toStdString());

    // 16.
    EncodeResult result;
    if (totalFrames <= 0 && totalSamples <= 0) {
        log(QStringLiteral("Nothing to convert."));
        result.outcome = Outcome::NothingToConvert;
        return result;
    }
    log(QStringLiteral("Starting conversion..."));
    const bool ok = conversion.convert(end.get_token());
    if (conversion.lastError() != media::ErrorCode::None) {
        result.errorText = QString::fromStdString(conversion.lastErrorText());
        log(result.errorText);
        if (conversion.lastError() == media::ErrorCode::OutputTaken)
            result.errorText = QStringLiteral("制作期间另一个程序写入了 %1，它的文件保持原样，这次制作的结果没有保存。")
                                   .arg(session_.get(vars::VideoOut));
    }
    log(QStringLiteral("Conversion ended."));
    result.times = std::move(times);
    if (ok)
        result.outcome = Outcome::Converted;
    else if (composeFailed)
        result.outcome = Outcome::ComposeFailed;
    else if (conversion.lastError() == media::ErrorCode::Aborted)
        result.outcome = Outcome::Stopped;
    else
        result.outcome = Outcome::Failed;
    return result;
}

} // namespace fotarel::render
