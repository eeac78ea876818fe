#pragma once

#include "core/session.h"

#include <QString>

namespace fotarel {

// The name under which an album keeps a template: its movie package's path
// inside the library's movie folder, with "/" separators (for example
// "h1_01_kenburns_drift.rar"). A name stays as it is; an absolute path
// outside a movie folder gives its file name.
QString templateName(const QString& moviePath);

// The row of the template table (filled at start-up) that holds the template
// named `nameOrPath`: by its name, or, for a path an older program saved, by
// the name that path has in its library and failing that by its file name.
// -1 when the library has no such template.
int findTemplate(const Session& session, const QString& nameOrPath);

} // namespace fotarel
