#pragma once
// A client on a scripted transport, with helpers for auth replies and bodies.

#include "backend/AuthClient.h"
#include "backend/BackendClient.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"

#include <QDateTime>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace varnel::test {

inline const QString kUserId = QStringLiteral("11111111-2222-4333-8444-555555555555");

inline QByteArray sessionReply(const QString &access, const QString &refresh, double expiresAt,
                               const QString &userId = kUserId, const QString &email = QStringLiteral("ana@x.com")) {
  nlohmann::ordered_json j = {
      {"access_token", access.toStdString()},
      {"token_type", "bearer"},
      {"expires_in", 3600},
      {"expires_at", expiresAt},
      {"refresh_token", refresh.toStdString()},
      {"user", {{"id", userId.toStdString()}, {"email", email.toStdString()}, {"role", "authenticated"}}}};
  return QByteArray::fromStdString(j.dump());
}

// A JWT whose payload carries only "exp"; the signature is not checked here.
inline QString jwtWithExpiry(double exp) {
  const auto part = [](const QByteArray &json) {
    return json.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
  };
  return QString::fromLatin1(part(R"({"alg":"HS256","typ":"JWT"})") + '.' +
                             part(QByteArray::fromStdString(nlohmann::json{{"exp", exp}}.dump())) + ".sig");
}

inline nlohmann::ordered_json bodyOf(const HttpRequest &request) {
  return nlohmann::ordered_json::parse(request.body.value_or("null").toStdString());
}

inline std::vector<std::string> keysOf(const nlohmann::ordered_json &json) {
  std::vector<std::string> keys;
  for (const auto &[key, value] : json.items())
    keys.push_back(key);
  return keys;
}

// The decoded query of a request URL as (name, value) pairs in order.
inline QList<QPair<QString, QString>> queryItems(const HttpRequest &request) {
  return QUrlQuery(QUrl::fromEncoded(request.url).query(QUrl::FullyEncoded)).queryItems(QUrl::FullyDecoded);
}

inline QByteArray pathOf(const HttpRequest &request) {
  const QByteArray url = request.url;
  const qsizetype q = url.indexOf('?');
  return q < 0 ? url : url.left(q);
}

class ScriptedBackend : public ::testing::Test {
protected:
  static constexpr double kNow = 1'750'000'000;
  std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
  BackendClient client{BackendConfig::make(QStringLiteral("https://abcdefgh.supabase.co"), QStringLiteral("anon")),
                       transport};
  double now = kNow;

  void SetUp() override {
    client.auth().setClock([this] { return now; });
  }

  // Signs in on the client (not through a SessionStore) and forgets the request.
  void signInDirectly(const QString &access = QStringLiteral("admin-token"),
                      const QString &refresh = QStringLiteral("admin-refresh"), double expiresAt = kNow + 3600) {
    transport->reply(200, sessionReply(access, refresh, expiresAt));
    await(client.auth().signInWithPassword(QStringLiteral("ana@x.com"), QStringLiteral("pw")));
    transport->clear();
  }
};

} // namespace varnel::test
