#pragma once

#include "core/session.h"
#include "core/working_folder.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace fotarel {

// A template file that start-up could not use, with the reason.
struct SkippedTemplate {
    QString file;
    QString reason;
};

struct ScanResult {
    bool unpackFolderReady = true; // false: the unpack folder could not be created
    int pairCount = 0;
    QList<SkippedTemplate> skipped; // packages left without a partner
};

// Every ".rar" / ".RAR" file below `folder`, walking entries in name order and
// descending into a subfolder where the walk meets it. Other letter cases of
// the extension are not taken. Symbolic links are not followed.
QStringList listPackages(const QString& folder);

// Scans the template library: recreates the description unpack folder, then
// fills the four scan lists (all files, pair lines, description and movie of
// each pair). The i-th description pairs with the i-th movie. When the two
// folders hold different numbers of packages, only the first min(D, M) pairs
// are made and the rest are reported as skipped.
ScanResult scanLibrary(Session& session, const WorkingFolder& folder, const std::function<void()>& pump = {});

} // namespace fotarel
