#include "render/render_pass.h"

#include "render/frame_compositor.h"
#include "render/render_names.h"

#include <QFileInfo>

namespace fotarel::render {

RenderPass::RenderPass(Session& session, const WorkingFolder& folder, PassEvents events)
    : session_(session), folder_(folder), events_(std::move(events))
{
}

RenderPass::~RenderPass() = default;

void RenderPass::setPicture0Bound(int ticks, std::chrono::milliseconds time)
{
    picture0Ticks_ = ticks;
    picture0Time_ = time;
}

void RenderPass::stop()
{
    stop_.store(true);
    const std::lock_guard<std::mutex> lock(bindingMutex_);
    if (binding_)
        binding_->abort();
}

QString outputFolder(const QString& outputPath)
{
    return QFileInfo(outputPath).absolutePath();
}

PassResult RenderPass::run()
{
    PassResult result;
    result.outputPath = session_.get(vars::VideoOut);
    if (events_.stopEnabled)
        events_.stopEnabled(false);

    RenderDriver driver(session_, folder_, paintSize(session_));
    driver.picture0Ticks = picture0Ticks_;
    driver.picture0Time = picture0Time_;
    result.totalFrames = driver.setUp(events_.overall);

    bool invalid = false;
    EncoderBinding::Outcome outcome = EncoderBinding::Outcome::Aborted;
    if (!stop_.load()) {
        if (!session_.table(tables::Sequence).isEmpty() && result.totalFrames > 0 && !driver.nextTemplate()) {
            invalid = true;
        } else {
            EncoderEvents ev{events_.overall, events_.activity, events_.log, events_.stopEnabled};
            EncoderBinding binding(session_, ev);
            FrameCompositor compositor(driver);
            {
                const std::lock_guard<std::mutex> lock(bindingMutex_);
                binding_ = &binding;
                if (stop_.load())
                    binding.abort();
            }
            outcome = binding.run(driver.startFrame(), [&](QImage& frame) {
                if (compositor.compose(frame))
                    return true;
                invalid = true;
                return false;
            });
            {
                const std::lock_guard<std::mutex> lock(bindingMutex_);
                binding_ = nullptr;
            }
            result.errorText = binding.errorText();
        }
    }

    // Finish step.
    driver.removeWorkingFiles();
    if (invalid) {
        result.outcome = PassOutcome::InvalidTemplate;
        return result;
    }
    switch (outcome) {
    case EncoderBinding::Outcome::Converted:
        result.outcome = PassOutcome::Completed;
        break;
    case EncoderBinding::Outcome::NothingToConvert:
        result.outcome = PassOutcome::NothingToConvert;
        break;
    case EncoderBinding::Outcome::Aborted:
        result.outcome = PassOutcome::Stopped;
        break;
    case EncoderBinding::Outcome::Failed:
        result.outcome = stop_.load() ? PassOutcome::Stopped : PassOutcome::Failed;
        break;
    }
    if (session_.get(vars::OpenFolderWhenDone) == QLatin1String("True") && events_.openFolder &&
        result.outcome != PassOutcome::InvalidTemplate)
        events_.openFolder(outputFolder(result.outputPath));
    return result;
}

} // namespace fotarel::render
