#pragma once

#include "core/session.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

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
    // Edit_quxiao, then shows the window modally until the user chooses.
    // `forWizard`: the wizard's "make a DVD album" asked; "开始制作" then
    // also clears the wizard's step. Returns false when the close box was
    // used (Edit_quxiao reads "quxiao").
    bool ask(bool forWizard = false);

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
    bool forWizard_ = false;
};

} // namespace fotarel::app
