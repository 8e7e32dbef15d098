#include "backend/RestQuery.h"
#include "backend/BackendClient.h"
#include "base/Errors.h"
#include "model/Classificacao.h"
#include "model/Cliente.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"

#include <gtest/gtest.h>

using namespace varnel;
using test::await;

namespace {

const QString kKey = QStringLiteral("anon-key");

class RestQueryTest : public ::testing::Test {
protected:
  std::shared_ptr<test::ScriptedTransport> transport = std::make_shared<test::ScriptedTransport>();
  BackendClient client{BackendConfig::make(QStringLiteral("https://abcdefgh.supabase.co"), kKey), transport};

  QByteArray urlOf(RestQuery query) { return query.request().url; }
  QByteArray queryOf(RestQuery query) {
    const QByteArray url = query.request().url;
    const qsizetype q = url.indexOf('?');
    return q < 0 ? QByteArray() : url.mid(q + 1);
  }
};

} // namespace

TEST_F(RestQueryTest, ComposesTheCatalogSearchExactly) {
  transport->reply(200, R"([{"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"Vacinação"}])");
  const auto rows = await(client.from(QStringLiteral("classificacao"))
                              .select(QStringLiteral("*"))
                              .isNull(QStringLiteral("deleted_at"))
                              .orFilter(QStringLiteral("descricao.ilike.%vac%"))
                              .order(QStringLiteral("descricao"), true, false)
                              .executeDecoding<QList<Classificacao>>());
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0].descricao, QStringLiteral("Vacinação"));

  ASSERT_EQ(transport->requests().size(), 1);
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/rest/v1/classificacao?select=%2A&deleted_at=is.NULL&or=%28descricao."
                   "ilike.%25vac%25%29&order=descricao.asc.nullslast");
  EXPECT_EQ(r.headers.value("Accept"), QByteArray("application/json"));
  EXPECT_EQ(r.headers.value("Content-Type"), QByteArray("application/json"));
  EXPECT_EQ(r.headers.value("Accept-Profile"), QByteArray("public"));
  EXPECT_FALSE(r.headers.contains("Content-Profile"));
  EXPECT_FALSE(r.headers.contains("Prefer"));
  EXPECT_EQ(r.headers.value("Apikey"), kKey.toUtf8());
  EXPECT_EQ(r.headers.value("Authorization"), "Bearer " + kKey.toUtf8());
  EXPECT_TRUE(r.headers.contains("X-Client-Info"));
  EXPECT_TRUE(r.headers.contains("X-Supabase-Client-Platform"));
  EXPECT_TRUE(r.headers.contains("X-Supabase-Client-Platform-Version"));
  EXPECT_FALSE(r.body);
}

struct SelectCase {
  const char *columns;
  const char *expected;
};

class SelectColumns : public RestQueryTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(SelectColumns, DropsWhiteSpaceOutsideQuotes) {
  const auto items = client.from(QStringLiteral("t")).select(QString::fromUtf8(GetParam().columns)).queryItems();
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0].first, QStringLiteral("select"));
  EXPECT_EQ(items[0].second, QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Lists, SelectColumns,
                         ::testing::Values(SelectCase{"id, nome_razao,\n    cpf", "id,nome_razao,cpf"},
                                           SelectCase{"\tid ,\r\n nome", "id,nome"},
                                           SelectCase{"id, \"nome com  espaço\", cpf", "id,\"nome com  espaço\",cpf"},
                                           SelectCase{"*", "*"}));

TEST_F(RestQueryTest, FiltersAddItemsInCallOrder) {
  auto q = client.from(QStringLiteral("cliente"));
  q.select(QStringLiteral("id"))
      .eq(QStringLiteral("id"), QStringLiteral("AB"))
      .in(QStringLiteral("id"), {QStringLiteral("A"), QStringLiteral("B")})
      .in(QStringLiteral("x"), {QStringLiteral("A")})
      .order(QStringLiteral("nome"), false)
      .isNull(QStringLiteral("deleted_at"))
      .order(QStringLiteral("cidade"), true, true);
  EXPECT_EQ(queryOf(q), "select=id&id=eq.AB&id=in.%28A%2CB%29&x=in.%28A%29&order=nome.desc.nullslast%2Ccidade.asc."
                        "nullsfirst&deleted_at=is.NULL");
}

struct EncodingCase {
  const char *value;
  const char *encoded;
};

class PercentEncodingOfValues : public RestQueryTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(PercentEncodingOfValues, KeepsOnlyTheUnreservedSet) {
  auto q = client.from(QStringLiteral("t"));
  q.eq(QStringLiteral("c"), QString::fromUtf8(GetParam().value));
  EXPECT_EQ(queryOf(q), QByteArray("c=eq.") + GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(Characters, PercentEncodingOfValues,
                         ::testing::Values(EncodingCase{"a&b,c", "a%26b%2Cc"}, EncodingCase{"a b%c@d", "a%20b%25c%40d"},
                                           EncodingCase{":#[]!$'()*+;=", "%3A%23%5B%5D%21%24%27%28%29%2A%2B%3B%3D"},
                                           EncodingCase{"-._~/?", "-._~/?"},
                                           EncodingCase{"São Paulo", "S%C3%A3o%20Paulo"},
                                           EncodingCase{"\"q\"\\", "%22q%22%5C"}));

TEST_F(RestQueryTest, InsertPostsTheRecordWithoutPrefer) {
  Classificacao c;
  c.id = QUuid(QStringLiteral("6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f"));
  c.descricao = QStringLiteral("Rotina");
  transport->reply(201, "");
  await(client.from(QStringLiteral("classificacao")).insert(c).execute());
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/rest/v1/classificacao");
  EXPECT_EQ(r.body, QByteArray(R"({"id":"6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F","descricao":"Rotina"})"));
  EXPECT_EQ(r.headers.value("Content-Profile"), QByteArray("public"));
  EXPECT_FALSE(r.headers.contains("Accept-Profile"));
  EXPECT_FALSE(r.headers.contains("Prefer"));
  EXPECT_EQ(r.headers.value("Content-Type"), QByteArray("application/json"));
}

TEST_F(RestQueryTest, UpdatePatchesWithReturnRepresentationAndIgnoresTheRows) {
  wire::Json payload = wire::Json::object();
  payload["descricao"] = "Revisão";
  transport->reply(200, "this is not JSON and is never read");
  await(client.from(QStringLiteral("objetivo"))
            .update(payload)
            .eq(QStringLiteral("id"), QStringLiteral("6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F"))
            .execute());
  const HttpRequest &r = transport->last();
  EXPECT_EQ(r.method, "PATCH");
  EXPECT_EQ(r.url, "https://abcdefgh.supabase.co/rest/v1/objetivo?id=eq.6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F");
  EXPECT_EQ(r.headers.value("Prefer"), QByteArray("return=representation"));
  EXPECT_EQ(r.body, QByteArray::fromStdString(R"({"descricao":"Revisão"})"));
}

TEST_F(RestQueryTest, SingleAsksForOneObject) {
  transport->reply(200, R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","nome_razao":"Agro Ltda"})");
  const Cliente c = await(client.from(QStringLiteral("cliente"))
                              .select(QStringLiteral("*"))
                              .eq(QStringLiteral("id"), QStringLiteral("X"))
                              .single()
                              .executeDecoding<Cliente>());
  EXPECT_EQ(c.nomeRazao, QStringLiteral("Agro Ltda"));
  EXPECT_EQ(transport->last().headers.value("Accept"), QByteArray("application/vnd.pgrst.object+json"));
}

struct ErrorCase {
  const char *name;
  int status;
  QByteArray body;
  const char *description;
};

class ErrorReplies : public RestQueryTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorReplies, BecomeTheMatchingError) {
  transport->reply(GetParam().status, GetParam().body);
  try {
    await(client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).executeDecoding<QList<Cliente>>());
    FAIL() << "no error";
  } catch (const VarnelError &e) {
    EXPECT_EQ(e.description(), QString::fromUtf8(GetParam().description));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ErrorReplies,
    ::testing::Values(
        ErrorCase{"BackendMessageOnly", 409,
                  R"({"message":"duplicate key value","code":"23505","details":"Key exists","hint":null})",
                  "duplicate key value"},
        ErrorCase{
            "SingleWithoutRows", 406,
            R"({"code":"PGRST116","details":"The result contains 0 rows","hint":null,"message":"JSON object requested, multiple (or no) rows returned"})",
            "JSON object requested, multiple (or no) rows returned"},
        ErrorCase{"HtmlGateway", 502, "<html><body>Bad Gateway</body></html>",
                  "Status Code: 502 Body: <html><body>Bad Gateway</body></html>"},
        ErrorCase{"ObjectWithoutMessage", 500, R"({"error":"boom"})", R"(Status Code: 500 Body: {"error":"boom"})"},
        ErrorCase{"MessageNotText", 400, R"({"message":7})", R"(Status Code: 400 Body: {"message":7})"},
        ErrorCase{"EmptyBody", 404, "", "Status Code: 404 Body: "},
        ErrorCase{"NotUtf8", 500, QByteArray("\xff\xfe\x00", 3), "Status Code: 500"},
        ErrorCase{"SuccessWithBadDate", 200,
                  R"([{"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","nome_razao":"A","created_at":"07/03/2025"}])",
                  "Formato de data inválido: 07/03/2025"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RestQueryTest, BackendErrorKeepsItsCodeAndStatus) {
  transport->reply(409, R"({"message":"duplicate","code":"23505"})");
  try {
    await(client.from(QStringLiteral("cliente")).insert(wire::Json::object()).execute());
    FAIL();
  } catch (const BackendError &e) {
    EXPECT_EQ(e.status(), 409);
    EXPECT_EQ(e.code(), QStringLiteral("23505"));
  }
}

TEST_F(RestQueryTest, EmptyArrayIsAnEmptyList) {
  transport->reply(200, "[]");
  EXPECT_TRUE(
      await(client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).executeDecoding<QList<Cliente>>())
          .isEmpty());
}

TEST_F(RestQueryTest, TransportErrorsPassUnchanged) {
  transport->failWith(QStringLiteral("Connection refused"));
  try {
    await(client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).execute());
    FAIL();
  } catch (const TransportError &e) {
    EXPECT_EQ(e.description(), QStringLiteral("Connection refused"));
  }
}
