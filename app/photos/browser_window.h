#pragma once

#include "core/session.h"

#include <QDialog>

#include <functional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSlider;

namespace fotarel::app {

// The loading window (TForm55, "正在加载") shown while the browser fills.
// It does not block the browser: the zoom and the window sizes can be
// changed while it loads. Closing it (close box or Escape) closes the
// browser.
class LoadingWindow : public QDialog {
    Q_OBJECT
public:
    explicit LoadingWindow(QWidget* parent);
    QProgressBar* bar() const { return bar_; }

signals:
    void closeRequested();

protected:
    void reject() override;

private:
    QProgressBar* bar_;
};

// The photo browser (TForm54, "相片浏览"): every photo as a large picture,
// zoom 1 … 20, three window sizes, previous / next, and the preview and
// delete commands of the photos area.
class BrowserWindow : public QDialog {
    Q_OBJECT
public:
    // What the browser's commands do in the main window.
    struct Hooks {
        std::function<void(int row)> preview;   // "预览效果"
        std::function<void(int row)> deleteRow; // "删除": list mode, that row, delete one
        std::function<void()> deleteAll;        // "全删"
        std::function<void(const QString&)> message;
        // The photo row selected in the main window (-1 for none): the
        // browser opens with it selected.
        std::function<int()> mainSelection;
    };

    BrowserWindow(Session& session, Hooks hooks, QWidget* parent);

    // Opens at the default size, zoom 1, centred, and fills at once.
    void open();
    // Clears the pictures and lists, shows the loading window and renders
    // every photo at the current box. The window stays usable meanwhile: a
    // refill asked for during a load (a new zoom, a window size, a
    // deletion) starts the load over, and closing the browser ends it.
    void refill();
    // Empties the lists (delete all in the main window).
    void clear();
    void setZoom(int zoom); // refills
    void moveSelection(int delta);

    QListWidget* list() const { return list_; }
    QSlider* zoom() const { return zoom_; }
    LoadingWindow* loading() const { return loading_; }
    QSize box() const { return box_; }
    int selectedRow() const;

protected:
    void done(int result) override;

private:
    // One pass over the photos; returns early when a new fill was asked
    // for or the browser closed. False when the browser was deleted.
    bool fillOnce();
    void applyWindowSize(int which);
    // "上一张" and "下一张" only where there is a photo to go to.
    void updateSteps();
    void previewSelected();
    void deleteSelected();
    void deleteAll();

    Session& session_;
    Hooks hooks_;
    QListWidget* list_;
    QSlider* zoom_;
    QLabel* zoomText_;
    LoadingWindow* loading_;
    QSize box_;
    bool filling_ = false;
    bool restart_ = false;   // a refill was asked for during the running one
    bool cancelled_ = false; // the browser closed during the running fill
};

} // namespace fotarel::app
