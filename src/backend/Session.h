#pragma once
// The signed-in session as the auth service hands it out, and its JSON form
// (snake_case keys, as the auth service writes them).

#include <QString>
#include <QUuid>

#include <nlohmann/json.hpp>

#include <optional>

namespace varnel {

struct AuthUser {
  QUuid id;
  std::optional<QString> email;
  // Every key of the user object as received, "id" and "email" included.
  nlohmann::ordered_json raw = nlohmann::ordered_json::object();

  bool operator==(const AuthUser &) const = default;
};

struct Session {
  QString accessToken;
  QString tokenType;
  double expiresIn = 0;
  double expiresAt = 0; // seconds since 1970
  QString refreshToken;
  AuthUser user;

  bool operator==(const Session &) const = default;
};

namespace authcoding {

// Reads a user object; throws DecodingError when "id" is missing or not a UUID.
AuthUser decodeUser(const nlohmann::ordered_json &json);
nlohmann::ordered_json encodeUser(const AuthUser &user);

// Whether a reply object is a session (it carries an access token).
bool isSession(const nlohmann::ordered_json &json);
// Reads a session object; "expires_at" is derived from "expires_in" and
// nowSeconds when the reply leaves it out. Throws DecodingError.
Session decodeSession(const nlohmann::ordered_json &json, double nowSeconds);
nlohmann::ordered_json encodeSession(const Session &session);

} // namespace authcoding

} // namespace varnel
