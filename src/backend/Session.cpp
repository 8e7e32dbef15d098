#include "backend/Session.h"

#include "base/Errors.h"

#include <QDateTime>

namespace varnel::authcoding {

using Json = nlohmann::ordered_json;

namespace {

[[noreturn]] void fail(const char *key) {
  throw DecodingError(QStringLiteral("Não foi possível ler a sessão: o campo \"%1\" está ausente ou inválido.")
                          .arg(QString::fromUtf8(key)));
}

QString text(const Json &json, const char *key) {
  const auto it = json.find(key);
  if (it == json.end() || !it->is_string())
    fail(key);
  return QString::fromStdString(it->get<std::string>());
}

double number(const Json &json, const char *key) {
  const auto it = json.find(key);
  if (it == json.end() || !it->is_number())
    fail(key);
  return it->get<double>();
}

} // namespace

AuthUser decodeUser(const Json &json) {
  if (!json.is_object())
    fail("user");
  AuthUser user;
  user.id = QUuid::fromString(text(json, "id"));
  if (user.id.isNull())
    fail("id");
  const auto email = json.find("email");
  if (email != json.end() && email->is_string())
    user.email = QString::fromStdString(email->get<std::string>());
  user.raw = json;
  return user;
}

Json encodeUser(const AuthUser &user) {
  Json json = user.raw.is_object() ? user.raw : Json::object();
  json["id"] = user.id.toString(QUuid::WithoutBraces).toStdString();
  if (user.email)
    json["email"] = user.email->toStdString();
  else
    json.erase("email");
  return json;
}

bool isSession(const Json &json) {
  return json.is_object() && json.contains("access_token") && json["access_token"].is_string();
}

Session decodeSession(const Json &json, double nowSeconds) {
  if (!json.is_object())
    fail("access_token");
  Session session;
  session.accessToken = text(json, "access_token");
  session.tokenType = json.contains("token_type") ? text(json, "token_type") : QStringLiteral("bearer");
  session.expiresIn = number(json, "expires_in");
  const auto expiresAt = json.find("expires_at");
  session.expiresAt =
      expiresAt != json.end() && expiresAt->is_number() ? expiresAt->get<double>() : nowSeconds + session.expiresIn;
  session.refreshToken = text(json, "refresh_token");
  const auto user = json.find("user");
  if (user == json.end())
    fail("user");
  session.user = decodeUser(*user);
  return session;
}

Json encodeSession(const Session &session) {
  Json json = Json::object();
  json["access_token"] = session.accessToken.toStdString();
  json["token_type"] = session.tokenType.toStdString();
  json["expires_in"] = session.expiresIn;
  json["expires_at"] = session.expiresAt;
  json["refresh_token"] = session.refreshToken.toStdString();
  json["user"] = encodeUser(session.user);
  return json;
}

} // namespace varnel::authcoding
