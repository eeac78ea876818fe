#pragma once

#include <QByteArray>
#include <QString>

namespace fotarel {

// Decodes a text file's bytes. Text files made on Chinese Windows systems
// (INI descriptions, LRC and KSC lyrics) are usually GBK. A UTF-8 or UTF-16
// byte-order mark decides first, then valid UTF-8; everything else is read
// as GB18030 (a superset of GBK and GB2312).
QString decodeText(const QByteArray& bytes);

// GB18030 bytes of a text (for writing files that Windows tools read).
QByteArray encodeGb18030(const QString& text);

} // namespace fotarel
