// Feeds arbitrary bytes to the template package layer step, twice in a row
// as unpacking does, with a small size bound so hostile headers show quickly.
#include "templates/package.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray buffer(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (int i = 0; i < 2; ++i) {
        if (fotarel::applyLayerStep(buffer, 16u * 1024u * 1024u))
            break;
    }
    return 0;
}
