#pragma once
// Declarative JSON coding of the records: each record lists its fields once
// (key, member, required or optional) and decoding, encoding and hashing are
// derived from that list.

#include "base/Errors.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace varnel::wire {

using Json = nlohmann::ordered_json;
using Value = simdjson::dom::element;
using Object = simdjson::dom::object;

// Scalar readers; each throws DecodingError naming the key.
QString readText(Value &value, std::string_view key);
QUuid readUuid(Value &value, std::string_view key);
QDateTime readDate(Value &value, std::string_view key);
// Reads "localizacao"-style values: a GeoJSON point object (written back as
// position text, see LocationText.h) or a text; never fails.
std::optional<QString> readLocation(Value &value);

[[noreturn]] void throwMissing(std::string_view key);
[[noreturn]] void throwNull(std::string_view key);

// Upper-case canonical form, as identifiers are written.
QString uuidText(const QUuid &id);
std::string uuidUtf8(const QUuid &id);
inline std::string utf8(const QString &s) { return s.toStdString(); }

template <class T> struct Scalar;
template <> struct Scalar<QString> {
  static QString read(Value &v, std::string_view key) { return readText(v, key); }
  static Json write(const QString &s) { return utf8(s); }
};
template <> struct Scalar<QUuid> {
  static QUuid read(Value &v, std::string_view key) { return readUuid(v, key); }
  static Json write(const QUuid &id) { return uuidUtf8(id); }
};
template <> struct Scalar<QDateTime> {
  static QDateTime read(Value &v, std::string_view key) { return readDate(v, key); }
  static Json write(const QDateTime &d);
};

template <class T> struct IsOptional : std::false_type {};
template <class T> struct IsOptional<std::optional<T>> : std::true_type {};

// One column of a record. Required unless the member is a std::optional.
template <class R, class T> struct Field {
  std::string_view key;
  T R::*member;
};

// A location column: read from GeoJSON or text, written as text.
template <class R> struct LocationField {
  std::string_view key;
  std::optional<QString> R::*member;
};

template <class R> struct RecordTraits; // specialised next to each record: static constexpr auto fields

namespace detail {

template <class R, class T> bool readField(const Field<R, T> &f, std::string_view key, Value &v, R &r) {
  if (f.key != key)
    return false;
  if constexpr (IsOptional<T>::value) {
    if (v.is_null())
      (r.*f.member).reset();
    else
      r.*f.member = Scalar<typename T::value_type>::read(v, key);
  } else {
    if (v.is_null())
      throwNull(key);
    r.*f.member = Scalar<T>::read(v, key);
  }
  return true;
}

template <class R> bool readField(const LocationField<R> &f, std::string_view key, Value &v, R &r) {
  if (f.key != key)
    return false;
  r.*f.member = readLocation(v);
  return true;
}

template <class R, class T> constexpr bool isRequiredField(const Field<R, T> *) { return !IsOptional<T>::value; }
template <class R> constexpr bool isRequiredField(const LocationField<R> *) { return false; }

template <class R, class T> void writeField(const Field<R, T> &f, const R &r, Json &j) {
  const auto &v = r.*f.member;
  if constexpr (IsOptional<T>::value) {
    if (v)
      j[std::string(f.key)] = Scalar<typename T::value_type>::write(*v);
  } else {
    j[std::string(f.key)] = Scalar<T>::write(v);
  }
}
template <class R> void writeField(const LocationField<R> &f, const R &r, Json &j) {
  if (const auto &v = r.*f.member)
    j[std::string(f.key)] = utf8(*v);
}

inline size_t combine(size_t seed, size_t h) { return seed ^ (h + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2)); }
template <class T> size_t hashValue(const T &v) { return qHash(v); }
template <class T> size_t hashValue(const std::optional<T> &v) { return v ? combine(1, qHash(*v)) : 0; }
template <class R, class T> size_t hashField(const Field<R, T> &f, const R &r) { return hashValue(r.*f.member); }
template <class R> size_t hashField(const LocationField<R> &f, const R &r) { return hashValue(r.*f.member); }

} // namespace detail

// Decodes one JSON object into R; unknown keys are skipped.
template <class R> R decodeObject(Object object) {
  constexpr auto &fields = RecordTraits<R>::fields;
  constexpr size_t count = std::tuple_size_v<std::remove_cvref_t<decltype(fields)>>;
  static_assert(count <= 64);
  R record{};
  std::uint64_t seen = 0;
  for (auto field : object) {
    const std::string_view key = field.key;
    Value value = field.value;
    [&]<size_t... I>(std::index_sequence<I...>) {
      static_cast<void>(
          ((detail::readField(std::get<I>(fields), key, value, record) ? (seen |= (std::uint64_t{1} << I), true)
                                                                       : false) ||
           ...));
    }
    (std::make_index_sequence<count>{});
  }
  [&]<size_t... I>(std::index_sequence<I...>) {
    (([&] {
       if (detail::isRequiredField(&std::get<I>(fields)) && !(seen & (std::uint64_t{1} << I)))
         throwMissing(std::get<I>(fields).key);
     }()),
     ...);
  }
  (std::make_index_sequence<count>{});
  return record;
}

template <class R> Json encodeObject(const R &record) {
  Json j = Json::object();
  std::apply([&](const auto &...f) { (detail::writeField(f, record, j), ...); }, RecordTraits<R>::fields);
  return j;
}

// How a payload writes date columns, when not in the REST date coding.
using DateText = QString (*)(const QDateTime &);

namespace detail {
template <class R> bool isDeclared(std::string_view key) {
  return std::apply([&](const auto &...f) { return ((f.key == key) || ...); }, RecordTraits<R>::fields);
}
// A payload or column list naming a column the record does not declare is a
// programming error; it fails loudly the first time it is used.
template <class R> void requireDeclared(std::initializer_list<std::string_view> keys) {
  for (std::string_view key : keys) {
    if (!isDeclared<R>(key))
      throw std::logic_error("undeclared column " + std::string(key));
  }
}
inline bool listed(std::initializer_list<std::string_view> keys, std::string_view key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}
template <class R, class T> void writeField(const Field<R, T> &f, const R &r, Json &j, DateText dateText) {
  if constexpr (std::is_same_v<T, QDateTime>) {
    if (dateText) {
      j[std::string(f.key)] = utf8(dateText(r.*f.member));
      return;
    }
  } else if constexpr (std::is_same_v<T, std::optional<QDateTime>>) {
    if (dateText) {
      if (const auto &v = r.*f.member)
        j[std::string(f.key)] = utf8(dateText(*v));
      return;
    }
  }
  writeField(f, r, j);
}
template <class R> void writeField(const LocationField<R> &f, const R &r, Json &j, DateText) { writeField(f, r, j); }
} // namespace detail

// A payload: every declared column except `skipped`, in declaration order,
// absent optional values left out so that a write never clears a column.
template <class R>
Json encodeExcept(const R &record, std::initializer_list<std::string_view> skipped, DateText dateText = nullptr) {
  detail::requireDeclared<R>(skipped);
  Json j = Json::object();
  std::apply(
      [&](const auto &...f) {
        ((detail::listed(skipped, f.key) ? void() : detail::writeField(f, record, j, dateText)), ...);
      },
      RecordTraits<R>::fields);
  return j;
}

// The declared columns joined by separator (a select list); with `only`,
// just those, still in declaration order.
template <class R> QString columnList(QStringView separator, std::initializer_list<std::string_view> only = {}) {
  detail::requireDeclared<R>(only);
  QStringList columns;
  std::apply(
      [&](const auto &...f) {
        ((only.size() == 0 || detail::listed(only, f.key)
              ? columns.push_back(QString::fromUtf8(f.key.data(), static_cast<qsizetype>(f.key.size())))
              : void()),
         ...);
      },
      RecordTraits<R>::fields);
  return columns.join(separator);
}

template <class R> size_t hashRecord(const R &record, size_t seed) {
  std::apply([&](const auto &...f) { ((seed = detail::combine(seed, detail::hashField(f, record))), ...); },
             RecordTraits<R>::fields);
  return seed;
}

// Whole reply bodies. Both throw DecodingError for malformed JSON or rows.
template <class R> QList<R> decodeList(const QByteArray &body);
template <class R> R decodeSingle(const QByteArray &body);

namespace detail {
[[noreturn]] void throwShape(const char *expected);
// Runs `read` over the parsed document, turning parser failures into DecodingError.
void parseDocument(const QByteArray &body, const std::function<void(simdjson::dom::element)> &read);
} // namespace detail

template <class R> QList<R> decodeList(const QByteArray &body) {
  QList<R> out;
  detail::parseDocument(body, [&](simdjson::dom::element doc) {
    simdjson::dom::array rows;
    if (doc.get_array().get(rows) != simdjson::SUCCESS)
      detail::throwShape("uma lista");
    out.reserve(static_cast<qsizetype>(rows.size()));
    for (simdjson::dom::element row : rows) {
      simdjson::dom::object object;
      if (row.get_object().get(object) != simdjson::SUCCESS)
        detail::throwShape("uma lista de objetos");
      out.push_back(decodeObject<R>(object));
    }
  });
  return out;
}

template <class R> R decodeSingle(const QByteArray &body) {
  std::optional<R> out;
  detail::parseDocument(body, [&](simdjson::dom::element doc) {
    simdjson::dom::object object;
    if (doc.get_object().get(object) != simdjson::SUCCESS)
      detail::throwShape("um objeto");
    out = decodeObject<R>(object);
  });
  return std::move(*out);
}

} // namespace varnel::wire
