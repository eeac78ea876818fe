#pragma once

#include "core/session.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace fotarel::app {

// "相册时长" (TForm2): whether the album's length follows the photos or the
// music, and whether music or pictures loop to fill frames. The flags live in
// the session (render/output_settings.h) for the render pass to read.
class AlbumLengthDialog : public QDialog {
    Q_OBJECT
public:
    explicit AlbumLengthDialog(Session& session, QWidget* parent = nullptr);

    // The main window's "相册长度" command: with no songs every flag first
    // returns to following the photos without loops; then the window shows
    // modally.
    void run();

    // Shows the flags' state in the buttons (also after a deletion of all
    // songs reset them).
    void syncFromSession();

private:
    Session& session_;
    QRadioButton* followPhotos_;
    QRadioButton* followMusic_;
    QCheckBox* loopMusic_;
    QCheckBox* loopPictures_;
};

} // namespace fotarel::app
