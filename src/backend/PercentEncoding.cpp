#include "backend/PercentEncoding.h"

#include <cstring>

namespace varnel {

namespace {
QByteArray encode(const QString &text, const char *keep) {
  static constexpr char hex[] = "0123456789ABCDEF";
  const QByteArray utf8 = text.toUtf8();
  QByteArray out;
  out.reserve(utf8.size() * 3);
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       (c != 0 && std::strchr(keep, c) != nullptr);
    if (plain) {
      out.append(ch);
    } else {
      out.append('%');
      out.append(hex[c >> 4]);
      out.append(hex[c & 0xF]);
    }
  }
  return out;
}
} // namespace

QByteArray percentEncodeQueryPart(const QString &text) { return encode(text, "-._~/?"); }

QByteArray percentEncodePath(const QString &text) { return encode(text, "-._~/"); }

} // namespace varnel
