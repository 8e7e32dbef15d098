#include "model/LocationText.h"

#include <QRegularExpression>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace varnel {

QString formatShortest(double value) {
  char buf[64];
  const double magnitude = std::fabs(value);
  // Below 1e-4 and from 2^53 on, the exponent form is shorter and is what
  // the mobile client writes as well.
  const bool exponent = magnitude != 0 && (magnitude < 1e-4 || magnitude >= 9007199254740992.0);
  const auto res =
      std::to_chars(buf, buf + sizeof buf, value, exponent ? std::chars_format::scientific : std::chars_format::fixed);
  std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
  QString out = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  if (!exponent && text.find('.') == std::string_view::npos && std::isfinite(value))
    out += QStringLiteral(".0");
  return out;
}

QString pointText(double longitude, double latitude) {
  return QStringLiteral("POINT(") + formatShortest(longitude) + QLatin1Char(' ') + formatShortest(latitude) +
         QLatin1Char(')');
}

namespace {

// NaN fails both comparisons, so it is never in range.
bool inRange(double longitude, double latitude) { return std::fabs(longitude) <= 180 && std::fabs(latitude) <= 90; }

bool isHexDigit(QChar c) {
  const char16_t u = c.unicode();
  return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// Reads `count` bytes at `offset` as an unsigned integer in the given order;
// nullopt when that runs past the end.
std::optional<std::uint64_t> readUnsigned(const QByteArray &bytes, qsizetype offset, int count, bool littleEndian) {
  if (offset < 0 || offset + count > bytes.size())
    return std::nullopt;
  std::uint64_t v = 0;
  for (int i = 0; i < count; ++i) {
    const auto b = static_cast<std::uint8_t>(bytes[offset + (littleEndian ? count - 1 - i : i)]);
    v = (v << 8) | b;
  }
  return v;
}

std::optional<double> readDouble(const QByteArray &bytes, qsizetype offset, bool littleEndian) {
  const auto bits = readUnsigned(bytes, offset, 8, littleEndian);
  if (!bits)
    return std::nullopt;
  return std::bit_cast<double>(*bits);
}

// The hexadecimal text of an (extended) well-known-binary point.
std::optional<Coordinate> parseHexPoint(const QString &text) {
  if (text.size() < 42 || text.size() % 2 != 0)
    return std::nullopt;
  for (QChar c : text)
    if (!isHexDigit(c))
      return std::nullopt;
  const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
  if (bytes.size() < 21)
    return std::nullopt;
  const bool littleEndian = bytes[0] == 1;
  const auto type = readUnsigned(bytes, 1, 4, littleEndian);
  if (!type)
    return std::nullopt;
  constexpr std::uint64_t sridFlag = 0x20000000;
  const qsizetype offset = (*type & sridFlag) ? 9 : 5;
  const auto x = readDouble(bytes, offset, littleEndian);
  const auto y = readDouble(bytes, offset + 8, littleEndian);
  if (!x || !y || !inRange(*x, *y))
    return std::nullopt;
  return Coordinate{*y, *x};
}

} // namespace

std::optional<Coordinate> parseLocation(const std::optional<QString> &text) {
  if (!text)
    return std::nullopt;
  const QString trimmed = text->trimmed();
  if (trimmed.isEmpty())
    return std::nullopt;
  if (auto point = parseHexPoint(trimmed))
    return point;

  static const QRegularExpression number(QStringLiteral(R"([-+]?\d*\.?\d+(?:[eE][-+]?\d+)?)"));
  double numbers[2];
  int count = 0;
  for (auto it = number.globalMatch(trimmed); it.hasNext() && count < 2;) {
    const QRegularExpressionMatch match = it.next();
    bool ok = false;
    const double value = match.capturedView().toDouble(&ok);
    if (ok)
      numbers[count++] = value;
  }
  if (count < 2 || !inRange(numbers[0], numbers[1]))
    return std::nullopt;
  return Coordinate{numbers[1], numbers[0]};
}

} // namespace varnel
