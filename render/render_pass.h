#pragma once

// One render pass from start to finish: set-up, the first template, the
// conversion (the compositor runs once per frame inside it) and the finish
// step. It runs on whatever thread calls run() — the render window uses a
// worker thread — and reports through callbacks made on that thread. The
// session belongs to the pass while it runs.

#include "core/session.h"
#include "core/working_folder.h"
#include "render/encoder_binding.h"
#include "render/render_driver.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace fotarel::render {

enum class PassOutcome {
    Completed,        // the output file is complete
    Failed,           // the conversion failed (errorText says why)
    Stopped,          // "停止制作" ended it; no output was left
    NothingToConvert, // no frames and no songs
    InvalidTemplate,  // a movie without the template marker: the program ends
};

struct PassEvents {
    std::function<void(int value, int maximum)> overall;  // ProgressBar1
    std::function<void(int value, int maximum)> activity; // ProgressBar2
    std::function<void(const QString& line)> log;          // lstProgress
    std::function<void(bool enabled)> stopEnabled;         // "停止制作"
    // The finish step asks for the output's folder to be opened when
    // "完成后打开保存文件夹" is ticked.
    std::function<void(const QString& folder)> openFolder;
};

struct PassResult {
    PassOutcome outcome = PassOutcome::Failed;
    QString errorText;
    QString outputPath;
    int totalFrames = 0;
};

class RenderPass {
public:
    RenderPass(Session& session, const WorkingFolder& folder, PassEvents events = {});
    ~RenderPass();

    // The whole pass, finish step included.
    PassResult run();
    // "停止制作": safe from any thread; the pass ends within a frame.
    void stop();
    bool stopRequested() const { return stop_.load(); }

    // Tunes the wait for "picture_0" (tests).
    void setPicture0Bound(int ticks, std::chrono::milliseconds time);

private:
    Session& session_;
    const WorkingFolder& folder_;
    PassEvents events_;
    std::atomic<bool> stop_{false};
    std::mutex bindingMutex_; // guards binding_ against stop() from another thread
    EncoderBinding* binding_ = nullptr;
    int picture0Ticks_ = 200;
    std::chrono::milliseconds picture0Time_{5000};
};

// The folder part of an output path.
QString outputFolder(const QString& outputPath);

} // namespace fotarel::render
