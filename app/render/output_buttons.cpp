#include "app/render/output_buttons.h"

#include "app/karaoke/karaoke_dialogs.h"
#include "app/render/render_window.h"
#include "app/settings/output_size_dialog.h"
#include "render/output_commands.h"

#include <QAbstractButton>
#include <QWidget>

namespace fotarel::app {

OutputButtons::OutputButtons(QWidget* mainWindow, Session& session, const WorkingFolder& folder, UiPort& ui)
    : QObject(mainWindow), mainWindow_(mainWindow), session_(session), folder_(folder), ui_(ui)
{
    const std::pair<const char*, QString> buttons[] = {
        {"suiButton10", QStringLiteral("VCD")}, {"suiButton11", QStringLiteral("SVCD")},
        {"suiButton12", QStringLiteral("DVD")}, {"suiButton38", QStringLiteral("AVI")},
        {"suiButton_mp4", QStringLiteral("MP4")},
        {"suiButton39", render::kImageSequenceCommand},
    };
    for (const auto& [name, command] : buttons) {
        auto* button = mainWindow->findChild<QAbstractButton*>(QString::fromLatin1(name));
        if (!button)
            continue;
        const QString c = command;
        connect(button, &QAbstractButton::clicked, this, [this, c] { run(c); });
    }
}

void OutputButtons::run(const QString& command)
{
    render::OutputCommandHooks hooks;
    hooks.askOutputSize = [this](bool wizard) {
        OutputSizeDialog dialog(session_, mainWindow_);
        dialog.ask(wizard);
    };
    hooks.askLyricType = [this] {
        LyricTypeDialog dialog(session_, mainWindow_);
        dialog.ask();
    };
    hooks.runRenderWindow = [this] {
        RenderWindow window(session_, folder_, mainWindow_);
        bool invalid = false;
        connect(&window, &RenderWindow::invalidTemplate, this, [&invalid] { invalid = true; });
        window.exec();
        if (invalid)
            mainWindow_->close();
    };
    render::runOutputCommand(session_, ui_, command, hooks);
}

} // namespace fotarel::app
