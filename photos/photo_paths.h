#pragma once

#include "core/session.h"
#include "core/working_folder.h"

#include <QString>

namespace fotarel::photo_paths {

// Thumbnail of photo row n (1-based).
QString thumbnail(const WorkingFolder& folder, const Session& session, int number);
// A thumbnail's temporary name while rows are reordered.
QString thumbnailTemporary(const WorkingFolder& folder, const Session& session, int number);
// Folder of group g, and its temporary name while groups are renumbered.
QString groupFolder(const WorkingFolder& folder, int group);
QString groupFolderTemporary(const WorkingFolder& folder, int group);
// The template movie of group g inside the folder `groupDir`.
QString groupMovieName(const Session& session, int group);
// The cropped picture of a photo row (group folder + picture name + ".rar").
QString picture(const WorkingFolder& folder, const Session& session, int group, const QString& pictureName);
// The crop canvas bitmap.
QString cropCanvas(const WorkingFolder& folder, const Session& session);
// The ending template's movie.
QString endingMovie(const WorkingFolder& folder, const Session& session);

} // namespace fotarel::photo_paths
