#pragma once
// The JSON object that the back-end's services send with an error (and the
// server function with its answer), read in one place: which keys hold text.

#include <QByteArray>
#include <QString>

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <optional>

namespace varnel {

class ErrorBody {
public:
  // Nothing when the body is not a JSON object.
  static std::optional<ErrorBody> parse(const QByteArray &body);

  // The key's text; nothing when it is absent, null or not text.
  std::optional<QString> text(const char *key) const;
  // The key is absent, null or text (not a number, object, ...).
  bool isTextOrAbsent(const char *key) const;
  // The text of the first key that holds text.
  std::optional<QString> firstText(std::initializer_list<const char *> keys) const;
  // The key is present and not null.
  bool has(const char *key) const;
  const nlohmann::ordered_json &json() const { return m_json; }

private:
  explicit ErrorBody(nlohmann::ordered_json json) : m_json(std::move(json)) {}
  nlohmann::ordered_json m_json;
};

} // namespace varnel
