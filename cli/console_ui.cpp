#include "cli/console_ui.h"

#include <cstdio>

namespace fotarel::cli {

void ConsoleUi::showMessage(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool ConsoleUi::confirm(const QString&, const QString&)
{
    return false;
}

QStringList ConsoleUi::chooseOpenFiles(const QString&, const QStringList&)
{
    return {};
}

QString ConsoleUi::chooseSaveFile(const QString&)
{
    return {};
}

void ConsoleUi::progress(const QString& bar, int value, int maximum)
{
    if (maximum > 0)
        std::fprintf(stderr, "\r%s %3d%%", bar.toLocal8Bit().constData(), value * 100 / maximum);
    if (value >= maximum)
        std::fprintf(stderr, "\n");
}

} // namespace fotarel::cli
