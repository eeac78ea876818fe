#include "render/render_pass.h"

#include "render/album_length.h"
#include "render/frame_compositor.h"
#include "render/render_names.h"

#include <QFileInfo>
#include <QThread>
#include <QThreadPool>

#include <exception>
#include <semaphore>

namespace fotarel::render {

RenderPass::RenderPass(const Session& session, const WorkingFolder& folder, PassEvents events)
    : session_(std::make_shared<Session>(session)), folder_(folder), events_(std::move(events))
{
    // The copy must not call into the windows of the thread that made it.
    session_->setHoverListener({});
}

RenderPass::~RenderPass() = default;

void RenderPass::setPicture0Bound(int ticks, std::chrono::milliseconds time)
{
    picture0Ticks_ = ticks;
    picture0Time_ = time;
}

QString outputFolder(const QString& outputPath)
{
    return QFileInfo(outputPath).absolutePath();
}

void PassResult::applyTo(Session& session) const
{
    if (!state)
        return;
    for (const PassVariable& v : passVariables())
        if (v.pass)
            session.set(v.name, state->get(v.name));
    for (const auto& [name, columns] : passTables())
        session.table(name) = state->table(name);
}

QString failureText(const PassResult& result)
{
    switch (result.outcome) {
    case PassOutcome::NothingToConvert:
        return QStringLiteral("没有可以制作的画面和音乐。");
    case PassOutcome::InvalidTemplate:
        return QStringLiteral("模板文件无效，相册没有制作。");
    default:
        break;
    }
    if (result.errorText.isEmpty())
        return QStringLiteral("制作失败。");
    return QStringLiteral("制作失败：%1").arg(result.errorText);
}

PassResult RenderPass::run()
{
    // Qt's raster engine cuts large fills, image scalings and conversions
    // into pieces for QThreadPool::globalInstance(), unless the painting
    // thread is one of that pool's own. During a pass the encoder already
    // keeps both cores busy, so the pieces only add hand-overs and wake-ups
    // (a quarter more processor time for the same pixels, measured with
    // bench/render/template_paint.cpp). The pass therefore paints on a
    // thread of that pool, where Qt paints in one piece; the calling thread
    // waits.
    QThreadPool* pool = QThreadPool::globalInstance();
    if (pool->contains(QThread::currentThread()))
        return runHere();
    // The two semaphores order everything this thread wrote before the
    // pass and everything the pass wrote before its end in a way
    // ThreadSanitizer sees (Qt's own hand-over is not instrumented).
    PassResult result;
    std::binary_semaphore go(0), done(0);
    pool->reserveThread(); // a thread now, however busy the pool is
    pool->startOnReservedThread([this, &result, &go, &done] {
        go.acquire();
        result = runHere();
        done.release();
    });
    go.release();
    done.acquire();
    return result;
}

PassResult RenderPass::runHere()
{
    PassResult result;
    try {
        result = runSteps();
    } catch (const std::exception& e) {
        // A broken invariant (an unknown session name, a bad table): the
        // pass ends as failed, with its working files removed, rather than
        // taking the program down from its worker thread.
        try {
            RenderDriver(*session_, folder_, QSize()).removeWorkingFiles();
        } catch (const std::exception&) {
            // Nothing more can be done about the working files.
        }
        result.outcome = PassOutcome::Failed;
        result.errorText = QStringLiteral("内部错误：%1").arg(QString::fromLocal8Bit(e.what()));
    }
    result.state = session_;
    return result;
}

PassResult RenderPass::runSteps()
{
    Session& session = *session_;
    const std::stop_token stop = stop_.get_token();
    PassResult result;
    result.outputPath = session.get(vars::VideoOut);
    if (events_.stopEnabled)
        events_.stopEnabled(false);

    RenderDriver driver(session, folder_, paintSize(session));
    driver.picture0Ticks = picture0Ticks_;
    driver.picture0Time = picture0Time_;
    result.totalFrames = driver.setUp(events_.overall);
    if (result.totalFrames < 0) {
        driver.removeWorkingFiles();
        result.outcome = PassOutcome::Failed;
        result.errorText = albumTooLongText(planAlbumLength(session).tooLong);
        result.totalFrames = 0;
        return result;
    }

    bool invalid = false;
    EncodeResult encoded;
    encoded.outcome = EncodeResult::Outcome::Stopped;
    if (!stop.stop_requested()) {
        if (!session.table(tables::Sequence).isEmpty() && result.totalFrames > 0 && !driver.nextTemplate()) {
            invalid = true;
        } else {
            EncoderEvents ev{events_.overall, events_.activity, events_.log, events_.stopEnabled, events_.time,
                             events_.frame};
            EncoderBinding binding(session, ev);
            FrameCompositor compositor(driver);
            encoded = binding.run(driver.startFrame(), [&](QImage& frame) { return compositor.compose(frame); },
                                  stop);
            invalid = encoded.outcome == EncodeResult::Outcome::ComposeFailed;
            result.errorText = encoded.errorText;
            result.times = std::move(encoded.times);
        }
    }

    // Finish step.
    driver.removeWorkingFiles();
    if (invalid) {
        result.outcome = PassOutcome::InvalidTemplate;
        return result;
    }
    switch (encoded.outcome) {
    case EncodeResult::Outcome::Converted:
        result.outcome = PassOutcome::Completed;
        break;
    case EncodeResult::Outcome::NothingToConvert:
        result.outcome = PassOutcome::NothingToConvert;
        break;
    case EncodeResult::Outcome::Stopped:
    case EncodeResult::Outcome::ComposeFailed:
        result.outcome = PassOutcome::Stopped;
        result.errorText.clear();
        break;
    case EncodeResult::Outcome::Failed:
        result.outcome = PassOutcome::Failed;
        break;
    }
    if (result.outcome == PassOutcome::Completed && session.get(vars::OpenFolderWhenDone) == QLatin1String("True") &&
        events_.openFolder)
        events_.openFolder(outputFolder(result.outputPath));
    return result;
}

} // namespace fotarel::render
