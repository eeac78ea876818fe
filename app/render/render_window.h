#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "render/render_pass.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

namespace fotarel::app {

// "制作相册" (TfrmMain): runs one render pass on a worker thread, one second
// after it opened, and shows its progress; "停止制作" stops it, and the
// window closes one second after the pass has ended.
class RenderWindow : public QDialog {
    Q_OBJECT
public:
    RenderWindow(Session& session, const WorkingFolder& folder, QWidget* parent = nullptr);
    ~RenderWindow() override;

    // The outcome once the pass has ended.
    render::PassOutcome outcome() const { return result_.outcome; }
    bool finished() const { return finished_; }
    // Delays of the start and finish timers (1000 ms each).
    void setTimerIntervals(int startMs, int finishMs);

signals:
    // A movie without the template marker: the program must end.
    void invalidTemplate();
    void passEnded();

protected:
    void reject() override;

private:
    void startPass();
    void onPassEnded(const render::PassResult& result);
    void stopPass();
    void finishPass();
    void openFolder();
    void addLogLine(const QString& line);

    Session& session_;
    const WorkingFolder& folder_;
    QProgressBar* overall_;
    QProgressBar* activity_;
    QLineEdit* fileName_;
    QCheckBox* openWhenDone_;
    QPushButton* stop_;
    QPushButton* openLocation_;
    QListWidget* loadLog_;
    QListWidget* errorLog_;
    QListWidget* conversionLog_;
    QTimer* startTimer_;
    QTimer* finishTimer_;
    std::unique_ptr<render::RenderPass> pass_;
    QThread* thread_ = nullptr;
    render::PassResult result_;
    bool running_ = false;
    bool finished_ = false;
    bool closing_ = false;
};

} // namespace fotarel::app
