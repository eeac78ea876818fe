#include "app/qt_ui_port.h"

#include "app/confirm_window.h"
#include "app/message_window.h"
#include "engine/exit_command.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace fotarel::app {

QtUiPort::QtUiPort(QWidget* mainWindow, MessageWindow* messages, ConfirmWindow* exitConfirm)
    : main_(mainWindow), messages_(messages), exitConfirm_(exitConfirm)
{
}

void QtUiPort::showMessage(const QString& text)
{
    messages_->showMessage(text);
}

bool QtUiPort::confirm(const QString& title, const QString& text, const QString& accept)
{
    if (title == kExitTitle)
        return exitConfirm_->ask(text);
    ConfirmWindow window(QStringLiteral("TFormConfirm"), title, main_);
    window.setAcceptText(accept);
    return window.ask(text);
}

QString QtUiPort::toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return filter;
    QStringList patterns = parts.at(1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return QStringLiteral("%1 (%2)").arg(parts.at(0), patterns.join(QLatin1Char(' ')));
}

QStringList QtUiPort::chooseOpenFiles(const QString& filter, const QStringList& preselected)
{
    QFileDialog dialog(main_);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(toQtFilter(filter));
    if (!preselected.isEmpty()) {
        const QFileInfo first(preselected.first());
        dialog.setDirectory(first.absolutePath());
        dialog.selectFile(first.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtUiPort::chooseSaveFile(const QString& filter)
{
    QFileDialog dialog(main_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(toQtFilter(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void QtUiPort::progress(const QString& bar, int value, int maximum)
{
    emit progressChanged(bar, value, maximum);
}

void QtUiPort::processEvents()
{
    QCoreApplication::processEvents();
}

} // namespace fotarel::app
