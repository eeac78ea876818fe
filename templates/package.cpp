#include "templates/package.h"

#include <QFile>
#include <QSaveFile>

#include <zlib.h>

#include <algorithm>

namespace fotarel {

namespace {

std::uint32_t readLe32(const QByteArray& b)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData());
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

std::optional<QByteArray> readWholeFile(const QString& path, QString* reason)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("无法打开文件 %1").arg(path);
        return std::nullopt;
    }
    if (f.size() > qint64(kMaxLayerSize) + 16) {
        *reason = QStringLiteral("文件过大 %1").arg(path);
        return std::nullopt;
    }
    return f.readAll();
}

bool writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size() && f.flush();
}

} // namespace

std::optional<LayerError> applyLayerStep(QByteArray& buffer, std::uint32_t maxSize)
{
    if (buffer.isEmpty())
        return std::nullopt;
    if (buffer.size() < 4)
        return LayerError{QStringLiteral("数据不足4字节")};
    const std::uint32_t n = readLe32(buffer);
    if (n > maxSize)
        return LayerError{QStringLiteral("声明大小%1字节，超过上限%2字节").arg(n).arg(maxSize)};

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return LayerError{QStringLiteral("zlib无法初始化")};

    // Grow the output as data really arrives, never beyond N (+1 byte to see
    // a stream that runs past its declared size).
    QByteArray out;
    out.resize(static_cast<qsizetype>(std::min<std::uint32_t>(n + 1, 1u << 20)));
    zs.next_in = reinterpret_cast<Bytef*>(buffer.data() + 4);
    zs.avail_in = static_cast<uInt>(buffer.size() - 4);
    std::uint64_t produced = 0;
    int rc = Z_OK;
    while (true) {
        if (produced == static_cast<std::uint64_t>(out.size())) {
            if (produced > n)
                break;
            const std::uint64_t grown = std::min<std::uint64_t>(std::uint64_t(out.size()) * 2, std::uint64_t(n) + 1);
            out.resize(static_cast<qsizetype>(grown));
        }
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        zs.avail_out = static_cast<uInt>(static_cast<std::uint64_t>(out.size()) - produced);
        const uInt before = zs.avail_out;
        rc = inflate(&zs, Z_NO_FLUSH);
        produced += before - zs.avail_out;
        if (rc == Z_STREAM_END || produced > n)
            break;
        if (rc != Z_OK) {
            if (rc == Z_BUF_ERROR && zs.avail_in == 0)
                break; // input ended before the stream did
            if (rc == Z_BUF_ERROR && zs.avail_out == 0)
                continue;
            break;
        }
    }
    inflateEnd(&zs);

    if (produced > n)
        return LayerError{QStringLiteral("解压数据超过声明的%1字节").arg(n)};
    if (rc != Z_STREAM_END)
        return LayerError{QStringLiteral("压缩数据损坏或不完整")};
    if (produced != n)
        return LayerError{QStringLiteral("解压得到%1字节，应为%2字节").arg(produced).arg(n)};
    out.resize(static_cast<qsizetype>(n));
    buffer = std::move(out);
    return std::nullopt;
}

QByteArray wrapLayer(const QByteArray& content, int compressionLevel)
{
    uLongf bound = compressBound(static_cast<uLong>(content.size()));
    QByteArray out(static_cast<qsizetype>(bound) + 4, '\0');
    auto* dest = reinterpret_cast<Bytef*>(out.data() + 4);
    compress2(dest, &bound, reinterpret_cast<const Bytef*>(content.constData()), static_cast<uLong>(content.size()),
              compressionLevel);
    const auto n = static_cast<std::uint32_t>(content.size());
    out[0] = static_cast<char>(n & 0xFF);
    out[1] = static_cast<char>((n >> 8) & 0xFF);
    out[2] = static_cast<char>((n >> 16) & 0xFF);
    out[3] = static_cast<char>((n >> 24) & 0xFF);
    out.resize(static_cast<qsizetype>(bound) + 4);
    return out;
}

QByteArray packPayload(const QByteArray& payload, int layers)
{
    QByteArray data = payload;
    for (int i = 0; i < layers; ++i)
        data = wrapLayer(data, i == 0 ? 9 : 1);
    return data;
}

UnpackResult unpackPackage(const QString& source, const QStringList& intermediates, const QString& target)
{
    UnpackResult result;
    if (intermediates.size() != kPackageLayers - 1) {
        result.reason = QStringLiteral("需要%1个中间文件路径").arg(kPackageLayers - 1);
        return result;
    }
    QString previous = source;
    for (int step = 1; step <= kPackageLayers; ++step) {
        QString reason;
        std::optional<QByteArray> data = readWholeFile(previous, &reason);
        if (!data) {
            result.failedStep = step;
            result.reason = reason;
            return result;
        }
        if (auto err = applyLayerStep(*data)) {
            result.failedStep = step;
            result.reason = err->reason;
            return result;
        }
        const QString out = step < kPackageLayers ? intermediates.at(step - 1) : target;
        if (!writeWholeFile(out, *data)) {
            result.failedStep = step;
            result.reason = QStringLiteral("无法写入 %1").arg(out);
            return result;
        }
        previous = out;
    }
    result.ok = true;
    return result;
}

bool writePackage(const QString& path, const QByteArray& payload)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(packPayload(payload));
    return f.commit();
}

} // namespace fotarel
