#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "render/render_pass.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <mutex>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

namespace fotarel::app {

// "制作相册" (TfrmMain): runs one render pass on a worker thread, one second
// after it opened, and shows its progress a few times a second: both bars
// with their labels, the time spent and the time still to go. "停止制作"
// stops it. When the pass has ended the window says how: done, with the
// file's path and "打开文件夹"; failed, with the reason; or stopped. Its
// button then reads "关闭".
//
// Threads: the pass works on its own copy of the session. Its progress
// reports land in a small locked record that the window's timer reads; its
// end comes back as one queued call, and only then does the window merge
// what the pass wrote into the session.
class RenderWindow : public QDialog {
    Q_OBJECT
public:
    RenderWindow(Session& session, const WorkingFolder& folder, QWidget* parent = nullptr);
    ~RenderWindow() override;

    // The outcome once the pass has ended.
    render::PassOutcome outcome() const { return result_.outcome; }
    bool finished() const { return finished_; }
    // Delay of the start timer (1000 ms).
    void setStartDelay(int ms);
    // Tests: wraps the pass's events before the pass starts (they are called
    // on the pass's thread).
    void setEventsHook(std::function<void(render::PassEvents&)> hook) { eventsHook_ = std::move(hook); }
    // One tick of the progress timer: shows the latest reports.
    void showProgress();
    // How "打开文件夹" opens a folder; false when nothing could open it
    // (the system's file manager by default).
    void setFolderOpener(std::function<bool(const QString& folder)> opener) { folderOpener_ = std::move(opener); }

signals:
    // A movie without the template marker: the program must end.
    void invalidTemplate();
    void passEnded();

protected:
    void reject() override;

private:
    // What the pass last reported; written on its thread, read on ours.
    struct Progress {
        int overall = 0, overallMax = 100;
        int activity = 0, activityMax = 100;
        double remaining = -1; // seconds; < 0 before the encoder has a pace
        bool stopEnabled = false;
    };

    void startPass();
    void onPassEnded(const render::PassResult& result);
    void showOutcome();
    void fitHeightToText();
    void stopOrClose();
    void openFolder();

    Session& session_;
    const WorkingFolder& folder_;
    QLabel* overallLabel_;
    QProgressBar* overall_;
    QLabel* activityLabel_;
    QProgressBar* activity_;
    QLabel* time_;
    QLabel* outcomeText_;
    QLabel* folderNote_; // why "打开文件夹" opened nothing
    QLineEdit* fileName_;
    QCheckBox* openWhenDone_;
    QPushButton* stop_;
    QPushButton* openLocation_;
    QPushButton* openFolder_;
    QListWidget* loadLog_;
    QListWidget* errorLog_;
    QListWidget* conversionLog_;
    QTimer* startTimer_;
    QTimer* progressTimer_;
    QElapsedTimer clock_;
    std::function<void(render::PassEvents&)> eventsHook_;
    std::function<bool(const QString&)> folderOpener_;
    std::unique_ptr<render::RenderPass> pass_;
    QThread* thread_ = nullptr;
    std::mutex progressMutex_; // guards progress_
    Progress progress_;
    render::PassResult result_;
    bool running_ = false;
    bool finished_ = false;
};

} // namespace fotarel::app
