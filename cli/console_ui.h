#pragma once

#include "engine/ui_port.h"

namespace fotarel::cli {

// The command-line front end's answer to the engine: messages go to standard
// error, confirmations are declined (nothing is done without being asked for
// on the command line), and there are no dialogs.
class ConsoleUi : public UiPort {
public:
    void showMessage(const QString& text) override;
    bool confirm(const QString& title, const QString& text, const QString& accept) override;
    QStringList chooseOpenFiles(const QString& filter, const QStringList& preselected) override;
    QString chooseSaveFile(const QString& filter) override;
    void progress(const QString& bar, int value, int maximum) override;
    void processEvents() override {}

    // The words the console shows for a progress bar of the windows.
    static QString barLabel(const QString& bar);
};

} // namespace fotarel::cli
