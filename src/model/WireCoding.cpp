#include "model/WireCoding.h"

#include "model/LocationText.h"
#include "model/RestDateCoding.h"

namespace varnel::wire {

namespace {
QString keyText(std::string_view key) { return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())); }
} // namespace

[[noreturn]] void throwMissing(std::string_view key) {
  throw DecodingError(QStringLiteral("Não foi possível ler os dados: o campo \"%1\" está ausente.").arg(keyText(key)));
}

[[noreturn]] void throwNull(std::string_view key) {
  throw DecodingError(QStringLiteral("Não foi possível ler os dados: o campo \"%1\" está vazio.").arg(keyText(key)));
}

[[noreturn]] static void throwType(std::string_view key) {
  throw DecodingError(
      QStringLiteral("Não foi possível ler os dados: o campo \"%1\" tem um tipo inesperado.").arg(keyText(key)));
}

static std::string_view readString(Value &value, std::string_view key) {
  std::string_view s;
  if (value.get_string().get(s) != simdjson::SUCCESS)
    throwType(key);
  return s;
}

QString readText(Value &value, std::string_view key) {
  const std::string_view s = readString(value, key);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QUuid readUuid(Value &value, std::string_view key) {
  const std::string_view s = readString(value, key);
  const QUuid id = s.size() == 36 ? QUuid::fromString(QLatin1StringView(s.data(), 36)) : QUuid();
  if (id.isNull() && s != "00000000-0000-0000-0000-000000000000")
    throw DecodingError(QStringLiteral("Não foi possível ler os dados: o campo \"%1\" não é um identificador válido.")
                            .arg(keyText(key)));
  return id;
}

QDateTime readDate(Value &value, std::string_view key) { return restdate::decode(readString(value, key)); }

std::optional<QString> readLocation(Value &value) {
  using simdjson::dom::element_type;
  if (value.type() == element_type::STRING) {
    std::string_view s;
    if (value.get_string().get(s) != simdjson::SUCCESS)
      return std::nullopt;
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  }
  if (value.type() != element_type::OBJECT)
    return std::nullopt;

  // A GeoJSON point: "coordinates" lists longitude, then latitude. Anything
  // that is not a list of numbers gives no position rather than an error.
  simdjson::dom::element coords;
  if (value.at_key("coordinates").get(coords) != simdjson::SUCCESS)
    return std::nullopt;
  simdjson::dom::array array;
  if (coords.get_array().get(array) != simdjson::SUCCESS)
    return std::nullopt;
  double numbers[2] = {0, 0};
  size_t count = 0;
  for (simdjson::dom::element item : array) {
    double d;
    if (!item.is_number() || item.get_double().get(d) != simdjson::SUCCESS)
      return std::nullopt;
    if (count < 2)
      numbers[count] = d;
    ++count;
  }
  if (count < 2)
    return std::nullopt;
  return pointText(numbers[0], numbers[1]);
}

QString uuidText(const QUuid &id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

std::string uuidUtf8(const QUuid &id) { return id.toByteArray(QUuid::WithoutBraces).toUpper().toStdString(); }

Json Scalar<QDateTime>::write(const QDateTime &d) { return restdate::encodeUtf8(d); }

void detail::throwShape(const char *expected) {
  throw DecodingError(
      QStringLiteral("Não foi possível ler os dados: a resposta não é %1.").arg(QString::fromUtf8(expected)));
}

void detail::parseDocument(const QByteArray &body, const std::function<void(simdjson::dom::element)> &read) {
  // The parser keeps its buffers between replies; a list screen reloads often.
  thread_local simdjson::dom::parser parser;
  simdjson::dom::element doc;
  simdjson::error_code error;
  if (body.capacity() - body.size() > static_cast<qsizetype>(simdjson::SIMDJSON_PADDING)) {
    error = parser.parse(body.constData(), static_cast<size_t>(body.size()), false).get(doc);
  } else {
    error = parser.parse(body.constData(), static_cast<size_t>(body.size()), true).get(doc);
  }
  if (error != simdjson::SUCCESS)
    throw DecodingError(
        QStringLiteral("Não foi possível ler os dados: %1.").arg(QString::fromUtf8(simdjson::error_message(error))));
  read(doc);
}

} // namespace varnel::wire
