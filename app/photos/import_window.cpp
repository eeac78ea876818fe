#include "app/photos/import_window.h"

#include "photos/import.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace fotarel::app {

ImportWindow::ImportWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), bar_(new QProgressBar(this))
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(kImportProgressBar);
    setModal(true);
    setStyleSheet(QStringLiteral("QDialog { background: #f4f6f8; border: 1px solid #3a4452; }"));
    resize(360, 110);
    auto* title = new QLabel(kImportProgressBar, this);
    title->setGeometry(12, 8, 300, 24);
    auto* text = new QLabel(QStringLiteral("正在处理相片，请稍候..."), this);
    text->setGeometry(12, 36, 336, 22);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setGeometry(12, 66, 336, 22);
    bar_->setRange(0, 1);
    bar_->setValue(0);
}

void ImportWindow::setProgress(const QString& bar, int value, int maximum)
{
    if (bar != kImportProgressBar)
        return;
    bar_->setRange(0, std::max(1, maximum));
    bar_->setValue(value);
}

void ImportWindow::run(const std::function<void()>& work)
{
    bar_->setRange(0, 1);
    bar_->setValue(0);
    open(); // modal for the user; the work below pumps the events
    QCoreApplication::processEvents();
    work();
    close();
}

} // namespace fotarel::app
