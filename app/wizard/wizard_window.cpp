#include "app/wizard/wizard_window.h"

#include "engine/wizard.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace fotarel::app {

WizardWindow::WizardWindow(const std::function<bool(const QString& command)>& hasCommand, QWidget* parent)
    : QDialog(parent), hasCommand_(hasCommand)
{
    setObjectName(QStringLiteral("TForm53"));
    setWindowTitle(QStringLiteral("相册向导"));
    setWindowModality(Qt::ApplicationModal);
    setStyleSheet(QStringLiteral(
        "QDialog { background: #1d2530; }"
        "QLabel { color: #d9dee5; font-family: '微软雅黑'; font-size: 13px; }"
        "QPushButton { color: white; background: #3a4452; border: 1px solid #56606e; border-radius: 4px;"
        " font-family: '微软雅黑'; font-size: 15px; padding: 8px 24px; text-align: left; }"
        "QPushButton:hover { background: #4a5666; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 22);
    layout->setSpacing(10);
    auto* intro = new QLabel(QStringLiteral("按下面的步骤做一个相册，每一步都可以重复。"), this);
    intro->setObjectName(QStringLiteral("Label_xiangdao_shuoming"));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    const auto& steps = wizard::steps();
    for (int i = 0; i < int(steps.size()); ++i) {
        const wizard::Step& s = steps[size_t(i)];
        auto* button = new QPushButton(s.caption, this);
        button->setObjectName(s.buttonName);
        button->setCursor(Qt::PointingHandCursor);
        button->setAutoDefault(false);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, i] { emit stepPressed(i); });
        buttons_ << button;
    }
    setFixedWidth(360);
    refreshSteps();
}

void WizardWindow::refreshSteps()
{
    const auto& steps = wizard::steps();
    for (int i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setVisible(hasCommand_(steps[size_t(i)].command));
    adjustSize();
}

} // namespace fotarel::app
