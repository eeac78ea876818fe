#pragma once

#include "tools/templatec/scene.h"

#include <QByteArray>

namespace fotarel::templatec {

// The SWF 8 movie of a template (CWS).
QByteArray compileMovie(const Scene& scene);

} // namespace fotarel::templatec
