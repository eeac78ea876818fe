#pragma once

// A caption given on the command line: "mm:ss|EFFECT|TEXT" with the
// optional fields "|font|size|colour" after it. EFFECT is an effect name or
// its number 1-30; the font, size and colour default as in the editor
// ("黑体", 10, clWhite). A colour is given by its shown name ("黄色") or its
// stored one ("clYellow"). Errors are told in Chinese.

#include "core/table.h"

#include <QString>

#include <optional>

namespace fotarel::effects {

struct CaptionOption {
    std::optional<Row> row; // a caption-table row
    QString error;          // names the field that is wrong
};

CaptionOption parseCaptionOption(const QString& text);

// One line per effect number and name, for the help text.
QString effectListText();

} // namespace fotarel::effects
