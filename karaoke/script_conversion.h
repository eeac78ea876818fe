#pragma once

// Simplified and traditional Chinese characters for karaoke lines, with
// OpenCC's standard configurations (s2t and t2s).

#include <QString>

#include <vector>

namespace fotarel::karaoke {

enum class Script { Simplified, Traditional };

// "jianti" is simplified, "fanti" traditional; anything else simplified.
Script scriptFromWord(const QString& word);

// The text in the chosen script. Text that is already in it, and text
// without Chinese characters, comes back unchanged. Safe from any thread.
QString convertScript(const QString& text, Script to);

// A line's units converted together (so phrases convert as phrases) and cut
// back into units. When the conversion changes the number of characters, the
// units are converted one by one instead, so every unit keeps its own text.
std::vector<QString> convertUnits(const std::vector<QString>& units, Script to);

} // namespace fotarel::karaoke
