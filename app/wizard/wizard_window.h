#pragma once

#include <QDialog>
#include <QList>

#include <functional>

class QPushButton;

namespace fotarel::app {

// The album wizard (TForm53, "相册向导"): four step buttons that lead a new
// user through adding photos, music and lyrics to making a DVD album. It
// does no work itself: a step button emits stepPressed and the main window
// runs its own command while the wizard stays open.
class WizardWindow : public QDialog {
    Q_OBJECT
public:
    // `hasCommand` tells whether the main window has the command a step
    // runs; a step whose command is missing is not shown.
    WizardWindow(const std::function<bool(const QString& command)>& hasCommand, QWidget* parent);

    QPushButton* stepButton(int step) const { return buttons_.value(step); }
    // Shows the steps whose commands exist now (a command may be added
    // after the wizard was made).
    void refreshSteps();

signals:
    void stepPressed(int step);

private:
    std::function<bool(const QString& command)> hasCommand_;
    QList<QPushButton*> buttons_;
};

} // namespace fotarel::app
