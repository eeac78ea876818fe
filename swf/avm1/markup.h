#pragma once

// Text written into XML and HTML output.

#include <QString>

namespace fotarel::swf::avm1 {

// &, <, >, " and ' written as the five predefined entities.
QString escapeMarkup(const QString& s);

} // namespace fotarel::swf::avm1
