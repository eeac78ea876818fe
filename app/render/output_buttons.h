#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"

#include <QObject>

class QWidget;

namespace fotarel::app {

// Wires the main window's five output buttons — "VCD" suiButton10, "SVCD"
// suiButton11, "DVD" suiButton12, "AVI" suiButton38, "序列图" suiButton39,
// found by object name under `mainWindow` — to the output commands: the
// output-size window, the save dialog through `ui`, then the render window.
// A template without its marker closes the main window.
class OutputButtons : public QObject {
    Q_OBJECT
public:
    OutputButtons(QWidget* mainWindow, Session& session, const WorkingFolder& folder, UiPort& ui);

    // Runs one command by its button text ("VCD", …, "序列图").
    void run(const QString& command);

private:
    QWidget* mainWindow_;
    Session& session_;
    const WorkingFolder& folder_;
    UiPort& ui_;
};

} // namespace fotarel::app
