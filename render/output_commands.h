#pragma once

// The five output commands ("VCD", "SVCD", "DVD", "AVI", "序列图"): the photo
// check, the output type, the output-size window, the save dialog, the output
// path and the render window.

#include "core/session.h"
#include "engine/ui_port.h"

#include <QString>

#include <functional>

namespace fotarel::render {

inline const QString kNoPhotosMessage = QStringLiteral("没有添加相片文件！");
inline const QString kFolderExistsMessage = QStringLiteral("输入的文件名存在, 请更换保存的文件名！");
inline const QString kImageSequenceCommand = QStringLiteral("序列图");

// What the windows do for a command. Every hook may be empty (then that step
// goes on as if the window had been closed with its default).
struct OutputCommandHooks {
    // Shows the output-size window modally after the fields were prepared;
    // `wizardTimer` asks for its auto-start timer (the DVD command in the
    // album wizard). The close box leaves Edit_quxiao "quxiao".
    std::function<void(bool wizardTimer)> askOutputSize;
    // The lyric type window, shown when there are songs and karaoke rows.
    std::function<void()> askLyricType;
    // Shows the render window modally; it runs the pass.
    std::function<void()> runRenderWindow;
    // After the render window closed: frees the pass's text-effect labels.
    std::function<void()> destroyTextEffects;
};

enum class OutputCommandResult { Rendered, NoPhotos, Cancelled, FolderExists, UnknownCommand };

// The save dialog filter of a command ("序列图" with its image format).
QString saveFilter(const QString& command, const QString& imageFormat = QStringLiteral("JPG"));

// The video output path for a chosen name: the type's extension (".avi"
// for "AVI", ".mp4" for "MP4", ".mpg" for the MPEG types) is appended unless the name already
// ends with it, in any letter case.
QString videoOutputPath(const QString& chosen, const QString& outputType);

// Makes the folder of an image sequence and every missing level above it.
// The folder itself must be new: it is made exclusively, so two programs
// never write one sequence. Returns the levels it made, highest first;
// empty when the folder existed or could not be made (nothing is left then).
QStringList makeSequenceFolder(const QString& folder);
// Removes the levels makeSequenceFolder() made, deepest first, each only
// while it is empty: a sequence that was stopped or failed leaves no empty
// folder that would block its name.
void removeEmptyFolders(const QStringList& made);

// Runs one command, named by its button text.
OutputCommandResult runOutputCommand(Session& session, UiPort& ui, const QString& command,
                                     const OutputCommandHooks& hooks);

} // namespace fotarel::render
