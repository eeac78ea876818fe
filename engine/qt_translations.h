#pragma once

class QCoreApplication;

namespace fotarel {

// Installs Qt's own Simplified Chinese texts (standard dialogs and buttons,
// the command-line parser's help) from Qt's translations folder, so they
// speak the program's language. Returns false when they are not installed
// (Debian: qt6-translations-l10n); Qt's English texts then stay.
bool installQtChinese(QCoreApplication& app);

} // namespace fotarel
