#include "core/text_decode.h"

#include <QStringDecoder>

#include <iconv.h>

#include <cerrno>
#include <string>

namespace fotarel {

namespace {

QByteArray convert(const QByteArray& in, const char* from, const char* to)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray out;
    std::string buffer(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    while (srcLeft > 0) {
        char* dst = buffer.data();
        size_t dstLeft = buffer.size();
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer.data(), static_cast<qsizetype>(buffer.size() - dstLeft));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // An invalid or truncated sequence: show a replacement mark and go on.
            out.append(to[0] == 'U' ? "\xEF\xBF\xBD" : "?");
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

QString decodeText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return d.decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return d.decode(bytes.mid(2));
    }
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return QString::fromUtf8(convert(bytes, "GB18030", "UTF-8"));
}

QByteArray encodeGb18030(const QString& text)
{
    return convert(text.toUtf8(), "UTF-8", "GB18030");
}

} // namespace fotarel
