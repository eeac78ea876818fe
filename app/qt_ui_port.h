#pragma once

#include "engine/ui_port.h"

#include <QObject>

class QWidget;

namespace fotarel::app {

class MessageWindow;
class ConfirmWindow;

// The desktop program's answer to the engine: the message window, the
// confirmation windows and the system's file dialogs.
class QtUiPort : public QObject, public UiPort {
    Q_OBJECT
public:
    QtUiPort(QWidget* mainWindow, MessageWindow* messages, ConfirmWindow* exitConfirm);

    void showMessage(const QString& text) override;
    bool confirm(const QString& title, const QString& text, const QString& accept = QStringLiteral("确定")) override;
    QStringList chooseOpenFiles(const QString& filter, const QStringList& preselected) override;
    QString chooseSaveFile(const QString& filter) override;
    void progress(const QString& bar, int value, int maximum) override;
    void processEvents() override;

    // "描述|*.a;*.b;" to Qt's "描述 (*.a *.b)".
    static QString toQtFilter(const QString& filter);

signals:
    void progressChanged(const QString& bar, int value, int maximum);

private:
    QWidget* main_;
    MessageWindow* messages_;
    ConfirmWindow* exitConfirm_;
};

} // namespace fotarel::app
