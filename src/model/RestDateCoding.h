#pragma once
// Date coding of REST bodies: the three accepted read formats and the one
// write format (UTC, three fraction digits, "Z").

#include <QDateTime>
#include <QString>

#include <optional>
#include <string_view>

namespace varnel::restdate {

// "yyyy-MM-ddTHH:mm:ss.fff…" with Z or a numeric offset.
std::optional<QDateTime> parseWithFraction(std::string_view text);
// "yyyy-MM-ddTHH:mm:ss" with Z or a numeric offset.
std::optional<QDateTime> parseWithoutFraction(std::string_view text);
// "yyyy-MM-dd" at local midnight.
std::optional<QDateTime> parseCalendarDate(std::string_view text);

// Tries the three formats in order; throws DecodingError
// "Formato de data inválido: " + text when none fits.
QDateTime decode(std::string_view text);

// 2025-03-07T14:05:09.250Z
QString encode(const QDateTime &value);
std::string encodeUtf8(const QDateTime &value);

} // namespace varnel::restdate
