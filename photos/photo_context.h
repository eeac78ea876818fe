#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"
#include "photos/photo_dialogs.h"
#include "photos/random_source.h"

#include <chrono>
#include <functional>
#include <map>

namespace fotarel {

// What the photos area does when the engine has changed the photos. Any hook
// may be left empty (tests, the command-line front end).
struct PhotoViewHooks {
    // Shows the modal import window "添加相片" while `work` runs.
    std::function<void(const std::function<void()>& work)> runInImportWindow;
    std::function<void()> stopPlaceholder;    // Timer_yanshi stops, its paint box hides
    std::function<void()> restartPlaceholder; // the empty-area animation runs again
    std::function<void()> destroyTiles;
    std::function<void()> createTiles;        // one tile per photo row, arranged
    std::function<void()> destroyLastTile;
    std::function<void()> reloadTiles;        // pictures and labels from the rows
    std::function<void()> hideFrames;         // selection and hover frames
    std::function<void()> clearPreview;       // the selected-photo panel, retitled
    std::function<void()> clearBrowser;       // the photo browser's pictures
    std::function<void()> showPhotoArea;      // the main window switches to its photos area
};

struct ImportOptions {
    // The import window fills its bar to the end one step per finishStep,
    // then waits finishHold before it closes.
    std::chrono::milliseconds finishStep{100};
    std::chrono::milliseconds finishHold{1000};
    int threads = 0; // worker threads; 0: one per core
    // Templates fixed by name for groups of the batch (group number -> the
    // template's name), put in place of the drawn ones.
    std::map<int, QString> templates = {};
};

struct PhotoContext {
    Session& session;
    const WorkingFolder& folder;
    UiPort& ui;
    RandomSource& random;
    PhotoDialogs* dialogs = nullptr;
    PhotoViewHooks view;
    ImportOptions import;

    void pump() { ui.processEvents(); }
};

inline void callHook(const std::function<void()>& hook)
{
    if (hook)
        hook();
}

} // namespace fotarel
