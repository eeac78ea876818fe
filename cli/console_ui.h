#pragma once

#include "engine/ui_port.h"

#include <stop_token>
#include <thread>

namespace fotarel::cli {

// Thrown by ConsoleUi::processEvents() once a stop was requested: it ends
// the import, the project opening or the set-up where it stands. Nothing
// they leave is kept (the album lives only as long as the command).
struct StopRequested {};

// The command-line front end's answer to the engine: messages go to standard
// error, confirmations are declined (nothing is done without being asked for
// on the command line), and there are no dialogs.
//
// Every long step of the engine (import, music, project opening) lets
// window events run between its pieces; on the console that is where a
// stop (Ctrl-C, SIGTERM) given with `stop` takes effect.
class ConsoleUi : public UiPort {
public:
    ConsoleUi() = default;
    explicit ConsoleUi(std::stop_token stop) : stop_(std::move(stop)) {}
    void showMessage(const QString& text) override;
    bool confirm(const QString& title, const QString& text, const QString& accept) override;
    QStringList chooseOpenFiles(const QString& filter, const QStringList& preselected) override;
    QString chooseSaveFile(const QString& filter) override;
    void progress(const QString& bar, int value, int maximum) override;
    // Throws StopRequested on the thread that made this object once a stop
    // was requested.
    void processEvents() override;

    // The words the console shows for a progress bar of the windows.
    static QString barLabel(const QString& bar);

private:
    std::stop_token stop_;
    std::thread::id owner_ = std::this_thread::get_id();
};

} // namespace fotarel::cli
