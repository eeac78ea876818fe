#pragma once

#include "core/session.h"
#include "core/working_folder.h"

#include <QStringList>

#include <functional>

namespace fotarel {

// Prepares the group work folders after a batch was fitted: clears the work
// area first when the import switch says "kai" (then sets "guan"), and
// unpacks the template movie of every new photo row (thumbnail flag still
// "jiancai_no") into its group's folder, once per row, under intermediate
// names made unique by Edit_wj_1_jy_leijia. `step` runs once (progress),
// `pump` once per photo row. Returns the packages that could not be
// unpacked.
QStringList prepareWorkFolders(Session& session, const WorkingFolder& folder, const std::function<void()>& step = {},
                               const std::function<void()>& pump = {});

// Unpacks the ending template into "tp_wjj_zuihou" (cleared first).
// Returns false when its package is missing or broken.
bool unpackEndingTemplate(const Session& session, const WorkingFolder& folder, const std::function<void()>& pump = {});

} // namespace fotarel
