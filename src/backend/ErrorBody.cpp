#include "backend/ErrorBody.h"

namespace varnel {

std::optional<ErrorBody> ErrorBody::parse(const QByteArray &body) {
  auto json = nlohmann::ordered_json::parse(body.constData(), body.constData() + body.size(), nullptr, false);
  if (!json.is_object())
    return std::nullopt;
  return ErrorBody(std::move(json));
}

bool ErrorBody::has(const char *key) const {
  const auto it = m_json.find(key);
  return it != m_json.end() && !it->is_null();
}

std::optional<QString> ErrorBody::text(const char *key) const {
  const auto it = m_json.find(key);
  if (it == m_json.end() || !it->is_string())
    return std::nullopt;
  return QString::fromStdString(it->get<std::string>());
}

bool ErrorBody::isTextOrAbsent(const char *key) const {
  const auto it = m_json.find(key);
  return it == m_json.end() || it->is_null() || it->is_string();
}

std::optional<QString> ErrorBody::firstText(std::initializer_list<const char *> keys) const {
  for (const char *key : keys) {
    if (auto value = text(key))
      return value;
  }
  return std::nullopt;
}

} // namespace varnel
