#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/single_instance.h"
#include "engine/ui_port.h"
#include "templates/library_scan.h"

#include <functional>

namespace fotarel {

// What the window does at the points of start-up that concern it. Any hook
// may be left empty (the command-line front end has no window).
struct StartupHooks {
    std::function<void()> prepareWindow;    // background colour, double buffering
    std::function<void()> placeAreas;       // photo, music and lyric areas
    std::function<void()> applyStartLayout; // the "kaishibuju" layout (applied twice)
    std::function<void()> startWizardTimer; // the album wizard opens when the loop runs
};

enum class StartupOutcome {
    Ready,
    AnotherInstanceRunning, // end at once with exit code 0, nothing touched
    InvalidTemplateMarker,  // end at once with exit code 0
    FolderUnavailable,      // a working folder could not be created; the user was told
};

struct StartupReport {
    StartupOutcome outcome = StartupOutcome::Ready;
    QString detail; // the package or folder concerned
    QList<SkippedTemplate> skippedTemplates;
};

// The main window's start-up, step by step in its fixed order: window
// preparation, single-instance guard, template library (scan, descriptions,
// classification, slot counts), areas, start layout, working folders, the
// loose scratch files, and the wizard timer. Templates that could not be used
// are reported once in the message window before the wizard timer starts.
StartupReport runStartup(Session& session, const WorkingFolder& folder, SingleInstanceGuard& guard, UiPort& ui,
                         const StartupHooks& hooks = {});

// Scan, descriptions, classification and slot counts: the template library
// part of start-up.
StartupReport loadTemplateLibrary(Session& session, const WorkingFolder& folder, UiPort& ui);

// The message for templates skipped at start-up; files are named relative
// to the program's data folder.
QString skippedTemplatesMessage(const QList<SkippedTemplate>& skipped, const WorkingFolder& folder);
QString folderUnavailableMessage(const QString& folder);

} // namespace fotarel
