#pragma once

#include "core/session.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace fotarel::app {

// "输出相册尺寸" (TForm39): the size of the album for the current output type
// (Edit_VCDSVCDDVD_leixing) and, for an image sequence, its format.
// "开始制作" lets the output command go on; the close box cancels it.
class OutputSizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit OutputSizeDialog(Session& session, QWidget* parent = nullptr);

    // What an output command does: fills the size list for the current
    // output type, selects the default entry, fills the fields, clears
    // Edit_quxiao; with `wizardTimer` starts the 500 ms timer that, while the
    // wizard's step is "make a DVD album", clears the step and starts the
    // album by itself; then shows the window modally. Returns false when the
    // close box was used (Edit_quxiao reads "quxiao").
    bool ask(bool wizardTimer = false);

    QTimer* wizardTimer() const { return wizardTimer_; }

protected:
    void reject() override;

private:
    void prepare();
    void showFields();
    void start();

    Session& session_;
    QListWidget* sizes_;
    QListWidget* formats_;
    QLineEdit* shownSize_;
    QLineEdit* shownType_;
    QPushButton* defaultButton_;
    QPushButton* startButton_;
    QTimer* wizardTimer_;
};

} // namespace fotarel::app
