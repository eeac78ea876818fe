#include "app/window_activation.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace fotarel::app {

WindowActivation::WindowActivation(QWidget* mainWindow) : QObject(mainWindow), main_(mainWindow)
{
    qApp->installEventFilter(this);
}

bool WindowActivation::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Hide || pending_ || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget == main_ || !widget->isWindow())
        return false;
    // Our dialogs are modal: the user was with us when one closes.
    if (!widget->isModal() && QApplication::activeWindow() != widget)
        return false;
    // After the hide has run its course (a modal loop ends, the dialog's
    // caller goes on), so a window opened meanwhile keeps the keyboard.
    pending_ = true;
    QTimer::singleShot(0, this, &WindowActivation::activateNext);
    return false;
}

void WindowActivation::activateNext()
{
    pending_ = false;
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible())
        return; // someone (a window manager, a new window) took care of it
    QWidget* next = QApplication::activeModalWidget();
    if (!next || !next->isVisible())
        next = main_;
    if (!next->isVisible())
        return;
    next->raise();
    next->activateWindow();
}

} // namespace fotarel::app
