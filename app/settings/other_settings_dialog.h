#pragma once

#include "core/session.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace fotarel::app {

// "其它设置" (TForm17): TV standard, picture quality, the two crop choices and
// whether crops are cut from the top-left corner instead of around the
// subject.
// Every choice takes effect at once; the close box closes the window.
class OtherSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OtherSettingsDialog(Session& session, QWidget* parent = nullptr);

    // The main window's "其它设置" command: shows the window modally.
    void run();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void syncFromSession();

    Session& session_;
    QRadioButton* pal_;
    QRadioButton* ntsc_;
    QRadioButton* normal_;
    QRadioButton* high_;
    QRadioButton* landscapeFull_;
    QRadioButton* landscapeTemplate_;
    QRadioButton* portraitZoom_;
    QRadioButton* portraitTemplate_;
    QCheckBox* topLeftCrop_;
};

} // namespace fotarel::app
