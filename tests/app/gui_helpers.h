#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace fotarel::test {

// Waits (running the event loop) until `done` holds or `ms` have passed.
inline bool waitUntil(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// Once a modal window named `objectName` shows, records its state through
// `inspect` and clicks its button captioned `button`.
inline void answerModal(const QString& objectName, const QString& button,
                        std::function<void(QWidget*)> inspect = {})
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, objectName, button, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        if (inspect)
            inspect(modal);
        for (QAbstractButton* b : modal->findChildren<QAbstractButton*>()) {
            if (b->text() == button) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        }
        modal->close();
    });
    timer->start();
}

} // namespace fotarel::test
