#pragma once
// Percent-encoding of URL parts, byte for byte as the REST layer expects.

#include <QByteArray>
#include <QString>

namespace varnel {

// Keeps letters, digits and "-._~/?"; every other UTF-8 byte becomes %XX.
QByteArray percentEncodeQueryPart(const QString &text);
// Keeps letters, digits, "-._~" and "/" (object paths keep their folders).
QByteArray percentEncodePath(const QString &text);

} // namespace varnel
