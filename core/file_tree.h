#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace fotarel {

// Empties the folder tree at path and removes the folder itself. Entries are
// never followed through symbolic links (a link is removed as a link). A file
// that cannot be deleted, or is read-only (no owner write permission, which is
// honoured even when the process could override it), stays where it is, and
// so do the folders holding it; nothing is reported.
void deleteTree(const QString& path);

// Copies every file below `from` to the same place below `to`, making
// folders as needed; hidden files count, links are not followed. Stops at
// the first file that cannot be copied (an existing target counts) and
// returns false.
bool copyTree(const QString& from, const QString& to);

// Deletes one file if it exists; failures are ignored.
void deleteFileIfExists(const QString& path);

// Creates the folder with all missing parents, trying again (after calling
// pump) until it exists or the time limit has passed. Returns whether the
// folder exists.
bool recreateFolder(const QString& path, const std::function<void()>& pump = {},
                    std::chrono::milliseconds limit = std::chrono::seconds(5));

} // namespace fotarel
