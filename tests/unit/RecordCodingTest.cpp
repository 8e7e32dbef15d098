#include "base/Errors.h"
#include "model/AtendimentoExterno.h"
#include "model/Classificacao.h"
#include "model/Cliente.h"
#include "model/LocationText.h"
#include "model/Objetivo.h"
#include "model/Profile.h"
#include "model/ResponsavelPeloAtendimento.h"

#include <gtest/gtest.h>

using namespace varnel;

namespace {

const char *kVisitId = "6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f";

// A minimal valid visit row with `extra` spliced in after the required keys.
QByteArray visitRow(const std::string &extra) {
  std::string row =
      std::string(R"({"id":")") + kVisitId +
      R"(","cliente_id":"11111111-2222-4333-8444-555555555555",)"
      R"("responsavel_id":"AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE","data_visita":"2025-03-07T14:05:09.123456+00:00")";
  if (!extra.empty())
    row += "," + extra;
  row += "}";
  return QByteArray::fromStdString(row);
}

AtendimentoExterno decodeVisit(const std::string &extra) {
  return wire::decodeSingle<AtendimentoExterno>(visitRow(extra));
}

QString descriptionOf(const std::function<void()> &f) {
  try {
    f();
  } catch (const VarnelError &e) {
    return e.description();
  }
  return QStringLiteral("<no error>");
}

} // namespace

struct LocationCase {
  const char *name;
  std::string json; // the "localizacao" member, or "" for none
  std::optional<QString> expected;
};

class LocationDecoding : public ::testing::TestWithParam<LocationCase> {};

TEST_P(LocationDecoding, ReadsGeoJsonOrTextAndNeverFails) {
  const auto &c = GetParam();
  const AtendimentoExterno visit = decodeVisit(c.json);
  EXPECT_EQ(visit.localizacao, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LocationDecoding,
    ::testing::Values(
        LocationCase{"GeoJsonPoint", R"("localizacao":{"type":"Point","coordinates":[-46.6333,-23.5505]})",
                     QStringLiteral("POINT(-46.6333 -23.5505)")},
        LocationCase{"TextKept", R"j("localizacao":"POINT(-46.6 -23.5)")j", QStringLiteral("POINT(-46.6 -23.5)")},
        LocationCase{"WkbHexTextKept", R"("localizacao":"0101000020E6100000")", QStringLiteral("0101000020E6100000")},
        LocationCase{"OneCoordinate", R"("localizacao":{"type":"Point","coordinates":[-46.6]})", std::nullopt},
        LocationCase{"Number", R"("localizacao":5)", std::nullopt},
        LocationCase{"Null", R"("localizacao":null)", std::nullopt}, LocationCase{"Missing", "", std::nullopt},
        LocationCase{"CoordinatesNull", R"("localizacao":{"type":"Point","coordinates":null})", std::nullopt},
        LocationCase{"CoordinatesNotNumbers", R"("localizacao":{"coordinates":["a","b"]})", std::nullopt},
        LocationCase{"ThreeCoordinates", R"("localizacao":{"coordinates":[1.5,2.5,800]})",
                     QStringLiteral("POINT(1.5 2.5)")},
        LocationCase{"WholeNumbers", R"("localizacao":{"coordinates":[-47,-23]})",
                     QStringLiteral("POINT(-47.0 -23.0)")},
        LocationCase{"Tiny", R"("localizacao":{"coordinates":[0.00005,-0.0001]})",
                     QStringLiteral("POINT(5e-05 -0.0001)")},
        LocationCase{"ArrayIsNotAPoint", R"("localizacao":[-46.6,-23.5])", std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LocationDecoding, GeofinalizadoFollowsTheSameRulesAndEncodesAsText) {
  const AtendimentoExterno visit =
      decodeVisit(R"("geofinalizado":{"type":"Point","coordinates":[-46.633308,-23.55]},"localizacao":5)");
  EXPECT_EQ(visit.geofinalizado, QStringLiteral("POINT(-46.633308 -23.55)"));
  EXPECT_FALSE(visit.localizacao);
  const wire::Json json = wire::encodeObject(visit);
  EXPECT_EQ(json.at("geofinalizado"), "POINT(-46.633308 -23.55)");
  EXPECT_FALSE(json.contains("localizacao"));
}

struct NumberCase {
  double value;
  const char *text;
};

class ShortestNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ShortestNumber, Formats) { EXPECT_EQ(varnel::formatShortest(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Values, ShortestNumber,
                         ::testing::Values(NumberCase{-46.633308, "-46.633308"}, NumberCase{-47, "-47.0"},
                                           NumberCase{0, "0.0"}, NumberCase{5e-05, "5e-05"},
                                           NumberCase{1.25e-07, "1.25e-07"}, NumberCase{0.0001, "0.0001"},
                                           NumberCase{0.1, "0.1"}, NumberCase{-23.5505, "-23.5505"},
                                           NumberCase{180, "180.0"}, NumberCase{1e16, "1e+16"}));

TEST(RecordDecoding, RequiredFieldsMustBePresentAndNotNull) {
  // data_visita missing
  EXPECT_THROW(
      wire::decodeSingle<AtendimentoExterno>(QByteArray(
          R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","cliente_id":"11111111-2222-4333-8444-555555555555","responsavel_id":"11111111-2222-4333-8444-555555555555"})")),
      DecodingError);
  // data_visita null
  EXPECT_THROW(
      wire::decodeSingle<AtendimentoExterno>(QByteArray(
          R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","cliente_id":"11111111-2222-4333-8444-555555555555","responsavel_id":"11111111-2222-4333-8444-555555555555","data_visita":null})")),
      DecodingError);
  const AtendimentoExterno visit = decodeVisit("");
  EXPECT_FALSE(visit.dataRelatorio);
  EXPECT_EQ(visit.dataVisita, QDateTime::fromString(QStringLiteral("2025-03-07T14:05:09.123Z"), Qt::ISODateWithMs));
}

TEST(RecordDecoding, OneBadRowFailsTheWholeList) {
  const QByteArray body = R"([{"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"Vacinação"},
                             {"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e50"}])";
  EXPECT_EQ(descriptionOf([&] { wire::decodeList<Classificacao>(body); }),
            QStringLiteral("Não foi possível ler os dados: o campo \"descricao\" está ausente."));
}

TEST(RecordDecoding, NullAndMissingOptionalsAreBothAbsent) {
  const auto withNull = wire::decodeSingle<Cliente>(
      R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","nome_razao":"Fazenda São João","nome_fantasia":null})");
  const auto without =
      wire::decodeSingle<Cliente>(R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","nome_razao":"Fazenda São João"})");
  EXPECT_FALSE(withNull.nomeFantasia);
  EXPECT_EQ(withNull, without);
  EXPECT_EQ(withNull.nomeRazao, QStringLiteral("Fazenda São João"));
}

TEST(RecordDecoding, IdentifiersReadInEitherCaseAndWriteUpperCase) {
  const auto lower =
      wire::decodeSingle<ResponsavelPeloAtendimento>(R"({"id":"aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee","nome":"Ana"})");
  const auto upper =
      wire::decodeSingle<ResponsavelPeloAtendimento>(R"({"id":"AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE","nome":"Ana"})");
  EXPECT_EQ(lower, upper);
  EXPECT_EQ(wire::encodeObject(lower).at("id"), "AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE");
}

TEST(RecordDecoding, WrongTypesAndBadValuesFail) {
  for (const char *body : {
           R"({"id":"not-a-uuid","descricao":"x"})",
           R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":5})",
           R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"x","created_at":17})",
           R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"x","created_at":"07/03/2025"})",
           R"([{"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"x"}])",
           R"({"id":"6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f","descricao":"x")",
           "",
       }) {
    EXPECT_THROW(wire::decodeSingle<Objetivo>(QByteArray(body)), DecodingError) << body;
  }
  EXPECT_THROW(wire::decodeList<Objetivo>(QByteArray("{}")), DecodingError);
  EXPECT_TRUE(wire::decodeList<Objetivo>(QByteArray("[]")).isEmpty());
}

TEST(RecordEquality, CoversEveryField) {
  Classificacao a;
  a.id = QUuid::createUuid();
  a.descricao = QStringLiteral("Rotina");
  Classificacao b = a;
  EXPECT_EQ(a, b);
  EXPECT_EQ(qHash(a), qHash(b));
  b.descricao = QStringLiteral("Emergência");
  EXPECT_NE(a, b);
  EXPECT_NE(qHash(a), qHash(b));
  b = a;
  b.deletedAt = QDateTime::currentDateTimeUtc();
  EXPECT_NE(a, b);

  AtendimentoExterno v = AtendimentoExterno::create(QUuid::createUuid(), QUuid::createUuid());
  AtendimentoExterno w = v;
  w.imagensObservacoes = QString();
  EXPECT_NE(v, w) << "an empty text is not an absent one";
  QSet<AtendimentoExterno> set{v, w, v};
  EXPECT_EQ(set.size(), 2);
}

TEST(RecordEncoding, LeavesAbsentFieldsOut) {
  Profile p;
  p.userId = QUuid(QStringLiteral("6f1c2d3e-4b5a-4c6d-8e9f-0a1b2c3d4e5f"));
  EXPECT_EQ(wire::encodeObject(p).dump(), R"({"user_id":"6F1C2D3E-4B5A-4C6D-8E9F-0A1B2C3D4E5F"})");
}

TEST(RecordEncoding, RoundTripsEveryVisitField) {
  const AtendimentoExterno visit = decodeVisit(
      R"("data_relatorio":"2025-03-08","datahorafinalizandoatendimento":"2025-03-07T15:00:00Z",)"
      R"("objetivo_id":"11111111-2222-4333-8444-555555555555","objetivo_outros":"Outro",)"
      R"("classificacao_id":"11111111-2222-4333-8444-555555555556","relatorio":"Relatório com acentuação: ç, ã, é",)"
      R"j("participantes":"João; Maria","localizacao":"POINT(1.0 2.0)","geofinalizado":"POINT(3.0 4.0)",)j"
      R"("imagem_1_path":"a.jpg","imagem_2_path":"b.jpg","imagem_3_path":"c.jpg","imagem_4_path":"d.jpg",)"
      R"("imagens_observacoes":"obs","created_at":"2025-03-07T14:05:09Z","updated_at":"2025-03-07T14:05:09.5Z",)"
      R"("deleted_at":"2025-03-09T00:00:00-03:00","extra_column":{"ignored":[1,2,3]})");
  const wire::Json json = wire::encodeObject(visit);
  EXPECT_EQ(json.size(), 21u);
  EXPECT_EQ(json.at("updated_at"), "2025-03-07T14:05:09.500Z");
  EXPECT_EQ(json.at("deleted_at"), "2025-03-09T03:00:00.000Z");
  const auto again = wire::decodeSingle<AtendimentoExterno>(QByteArray::fromStdString(json.dump()));
  EXPECT_EQ(again, visit);
}

TEST(RecordDerived, ImagePathsAreTrimmedAndSkipBlanks) {
  AtendimentoExterno v = AtendimentoExterno::create(QUuid::createUuid(), QUuid::createUuid());
  v.imagem1Path = QStringLiteral("  a.jpg \n");
  v.imagem3Path = QString();
  v.imagem4Path = QStringLiteral("b.jpg");
  EXPECT_EQ(v.imagePaths(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
  v.imagem2Path = QStringLiteral(" \t\r\n");
  EXPECT_EQ(v.imagePaths().size(), 2);
}

TEST(RecordDerived, NewVisitHasFreshIdAndNothingOptional) {
  const QUuid cliente = QUuid::createUuid(), responsavel = QUuid::createUuid();
  const auto before = QDateTime::currentDateTime();
  const AtendimentoExterno a = AtendimentoExterno::create(cliente, responsavel);
  const AtendimentoExterno b = AtendimentoExterno::create(cliente, responsavel);
  EXPECT_NE(a.id, b.id);
  EXPECT_EQ(a.clienteId, cliente);
  EXPECT_GE(a.dataVisita, before);
  EXPECT_EQ(wire::encodeObject(a).size(), 4u);
}

// Payloads and select lists come from the records' declared columns.
TEST(DeclaredColumns, PayloadsAndSelectListsFollowTheDeclarations) {
  Cliente c;
  c.id = QUuid::fromString(QStringLiteral("{0f8fad5b-d9cb-469f-a165-70867728950e}"));
  c.nomeRazao = QStringLiteral("Fazenda São João");
  c.cidade = QStringLiteral("Campinas");
  c.createdAt = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
  EXPECT_EQ(wire::encodeExcept(c, {"created_at", "updated_at", "deleted_at"}).dump(),
            R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","nome_razao":"Fazenda São João","cidade":"Campinas"})");
  EXPECT_EQ(wire::columnList<Cliente>(u",", {"deleted_at", "id"}), QStringLiteral("id,deleted_at"));
  EXPECT_TRUE(wire::columnList<Cliente>(u", ").startsWith(QStringLiteral("id, nome_razao, nome_fantasia, cpf")));
  // A column the record does not declare is a programming error, caught at once.
  EXPECT_THROW(wire::encodeExcept(c, {"nome"}), std::logic_error);
  EXPECT_THROW(wire::columnList<Cliente>(u",", {"razao"}), std::logic_error);
}
