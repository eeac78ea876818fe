// Feeds arbitrary bytes to the INI reader (text decoding included) and reads
// the keys a template description has.
#include "templates/ini_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto ini = fotarel::IniFile::fromBytes(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (const char* key : {"mblx", "mbfl", "xpsl", "xpkd", "xpgd", "szhz", "xpjpgmc", "mbdx"})
        (void)ini.value(QStringLiteral("1"), QString::fromLatin1(key));
    (void)ini.value(QStringLiteral("l_x_w_j_s_y"), QStringLiteral("l_x_w_j_s_y"));
    return 0;
}
