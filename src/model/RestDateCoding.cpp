#include "model/RestDateCoding.h"

#include "base/Errors.h"

#include <QTimeZone>

#include <cstdio>

namespace varnel::restdate {

namespace {

// Reads exactly `count` decimal digits at `pos`.
bool digits(std::string_view s, size_t pos, size_t count, int &out) {
  if (pos + count > s.size())
    return false;
  int v = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = s[pos + i];
    if (c < '0' || c > '9')
      return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
qint64 daysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const qint64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<qint64>(doe) - 719468;
}

bool readCalendar(std::string_view s, int &y, int &m, int &d) {
  if (!digits(s, 0, 4, y) || s.size() < 10 || s[4] != '-' || !digits(s, 5, 2, m) || s[7] != '-' || !digits(s, 8, 2, d))
    return false;
  return m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
}

std::optional<QDateTime> parseInternet(std::string_view s, bool fraction) {
  int y, mo, d, h, mi, sec;
  if (!readCalendar(s, y, mo, d))
    return std::nullopt;
  if (s.size() < 19 || s[10] != 'T' || !digits(s, 11, 2, h) || s[13] != ':' || !digits(s, 14, 2, mi) || s[16] != ':' ||
      !digits(s, 17, 2, sec))
    return std::nullopt;
  if (h > 23 || mi > 59 || sec > 59)
    return std::nullopt;
  size_t pos = 19;
  int millis = 0;
  if (fraction) {
    if (pos >= s.size() || s[pos] != '.')
      return std::nullopt;
    ++pos;
    const size_t start = pos;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
      if (pos - start < 3)
        millis = millis * 10 + (s[pos] - '0');
      ++pos;
    }
    const size_t count = pos - start;
    if (count == 0)
      return std::nullopt;
    for (size_t i = count; i < 3; ++i)
      millis *= 10;
  }
  if (pos >= s.size())
    return std::nullopt;
  int offsetSeconds = 0;
  if (s[pos] == 'Z') {
    ++pos;
  } else if (s[pos] == '+' || s[pos] == '-') {
    const int sign = s[pos] == '-' ? -1 : 1;
    int oh = 0, om = 0;
    if (!digits(s, pos + 1, 2, oh))
      return std::nullopt;
    pos += 3;
    if (pos < s.size() && s[pos] == ':') {
      if (!digits(s, pos + 1, 2, om))
        return std::nullopt;
      pos += 3;
    } else if (pos < s.size()) {
      if (!digits(s, pos, 2, om))
        return std::nullopt;
      pos += 2;
    }
    if (oh > 23 || om > 59)
      return std::nullopt;
    offsetSeconds = sign * (oh * 3600 + om * 60);
  } else {
    return std::nullopt;
  }
  if (pos != s.size())
    return std::nullopt;
  const qint64 secs =
      qint64{daysFromCivil(y, mo, d)} * 86400 + qint64{h} * 3600 + qint64{mi} * 60 + sec - offsetSeconds;
  return QDateTime::fromMSecsSinceEpoch(secs * 1000 + millis, Qt::UTC);
}

} // namespace

std::optional<QDateTime> parseWithFraction(std::string_view text) { return parseInternet(text, true); }

std::optional<QDateTime> parseWithoutFraction(std::string_view text) { return parseInternet(text, false); }

std::optional<QDateTime> parseCalendarDate(std::string_view text) {
  int y, m, d;
  if (text.size() != 10 || !readCalendar(text, y, m, d))
    return std::nullopt;
  return QDateTime(QDate(y, m, d), QTime(0, 0), Qt::LocalTime);
}

QDateTime decode(std::string_view text) {
  if (auto v = parseWithFraction(text))
    return *v;
  if (auto v = parseWithoutFraction(text))
    return *v;
  if (auto v = parseCalendarDate(text))
    return *v;
  throw DecodingError(QStringLiteral("Formato de data inválido: ") +
                      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::string encodeUtf8(const QDateTime &value) {
  const QDateTime utc = value.toUTC();
  const QDate date = utc.date();
  const QTime time = utc.time();
  char buf[40];
  const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", date.year(), date.month(),
                              date.day(), time.hour(), time.minute(), time.second(), time.msec());
  return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

QString encode(const QDateTime &value) { return QString::fromStdString(encodeUtf8(value)); }

} // namespace varnel::restdate
