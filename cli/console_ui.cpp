#include "cli/console_ui.h"

#include "audio/music_import.h"

#include <cstdio>

namespace fotarel::cli {

void ConsoleUi::showMessage(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool ConsoleUi::confirm(const QString&, const QString&, const QString&)
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

void ConsoleUi::processEvents()
{
    if (stop_.stop_requested() && std::this_thread::get_id() == owner_)
        throw StopRequested{};
}

QString ConsoleUi::barLabel(const QString& bar)
{
    // The windows' bars are named after their controls; the console says
    // what is going on.
    if (bar == audio::kMusicProgressBar)
        return QStringLiteral("添加音乐");
    return bar;
}

void ConsoleUi::progress(const QString& bar, int value, int maximum)
{
    if (maximum > 0)
        std::fprintf(stderr, "\r%s %3d%%", barLabel(bar).toLocal8Bit().constData(),
                     int(qint64(value) * 100 / maximum));
    if (value >= maximum)
        std::fprintf(stderr, "\n");
}

} // namespace fotarel::cli
