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
class LoadingWindow : public QDialog {
    Q_OBJECT
public:
    explicit LoadingWindow(QWidget* parent);
    QProgressBar* bar() const { return bar_; }

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
    };

    BrowserWindow(Session& session, Hooks hooks, QWidget* parent);

    // Opens at the default size, zoom 1, centred, and fills at once.
    void open();
    // Clears the pictures and lists, shows the loading window and renders
    // every photo at the current box.
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

private:
    void applyWindowSize(int which);
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
};

} // namespace fotarel::app
