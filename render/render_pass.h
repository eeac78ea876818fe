#pragma once

// One render pass from start to finish: set-up, the first template, the
// conversion (the compositor runs once per frame inside it) and the finish
// step. Whatever thread calls run() — the render window uses a worker
// thread — waits for it; the callbacks come from the pass's own thread.
//
// Threads: the pass works on its own copy of the session, taken when it is
// made, so the thread that made it keeps its session to itself. What the
// pass wrote (the render window's variables, lists and logs) comes back in
// the result, and that thread merges it (PassResult::applyTo). Stopping
// goes through one std::stop_source: stop() from any thread, or the source
// handed out by stopSource(); its token goes down to every layer.

#include "core/session.h"
#include "core/working_folder.h"
#include "render/encoder_binding.h"
#include "render/render_driver.h"

#include <QString>

#include <functional>
#include <memory>
#include <stop_token>

namespace fotarel::render {

enum class PassOutcome {
    Completed,        // the output file is complete
    Failed,           // the conversion failed (errorText says why)
    Stopped,          // a stop ended it; no output was left
    NothingToConvert, // no frames and no songs
    InvalidTemplate,  // a movie without the template marker: the program ends
};

// Called on the pass's thread.
struct PassEvents {
    std::function<void(int value, int maximum)> overall;  // ProgressBar1
    std::function<void(int value, int maximum)> activity; // ProgressBar2
    std::function<void(const QString& line)> log;          // lstProgress
    std::function<void(bool enabled)> stopEnabled;         // "停止制作"
    // The finish step asks for the output's folder to be opened when
    // "完成后打开保存文件夹" is ticked.
    std::function<void(const QString& folder)> openFolder;
    // Seconds since the conversion started and still to go at its pace.
    std::function<void(double elapsedSeconds, double remainingSeconds)> time;
    // Every frame as it is handed to the encoder (0 = the start frame); the
    // picture is valid during the call only.
    std::function<void(int index, const QImage& frame)> frame;
};

struct PassResult {
    PassOutcome outcome = PassOutcome::Failed;
    QString errorText; // what went wrong in the library's words (the conversion log has it too)
    media::ErrorCode errorCode = media::ErrorCode::None;
    int systemError = 0; // errno behind the failure, or 0
    bool internalError = false; // a broken invariant of the program ended it
    QString outputPath;
    int totalFrames = 0;
    StageTimes times;
    // The pass's session as the pass left it.
    std::shared_ptr<const Session> state;

    // Writes what the pass wrote — the render window's variables and tables
    // (render_names.h) — into `session`.
    void applyTo(Session& session) const;
};

class RenderPass {
public:
    // Copies `session`; `folder` must outlive the pass.
    RenderPass(const Session& session, const WorkingFolder& folder, PassEvents events = {});
    ~RenderPass();

    // The whole pass, finish step included. Once only. It runs on a thread
    // of QThreadPool::globalInstance() while the calling thread waits (see
    // render_pass.cpp), so the events come from that thread.
    PassResult run();
    // "停止制作": safe from any thread; the pass ends within a frame and
    // leaves no file under the output's name.
    void stop() { stop_.request_stop(); }
    std::stop_source stopSource() const { return stop_; }
    bool stopRequested() const { return stop_.stop_requested(); }

    // Tunes the wait for "picture_0" (tests).
    void setPicture0Bound(int ticks, std::chrono::milliseconds time);

private:
    PassResult runHere();
    PassResult runSteps();

    std::shared_ptr<Session> session_; // the pass's own copy
    const WorkingFolder& folder_;
    PassEvents events_;
    std::stop_source stop_;
    int picture0Ticks_ = 200;
    std::chrono::milliseconds picture0Time_{5000};
};

// The folder part of an output path.
QString outputFolder(const QString& outputPath);

// The reason a failed pass gives its user, in the program's words: what
// failed, the output file by the name the user chose, and why.
QString failureText(const PassResult& result);

} // namespace fotarel::render
