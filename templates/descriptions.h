#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "templates/library_scan.h"

#include <optional>

namespace fotarel {

inline const QString kMarkerSection = QStringLiteral("l_x_w_j_s_y");
inline const QString kMarkerKey = QStringLiteral("l_x_w_j_s_y");
inline const QString kMarkerValue = QStringLiteral("s_y_l_x");
inline const QString kDescriptionSection = QStringLiteral("1");

struct DescriptionResult {
    // Set when a description unpacked cleanly but carries no valid marker:
    // the program must end (exit code 0). Holds the package path.
    std::optional<QString> markerFailure;
    QList<SkippedTemplate> skipped; // packages whose layers could not be unpacked
};

// Unpacks every paired description into the unpack folder, checks its marker
// and loads it into the template table, one row per template in pair order.
// A package whose layers are broken is skipped and reported; its intermediates
// written so far stay in the unpack folder like those of good packages.
DescriptionResult unpackAllDescriptions(Session& session, const WorkingFolder& folder);

// The 22 intermediate paths and the target of description k (1-based).
QStringList descriptionIntermediates(const WorkingFolder& folder, int k);
QString descriptionTarget(const WorkingFolder& folder, int k);

} // namespace fotarel
