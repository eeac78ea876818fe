#pragma once

#include "tools/templatec/scene.h"

#include <QByteArray>

namespace fotarel::templatec {

// The INI description text of a template.
QByteArray descriptionIni(const Scene& scene);

} // namespace fotarel::templatec
