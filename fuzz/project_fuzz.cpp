// Feeds arbitrary bytes to the album project reader: a project file comes
// from outside (a user opens what another saved or what a crash left).
#include "project/album_project.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    (void)fotarel::project::parseProject(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), &error);
    return 0;
}
