#pragma once

#include <QDialog>

#include <functional>

class QProgressBar;

namespace fotarel::app {

// The import window "添加相片" (TMainForm): a small modal window with the
// import's progress bar. run() shows it, does the work (which pumps window
// events through the UI port) and closes it.
class ImportWindow : public QDialog {
    Q_OBJECT
public:
    explicit ImportWindow(QWidget* parent = nullptr);
    void run(const std::function<void()>& work);
    QProgressBar* bar() const { return bar_; }

public slots:
    // Connect the UI port's progress here; only the bar "添加相片" counts.
    void setProgress(const QString& bar, int value, int maximum);

private:
    QProgressBar* bar_;
};

} // namespace fotarel::app
