#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "photos/preview.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace fotarel::app {

// The template effect preview (TForm34, "相片使用效果预览"): the photo's
// fields, an 800 × 450 picture, and "播放", "停止", "返回". It plays the
// photo's group template with its real pictures at the template's 25 frames
// a second, then the ending template, on copies in the preview folder.
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    PreviewWindow(Session& session, const WorkingFolder& folder, QWidget* parent);
    ~PreviewWindow() override;

    // Fills the fields and the preview folder for a photo row and starts
    // playing; the window is then shown modally by the caller.
    void prepare(int row);

    QLabel* picture() const { return picture_; }
    QTimer* frameTimer() const { return timer_; }
    preview::Playback* playback() const { return playback_.get(); }
    QLabel* field(int i) const { return values_.value(i); }
    // Shows a message in the message window.
    std::function<void(const QString&)> message;
    // A clock in milliseconds. The frames due since "播放" are stepped
    // through, so the preview keeps the template's time when a picture is
    // slow to paint. Tests replace the clock.
    std::function<qint64()> clockMs;

public slots:
    void play();     // "播放"
    void stop();     // "停止"
    void goBack();   // "返回": stop, remove the preview folder, close
    void nextFrame(); // the frame timer's tick

signals:
    // A movie failed the template check: the program must end.
    void invalidTemplate();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Session& session_;
    const WorkingFolder& folder_;
    QList<QLabel*> captions_;
    QList<QLabel*> values_;
    QLabel* picture_;
    QPushButton* playButton_;
    QPushButton* stopButton_;
    QPushButton* backButton_;
    QTimer* timer_;
    std::unique_ptr<preview::Playback> playback_;
    QImage frame_;
    QElapsedTimer clock_;
    qint64 playStartedMs_ = 0;
    qint64 framesShown_ = 0;
};

} // namespace fotarel::app
