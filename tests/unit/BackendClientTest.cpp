#include "backend/BackendClient.h"
#include "backend/RestQuery.h"
#include "base/Errors.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"

#include <gtest/gtest.h>

using namespace varnel;
using test::await;

namespace {

class FixedToken : public AccessTokenSource {
public:
  std::optional<QString> token;
  int asked = 0;
  QCoro::Task<std::optional<QString>> accessTokenForRequest() override {
    ++asked;
    // QCoro 0.8 moves from a non-const lvalue given to co_return: hand it a copy.
    co_return std::optional<QString>(token);
  }
};

class BackendClientTest : public ::testing::Test {
protected:
  std::shared_ptr<test::ScriptedTransport> transport = std::make_shared<test::ScriptedTransport>();
  BackendClient client{BackendConfig::make(QStringLiteral("https://abcdefgh.supabase.co/"), QStringLiteral("anon")),
                       transport};
};

} // namespace

TEST_F(BackendClientTest, DerivesTheEndpointsAndTheStorageKey) {
  const BackendConfig &c = client.config();
  EXPECT_EQ(c.restBase(), QStringLiteral("https://abcdefgh.supabase.co/rest/v1"));
  EXPECT_EQ(c.authBase(), QStringLiteral("https://abcdefgh.supabase.co/auth/v1"));
  EXPECT_EQ(c.storageBase(), QStringLiteral("https://abcdefgh.supabase.co/storage/v1"));
  EXPECT_EQ(c.functionsBase(), QStringLiteral("https://abcdefgh.supabase.co/functions/v1"));
  EXPECT_EQ(c.sessionStorageKey(), QStringLiteral("sb-abcdefgh-auth-token"));
  EXPECT_EQ(BackendConfig::make(QStringLiteral("http://127.0.0.1:54321"), QStringLiteral("k")).sessionStorageKey(),
            QStringLiteral("sb-127-auth-token"));
}

TEST(BackendConfig, AcceptsHttpsAndLoopbackHttpOnly) {
  for (const char *ok : {"https://abcdefgh.supabase.co", "http://127.0.0.1:54321", "http://127.8.0.1",
                         "http://localhost:8000", "http://[::1]:54321", "https://10.0.0.1"})
    EXPECT_FALSE(BackendConfig::urlProblem(QString::fromLatin1(ok))) << ok;
  for (const char *bad : {"http://abcdefgh.supabase.co", "http://192.168.0.10", "ftp://127.0.0.1", "not a url", "",
                          "https://", "http://localhost.example.com"})
    EXPECT_TRUE(BackendConfig::urlProblem(QString::fromLatin1(bad))) << bad;
  EXPECT_THROW(BackendConfig::make(QStringLiteral("http://example.com"), QStringLiteral("k")), std::invalid_argument);
}

TEST_F(BackendClientTest, UsesTheSessionTokenWhenThereIsOne) {
  FixedToken source;
  client.setAccessTokenSource(&source);

  await(client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).execute());
  EXPECT_EQ(transport->last().headers.value("Authorization"), QByteArray("Bearer anon"));

  source.token = QStringLiteral("user-token");
  await(client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).execute());
  EXPECT_EQ(transport->last().headers.value("Authorization"), QByteArray("Bearer user-token"));
  EXPECT_EQ(transport->last().headers.value("Apikey"), QByteArray("anon"));

  transport->reply(200, "img");
  EXPECT_EQ(await(client.download(QStringLiteral("atendimento_imagem"), QStringLiteral("a/b.jpg"))), "img");
  EXPECT_EQ(transport->last().headers.value("Authorization"), QByteArray("Bearer user-token"));
  EXPECT_EQ(source.asked, 3);
}

TEST_F(BackendClientTest, DownloadsByObjectPath) {
  transport->reply(200, QByteArray("\x89PNG\r\n", 6));
  const QByteArray bytes =
      await(client.download(QStringLiteral("atendimento_imagem"), QStringLiteral("visitas/2025/foto 1.jpg")));
  EXPECT_EQ(bytes, QByteArray("\x89PNG\r\n", 6));
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/storage/v1/object/atendimento_imagem/visitas/2025/foto%201.jpg");
  EXPECT_EQ(r.headers.value("Apikey"), QByteArray("anon"));
}

TEST_F(BackendClientTest, DownloadErrorsCarryTheStorageMessage) {
  transport->reply(404, R"({"statusCode":"404","error":"not_found","message":"Object not found"})");
  transport->reply(500, "oops");
  const auto fails = [&]() -> QString {
    try {
      await(client.download(QStringLiteral("atendimento_imagem"), QStringLiteral("x.jpg")));
    } catch (const VarnelError &e) {
      return e.description();
    }
    return {};
  };
  EXPECT_EQ(fails(), QStringLiteral("Object not found"));
  EXPECT_EQ(fails(), QStringLiteral("Status Code: 500 Body: oops"));
}
