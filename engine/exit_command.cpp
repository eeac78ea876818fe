#include "engine/exit_command.h"

#include "core/file_tree.h"

namespace fotarel {

bool confirmExit(UiPort& ui)
{
    return ui.confirm(kExitTitle, kExitQuestion);
}

void cleanWorkingTreeAtExit(const WorkingFolder& folder)
{
    for (const QString& rel : {paths::kThumbsRoot, paths::kGroupsRoot, paths::kDescriptionUnpack,
                               paths::kUnusedDeepFolder, paths::kPreviewRoot, paths::kEndingUnpack})
        deleteTree(folder.path(rel));
    for (const QString& rel : paths::scratchFiles())
        deleteFileIfExists(folder.path(rel));
}

} // namespace fotarel
