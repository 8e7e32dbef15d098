// The table API against a real server: reads with filters and order,
// writes, single-object replies, paging, row rules and refused input.
#include "HttpSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace varnel::test {
namespace {

// Descriptions of the rows of a reply, in reply order.
std::vector<std::string> descriptions(const Reply &r) {
  std::vector<std::string> out;
  for (const auto &row : r.json())
    out.push_back(row.value("descricao", "<missing>"));
  return out;
}

class RestTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    auto &b = LocalBackend::shared();
    b.reset();
    b.sql("insert into public.classificacao (id, descricao, deleted_at) values "
          "('11111111-1111-1111-1111-111111111111', 'Vacinação', null), "
          "('22222222-2222-2222-2222-222222222222', 'Vacas leiteiras', null), "
          "('33333333-3333-3333-3333-333333333333', 'Aves, \"caipira\" (postura)', null), "
          "('44444444-4444-4444-4444-444444444444', 'Suínos', null), "
          "('55555555-5555-5555-5555-555555555555', 'Arquivada', now())");
  }

  void SetUp() override {
    auto &b = LocalBackend::shared();
    api.signInAs(b.consultantEmail(), b.consultantPassword());
  }

  Api api{LocalBackend::shared()};
};

struct FilterCase {
  const char *name;
  std::string query;
  std::vector<std::string> expected;
};

class RestFilterTest : public RestTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(RestFilterTest, AnswersTheMatchingRowsInOrder) {
  const auto &c = GetParam();
  Reply r = api.get("/rest/v1/classificacao?" + c.query,
                    {{"Accept-Profile", "public"}, {"Content-Type", "application/json"}});
  ASSERT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(descriptions(r), c.expected);
}

const std::string kLive = "deleted_at=is.NULL";
const std::string kByName = "&order=descricao.asc.nullslast";

INSTANTIATE_TEST_SUITE_P(
    Filters, RestFilterTest,
    ::testing::Values(
        FilterCase{"LiveRowsSortedByTheServer",
                   "select=%2A&" + kLive + kByName,
                   {"Aves, \"caipira\" (postura)", "Suínos", "Vacas leiteiras", "Vacinação"}},
        FilterCase{"LowerCaseIsNull",
                   "select=%2A&deleted_at=is.null" + kByName,
                   {"Aves, \"caipira\" (postura)", "Suínos", "Vacas leiteiras", "Vacinação"}},
        FilterCase{"NotIsNullFindsArchived", "select=%2A&deleted_at=not.is.null", {"Arquivada"}},
        FilterCase{"Descending",
                   "select=%2A&" + kLive + "&order=descricao.desc.nullslast",
                   {"Vacinação", "Vacas leiteiras", "Suínos", "Aves, \"caipira\" (postura)"}},
        FilterCase{"EqOnUpperCaseUuid", "select=%2A&id=eq.44444444-4444-4444-4444-444444444444", {"Suínos"}},
        FilterCase{
            "InList",
            "select=%2A&id=in.%2811111111-1111-1111-1111-111111111111%2C44444444-4444-4444-4444-444444444444%29" +
                kByName,
            {"Suínos", "Vacinação"}},
        FilterCase{"InListOfOne", "select=%2A&id=in.%2844444444-4444-4444-4444-444444444444%29", {"Suínos"}},
        FilterCase{"OrIlikeIgnoresCase",
                   "select=%2A&" + kLive + "&or=%28descricao.ilike.%25VAC%25%29" + kByName,
                   {"Vacas leiteiras", "Vacinação"}},
        FilterCase{"OrOfTwoColumns",
                   "select=%2A&or=" + encode("(descricao.ilike.%suí%,id.eq.11111111-1111-1111-1111-111111111111)") +
                       kByName,
                   {"Suínos", "Vacinação"}},
        // A quoted value may hold the filter syntax itself: comma, parentheses
        // and an escaped double quote.
        FilterCase{"QuotedValueWithSyntaxCharacters",
                   "select=%2A&or=" + encode(R"((descricao.ilike."%, \"caipira\" (%"))"),
                   {"Aves, \"caipira\" (postura)"}},
        FilterCase{"AmpersandInValueArrivesIntact", "select=%2A&descricao=eq." + encode("A & B"), {}},
        FilterCase{"SelectListWithBlanksAndQuotes",
                   "select=" + encode("descricao, \"id\"") + "&id=eq.44444444-4444-4444-4444-444444444444",
                   {"Suínos"}},
        FilterCase{
            "LimitAndOffset", "select=%2A&" + kLive + kByName + "&limit=2&offset=1", {"Suínos", "Vacas leiteiras"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RestTest, SelectListReturnsOnlyTheNamedColumns) {
  Reply r = api.get("/rest/v1/classificacao?select=id,descricao&id=eq.44444444-4444-4444-4444-444444444444");
  ASSERT_EQ(r.status, 200) << r.body;
  ASSERT_EQ(r.json().size(), 1u);
  Json row = r.json()[0];
  EXPECT_EQ(row.size(), 2u);
  EXPECT_EQ(row["id"], "44444444-4444-4444-4444-444444444444");
}

TEST_F(RestTest, PagingIsReportedInContentRange) {
  Reply r = api.get("/rest/v1/classificacao?select=%2A&" + kLive + kByName + "&offset=1&limit=2");
  EXPECT_EQ(r.header("Content-Range"), "1-2/*");
  Reply ranged =
      api.get("/rest/v1/classificacao?select=%2A&" + kLive + kByName + "&limit=1", {{"Prefer", "count=exact"}});
  EXPECT_EQ(ranged.status, 206);
  EXPECT_EQ(ranged.header("Content-Range"), "0-0/4");
  EXPECT_EQ(descriptions(ranged), std::vector<std::string>{"Aves, \"caipira\" (postura)"});
}

struct RangeCase {
  const char *name;
  std::string range;
  std::string query; // after the live-rows filter and the order
  bool count;
  int status;
  std::string contentRange;
  std::vector<std::string> expected;
};

class RestRangeTest : public RestTest, public ::testing::WithParamInterface<RangeCase> {};

// A Range header counts rows, as PostgREST's does, and meets limit/offset.
TEST_P(RestRangeTest, SelectsRowsAndReportsThem) {
  const auto &c = GetParam();
  httplib::Headers headers = {{"Range-Unit", "items"}, {"Range", c.range}};
  if (c.count)
    headers.emplace("Prefer", "count=exact");
  Reply r = api.get("/rest/v1/classificacao?select=%2A&" + kLive + kByName + c.query, headers);
  ASSERT_EQ(r.status, c.status) << r.body;
  if (c.status == 416) {
    EXPECT_EQ(r.json()["code"], "PGRST103");
    return;
  }
  EXPECT_EQ(r.header("Content-Range"), c.contentRange);
  EXPECT_EQ(descriptions(r), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RestRangeTest,
    ::testing::Values(
        RangeCase{"FirstTwoCounted", "0-1", "", true, 206, "0-1/4", {"Aves, \"caipira\" (postura)", "Suínos"}},
        RangeCase{"FirstTwoUncounted", "0-1", "", false, 200, "0-1/*", {"Aves, \"caipira\" (postura)", "Suínos"}},
        RangeCase{"OpenEnded", "1-", "", true, 206, "1-3/4", {"Suínos", "Vacas leiteiras", "Vacinação"}},
        RangeCase{"MeetsLimit", "1-3", "&limit=2", true, 206, "1-1/4", {"Suínos"}},
        RangeCase{"MeetsOffset", "0-2", "&offset=2", true, 206, "2-2/4", {"Vacas leiteiras"}},
        // A byte range is no row range: the whole reply, uncut.
        RangeCase{"ByteRangeIgnored",
                  "bytes=0-1",
                  "",
                  true,
                  200,
                  "0-3/4",
                  {"Aves, \"caipira\" (postura)", "Suínos", "Vacas leiteiras", "Vacinação"}},
        RangeCase{"Reversed", "3-1", "", false, 416, "", {}}, RangeCase{"PastTheEnd", "9-12", "", true, 416, "", {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RestTest, BrowsersMayCallFromAnyOrigin) {
  Reply preflight = api.send("OPTIONS", "/rest/v1/classificacao", "",
                             {{"Origin", "http://localhost:3000"},
                              {"Access-Control-Request-Method", "PATCH"},
                              {"Access-Control-Request-Headers", "apikey,authorization,x-client-info,prefer,range"}});
  EXPECT_EQ(preflight.status, 200);
  EXPECT_EQ(preflight.header("Access-Control-Allow-Origin"), "*");
  EXPECT_EQ(preflight.header("Access-Control-Allow-Headers"), "apikey,authorization,x-client-info,prefer,range");
  EXPECT_NE(preflight.header("Access-Control-Allow-Methods").find("PATCH"), std::string::npos);

  Reply read = api.get("/rest/v1/classificacao?select=id&limit=1", {{"Origin", "http://localhost:3000"}});
  EXPECT_EQ(read.status, 200);
  EXPECT_EQ(read.header("Access-Control-Allow-Origin"), "*");
  EXPECT_NE(read.header("Access-Control-Expose-Headers").find("Content-Range"), std::string::npos);
}

TEST_F(RestTest, SingleObjectNeedsExactlyOneRow) {
  const httplib::Headers single = {{"Accept", "application/vnd.pgrst.object+json"}};
  Reply one = api.get("/rest/v1/classificacao?select=%2A&id=eq.44444444-4444-4444-4444-444444444444", single);
  ASSERT_EQ(one.status, 200);
  EXPECT_TRUE(one.json().is_object());
  EXPECT_EQ(one.json()["descricao"], "Suínos");

  for (const std::string query : {"id=eq.99999999-9999-9999-9999-999999999999", "descricao=ilike.Vac*"}) {
    Reply r = api.get("/rest/v1/classificacao?select=%2A&" + query, single);
    EXPECT_EQ(r.status, 406) << query;
    EXPECT_EQ(r.json()["code"], "PGRST116") << query;
    EXPECT_TRUE(r.json()["message"].is_string());
  }
}

TEST_F(RestTest, TimestampsComeBackInUtcWithMicroseconds) {
  Reply created = api.post("/rest/v1/objetivo", {{"id", "ABCDEF00-0000-4000-8000-000000000001"},
                                                 {"descricao", "Com data"},
                                                 {"created_at", "2025-03-07T11:05:09.250-03:00"}});
  ASSERT_EQ(created.status, 201) << created.body;
  Reply r = api.get("/rest/v1/objetivo?select=created_at&id=eq.abcdef00-0000-4000-8000-000000000001");
  EXPECT_EQ(r.json()[0]["created_at"], "2025-03-07T14:05:09.25+00:00");
}

class RestWriteTest : public RestTest {
protected:
  void SetUp() override {
    LocalBackend::shared().sql("truncate public.atendimento_externo, public.cliente");
    RestTest::SetUp();
  }
  const LocalBackend &db = LocalBackend::shared();
};

TEST_F(RestWriteTest, InsertThenDuplicateIdIsAConflict) {
  Json cliente = {{"id", "0F0F0F0F-0000-4000-8000-000000000001"}, {"nome_razao", "Ana Souza"}, {"cpf", "12345678901"}};
  Reply first = api.post("/rest/v1/cliente", cliente, {{"Content-Profile", "public"}});
  EXPECT_EQ(first.status, 201) << first.body;
  EXPECT_TRUE(first.body.empty());

  Reply again = api.post("/rest/v1/cliente", cliente);
  EXPECT_EQ(again.status, 409);
  EXPECT_EQ(again.json()["code"], "23505");
  for (const char *key : {"message", "details", "hint"})
    EXPECT_TRUE(again.json().contains(key)) << key;
  EXPECT_EQ(db.sqlValue("select count(*) from public.cliente"), "1");
}

TEST_F(RestWriteTest, InsertOfAnArrayReturnsTheRowsWhenAsked) {
  Json rows =
      Json::array({{{"nome_razao", "Um"}, {"cidade", "Uberaba"}}, {{"nome_razao", "Dois"}, {"cidade", "Goiânia"}}});
  Reply r = api.post("/rest/v1/cliente?select=nome_razao", rows, {{"Prefer", "return=representation"}});
  ASSERT_EQ(r.status, 201) << r.body;
  EXPECT_EQ(r.json(), Json::parse(R"([{"nome_razao":"Um"},{"nome_razao":"Dois"}])"));

  Reply mismatched = api.post("/rest/v1/cliente", Json::array({{{"nome_razao", "Três"}}, {{"cidade", "X"}}}));
  EXPECT_EQ(mismatched.status, 400);
  EXPECT_EQ(db.sqlValue("select count(*) from public.cliente"), "2");
}

// With a column list the objects of an array may differ: a missing key is a
// null, a key outside the list is left out.
TEST_F(RestWriteTest, InsertWithAColumnListTakesThoseColumnsFromEachObject) {
  Json rows = Json::array({{{"nome_razao", "Um"}, {"cidade", "Uberaba"}}, {{"nome_razao", "Dois"}, {"uf", "GO"}}});
  Reply r = api.post("/rest/v1/cliente?columns=" + encode("\"nome_razao\",\"cidade\"") + "&select=nome_razao,cidade,uf",
                     rows, {{"Prefer", "return=representation"}});
  ASSERT_EQ(r.status, 201) << r.body;
  EXPECT_EQ(r.json(), Json::parse(R"([{"nome_razao":"Um","cidade":"Uberaba","uf":null},
                                        {"nome_razao":"Dois","cidade":null,"uf":null}])"));

  Reply unknown = api.post("/rest/v1/cliente?columns=nome_razao,senha", rows);
  EXPECT_EQ(unknown.status, 400);
  EXPECT_EQ(unknown.json()["code"], "42703");
  EXPECT_EQ(db.sqlValue("select count(*) from public.cliente"), "2");
}

TEST_F(RestWriteTest, UpdateChangesOnlyTheSentColumnsAndReturnsRows) {
  db.sql("insert into public.cliente (id, nome_razao, email) values ('0f0f0f0f-0000-4000-8000-000000000002', 'Velho', "
         "'a@b.c')");
  Reply r = api.patch("/rest/v1/cliente?id=eq.0F0F0F0F-0000-4000-8000-000000000002", {{"nome_razao", "Novo"}},
                      {{"Prefer", "return=representation"}, {"Content-Profile", "public"}});
  ASSERT_EQ(r.status, 200) << r.body;
  ASSERT_EQ(r.json().size(), 1u);
  EXPECT_EQ(r.json()[0]["nome_razao"], "Novo");
  EXPECT_EQ(r.json()[0]["email"], "a@b.c");
  EXPECT_NE(r.json()[0]["updated_at"], r.json()[0]["created_at"]);

  Reply none = api.patch("/rest/v1/cliente?id=eq.0F0F0F0F-0000-4000-8000-0000000000FF", {{"nome_razao", "X"}},
                         {{"Prefer", "return=representation"}});
  EXPECT_EQ(none.status, 200);
  EXPECT_EQ(none.json(), Json::array());
}

TEST_F(RestWriteTest, SingleObjectUpdateOfSeveralRowsChangesNothing) {
  db.sql("insert into public.cliente (nome_razao, cidade) values ('A', 'Uberaba'), ('B', 'Uberaba')");
  Reply r = api.patch("/rest/v1/cliente?cidade=eq.Uberaba", {{"cidade", "Outra"}},
                      {{"Prefer", "return=representation"}, {"Accept", "application/vnd.pgrst.object+json"}});
  EXPECT_EQ(r.status, 406);
  EXPECT_EQ(db.sqlValue("select count(*) from public.cliente where cidade = 'Uberaba'"), "2");
}

TEST_F(RestWriteTest, UnknownColumnInBodyIsRefused) {
  Reply r = api.post("/rest/v1/cliente", {{"nome_razao", "A"}, {"senha", "x"}});
  EXPECT_EQ(r.status, 400);
  EXPECT_EQ(r.json()["code"], "PGRST204");
  EXPECT_EQ(db.sqlValue("select count(*) from public.cliente"), "0");
}

TEST_F(RestWriteTest, LocationColumnsKeepTextAndObjects) {
  db.sql("insert into public.cliente (id, nome_razao) values ('0f0f0f0f-0000-4000-8000-000000000003', 'C')");
  db.sql(
      "insert into public.responsavel_pelo_atendimento (id, nome) values ('0f0f0f0f-0000-4000-8000-000000000004', 'R') "
      "on conflict do nothing");
  Json visit = {{"id", "0F0F0F0F-0000-4000-8000-000000000005"},
                {"cliente_id", "0F0F0F0F-0000-4000-8000-000000000003"},
                {"responsavel_id", "0F0F0F0F-0000-4000-8000-000000000004"},
                {"data_visita", "2025-03-07T11:05:09.250-03:00"},
                {"localizacao", "POINT(-46.6333 -23.5505)"},
                {"geofinalizado", {{"type", "Point"}, {"coordinates", {-46.6, -23.5}}}}};
  ASSERT_EQ(api.post("/rest/v1/atendimento_externo", visit).status, 201);
  Reply r = api.get("/rest/v1/atendimento_externo?select=localizacao,geofinalizado,data_visita");
  ASSERT_EQ(r.json().size(), 1u);
  EXPECT_EQ(r.json()[0]["localizacao"], "POINT(-46.6333 -23.5505)");
  EXPECT_EQ(r.json()[0]["geofinalizado"]["coordinates"][0], -46.6);
  EXPECT_EQ(r.json()[0]["data_visita"], "2025-03-07T14:05:09.25+00:00");
}

TEST_F(RestWriteTest, NobodyCanDeleteARow) {
  db.sql("insert into public.cliente (nome_razao) values ('Fica')");
  Reply signedIn = api.send("DELETE", "/rest/v1/cliente?nome_razao=eq.Fica");
  EXPECT_EQ(signedIn.status, 403);
  EXPECT_EQ(signedIn.json()["code"], "42501");
  api.useToken(db.serviceRoleKey());
  EXPECT_EQ(api.send("DELETE", "/rest/v1/cliente").status, 403);
  api.useAnonKey();
  EXPECT_EQ(api.send("DELETE", "/rest/v1/cliente").status, 401);
  EXPECT_EQ(db.sqlValue("select count(*) from public.cliente"), "1");
}

TEST_F(RestWriteTest, AnonymousCallersSeeAndChangeNothing) {
  db.sql("insert into public.cliente (id, nome_razao) values ('0f0f0f0f-0000-4000-8000-000000000006', 'Privado')");
  api.useAnonKey();
  Reply list = api.get("/rest/v1/cliente?select=%2A");
  EXPECT_EQ(list.status, 200);
  EXPECT_EQ(list.json(), Json::array());

  Reply insert = api.post("/rest/v1/cliente", {{"nome_razao", "Intruso"}});
  EXPECT_EQ(insert.status, 401);
  EXPECT_EQ(insert.json()["code"], "42501");

  api.patch("/rest/v1/cliente?id=eq.0F0F0F0F-0000-4000-8000-000000000006", {{"nome_razao", "Mudado"}});
  EXPECT_EQ(db.sqlValue("select string_agg(nome_razao, ',') from public.cliente"), "Privado");

  Reply image = api.get("/storage/v1/object/atendimento_imagem/qualquer.png");
  EXPECT_EQ(image.status, 404);
}

struct RefusedCase {
  const char *name;
  std::string method;
  std::string path;
  int status;
  std::string code;
};

class RestRefusalTest : public RestTest, public ::testing::WithParamInterface<RefusedCase> {};

// Crafted names and values are answered with an error and change nothing.
TEST_P(RestRefusalTest, IsAnsweredWithAnErrorAndChangesNothing) {
  auto &db = LocalBackend::shared();
  std::string before =
      db.sqlValue("select count(*) || '/' || string_agg(descricao, ',' order by id) from public.classificacao");
  const auto &c = GetParam();
  Reply r = api.send(c.method, c.path, c.method == "PATCH" ? R"({"descricao":"x"})" : "");
  EXPECT_EQ(r.status, c.status) << r.body;
  EXPECT_EQ(r.json()["code"], c.code) << r.body;
  EXPECT_TRUE(r.json()["message"].is_string());
  EXPECT_EQ(db.sqlValue("select count(*) || '/' || string_agg(descricao, ',' order by id) from public.classificacao"),
            before);
  EXPECT_EQ(db.sqlValue("select to_regclass('public.cliente') is not null"), "t");
}

INSTANTIATE_TEST_SUITE_P(
    Injection, RestRefusalTest,
    ::testing::Values(
        RefusedCase{"ColumnNameWithSql", "GET", "/rest/v1/classificacao?" + encode("id;drop table cliente") + "=eq.1",
                    400, "42703"},
        RefusedCase{"QuotedColumnName", "GET",
                    "/rest/v1/classificacao?select=" + encode("\"descricao\" from cliente; --"), 400, "PGRST100"},
        RefusedCase{"SubqueryInSelect", "GET", "/rest/v1/classificacao?select=" + encode("(select 1)"), 400,
                    "PGRST100"},
        RefusedCase{"OrderWithSql", "GET", "/rest/v1/classificacao?order=" + encode("descricao;drop table cliente"),
                    400, "42703"},
        RefusedCase{"OrderModifierWithSql", "GET", "/rest/v1/classificacao?order=" + encode("descricao.asc;delete"),
                    400, "PGRST100"},
        RefusedCase{"OrColumnWithSql", "GET",
                    "/rest/v1/classificacao?or=" + encode("(descricao);drop table cliente;--.eq.1)"), 400, "PGRST100"},
        RefusedCase{"ValueThatBreaksATypedCompare", "PATCH", "/rest/v1/classificacao?id=eq." + encode("1' or '1'='1"),
                    400, "22P02"},
        RefusedCase{"InListWithSql", "PATCH", "/rest/v1/classificacao?id=in." + encode("(1) or true; --)"), 400,
                    "PGRST100"},
        RefusedCase{"UnknownOperator", "GET", "/rest/v1/classificacao?descricao=sql.1", 400, "PGRST100"},
        RefusedCase{"UnknownTable", "GET", "/rest/v1/" + encode("pg_authid"), 404, "PGRST205"},
        RefusedCase{"BadLimit", "GET", "/rest/v1/classificacao?limit=1;drop", 400, "PGRST100"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RestTest, TextValueWithSqlIsOnlyAValue) {
  Reply r =
      api.patch("/rest/v1/classificacao?descricao=eq." + encode("x'; update classificacao set descricao = 'pwned'; --"),
                {{"descricao", "mudou"}}, {{"Prefer", "return=representation"}});
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.json(), Json::array());
  EXPECT_EQ(LocalBackend::shared().sqlValue(
                "select count(*) from public.classificacao where descricao in ('pwned', 'mudou')"),
            "0");
}

TEST(RestCredentials, MissingOrForgedKeysAndTokensAreRefused) {
  auto &b = LocalBackend::shared();
  httplib::Client client("127.0.0.1", b.port());
  auto noKey = client.Get("/rest/v1/cliente");
  ASSERT_TRUE(noKey);
  EXPECT_EQ(noKey->status, 401);
  EXPECT_EQ(Json::parse(noKey->body)["message"], "No API key found in request");

  std::string forged = b.anonKey();
  forged.back() = forged.back() == 'A' ? 'B' : 'A';
  auto badKey = client.Get("/rest/v1/cliente", {{"apikey", forged}});
  EXPECT_EQ(badKey->status, 401);
  EXPECT_EQ(Json::parse(badKey->body)["message"], "Invalid API key");

  auto badToken = client.Get("/rest/v1/cliente", {{"apikey", b.anonKey()}, {"Authorization", "Bearer " + forged}});
  EXPECT_EQ(badToken->status, 401);
  EXPECT_EQ(Json::parse(badToken->body)["code"], "PGRST301");

  // alg "none" with the anon key's claims.
  std::string payload = b.anonKey().substr(b.anonKey().find('.') + 1);
  payload = payload.substr(0, payload.find('.'));
  std::string unsignedToken = "eyJhbGciOiJub25lIiwidHlwIjoiSldUIn0." + payload + ".";
  auto none = client.Get("/rest/v1/cliente", {{"apikey", unsignedToken}});
  EXPECT_EQ(none->status, 401);
}

TEST(RestMaxRows, CapsEveryReplyAndSaysSoInContentRange) {
  LocalBackendOptions options;
  options.maxRows = 3;
  LocalBackend capped(options);
  capped.sql("insert into public.objetivo (descricao) select 'Objetivo ' || i from generate_series(1, 7) i");
  Api api(capped);
  api.signInAs(capped.adminEmail(), capped.adminPassword());

  Reply all = api.get("/rest/v1/objetivo?select=%2A&order=descricao.asc");
  ASSERT_EQ(all.status, 200);
  EXPECT_EQ(all.json().size(), 3u);
  EXPECT_EQ(all.header("Content-Range"), "0-2/*");

  Reply counted = api.get("/rest/v1/objetivo?select=%2A&offset=3", {{"Prefer", "count=exact"}});
  EXPECT_EQ(counted.status, 206);
  EXPECT_EQ(counted.header("Content-Range"), "3-5/7");

  Reply smaller = api.get("/rest/v1/objetivo?select=%2A&limit=2");
  EXPECT_EQ(smaller.json().size(), 2u);
}

} // namespace
} // namespace varnel::test
