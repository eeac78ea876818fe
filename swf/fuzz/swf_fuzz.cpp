// Fuzz target: parse a movie, play a few ticks, jump, paint one frame.
#include "swf/player.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

// Qt's font database keeps fontconfig's pattern caches, which fontconfig
// never frees: not a fault of the code under test.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fotarel::swf::Player player;
    if (!player.loadData(QByteArray(reinterpret_cast<const char*>(data), int(size)), QStringLiteral("/tmp/fuzz/movie.swf")))
        return 0;
    player.stopPlaying();
    for (int i = 1; i <= 3; ++i)
        player.setFrameNum(i);
    player.setFrameNum(0);
    player.tick();
    QImage img = player.paint(QSize(64, 48));
    (void)img;
    return 0;
}
