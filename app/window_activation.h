#pragma once

#include <QObject>

class QWidget;

namespace fotarel::app {

// Gives the keyboard back when one of the program's own windows goes away.
// A window manager activates the window under a closed dialog; without one
// (a bare X server, a kiosk) nothing does, and the main window's shortcuts
// and keys stay dead until the user clicks it. When one of our modal
// windows (or the window that had the keyboard) is hidden and no window of
// ours is active, the next modal window still open (else the main window)
// is activated.
class WindowActivation : public QObject {
    Q_OBJECT
public:
    explicit WindowActivation(QWidget* mainWindow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activateNext();

    QWidget* main_;
    bool pending_ = false;
};

} // namespace fotarel::app
