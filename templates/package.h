#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace fotarel {

// Template packages are stacks of nested layers. One layer is a 4-byte
// little-endian size N followed by a zlib stream that inflates to exactly N
// bytes: the next layer, or after the last layer the payload (an INI text or
// a SWF movie).
inline constexpr int kPackageLayers = 23;

// The largest layer content accepted. A header may claim any size; nothing is
// allocated from the claim itself, and inflation stops at this bound.
inline constexpr std::uint32_t kMaxLayerSize = 256u * 1024u * 1024u;

struct LayerError {
    QString reason;
};

// One layer step. An empty buffer stays empty. Otherwise the buffer is
// replaced by the inflated content, which must be exactly N bytes; on any
// fault (short header, N over the bound, a broken or truncated stream, a
// size other than N) the buffer is left unchanged and the reason returned.
std::optional<LayerError> applyLayerStep(QByteArray& buffer, std::uint32_t maxSize = kMaxLayerSize);

// Wraps content in one layer (the inverse of a layer step).
QByteArray wrapLayer(const QByteArray& content, int compressionLevel = 9);

// Wraps a payload in `layers` layers.
QByteArray packPayload(const QByteArray& payload, int layers = kPackageLayers);

struct UnpackResult {
    bool ok = false;
    int failedStep = 0; // 1-based layer step that failed, 0 when ok
    QString reason;
};

// Unpacks the package file `source` through 23 layer steps: step n (1..22)
// reads the file of step n-1 (step 0 being the package) and writes the
// intermediate `intermediates[n-1]`; step 23 reads the 22nd intermediate and
// writes `target`. Every intermediate is written to disk. On a fault the
// steps stop, the files written so far stay, and the target is not written.
UnpackResult unpackPackage(const QString& source, const QStringList& intermediates, const QString& target);

// Writes `payload` packed in 23 layers to `path`.
bool writePackage(const QString& path, const QByteArray& payload);

} // namespace fotarel
