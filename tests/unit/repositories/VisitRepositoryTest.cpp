#include "TestBackend.h"

#include "repositories/AtendimentoExternoRepository.h"
#include "repositories/RepositorySupport.h"

#include <QRegularExpression>

#include <cstdlib>
#include <ctime>

using namespace varnel;
using namespace varnel::test;

namespace {

const QString kColumns =
    QStringLiteral("id,cliente_id,responsavel_id,data_visita,data_relatorio,datahorafinalizandoatendimento,objetivo_id,"
                   "objetivo_outros,classificacao_id,relatorio,participantes,localizacao,geofinalizado,imagem_1_path,"
                   "imagem_2_path,imagem_3_path,imagem_4_path,imagens_observacoes,created_at,updated_at,deleted_at");

// São Paulo has kept -03:00 all year since 2019.
class VisitRepositoryTest : public ScriptedBackend {
protected:
  void SetUp() override {
    ScriptedBackend::SetUp();
    const char *tz = std::getenv("TZ");
    m_oldTz = tz ? std::optional<std::string>(tz) : std::nullopt;
    setenv("TZ", "America/Sao_Paulo", 1);
    tzset();
  }
  void TearDown() override {
    if (m_oldTz)
      setenv("TZ", m_oldTz->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

  AtendimentoExternoRepository repo{client};
  std::optional<std::string> m_oldTz;

  static AtendimentoExterno visit() {
    AtendimentoExterno v;
    v.id = QUuid::fromString(QStringLiteral("aaaaaaaa-0000-4000-8000-000000000001"));
    v.clienteId = QUuid::fromString(QStringLiteral("aaaaaaaa-0000-4000-8000-000000000002"));
    v.responsavelId = QUuid::fromString(QStringLiteral("aaaaaaaa-0000-4000-8000-000000000003"));
    // 01:30 UTC on the 8th is still the evening of the 7th in São Paulo.
    v.dataVisita = QDateTime(QDate(2025, 3, 8), QTime(1, 30, 0, 250), Qt::UTC);
    v.relatorio = QStringLiteral("ok");
    v.localizacao = QStringLiteral("POINT(-46.6 -23.5)");
    v.geofinalizado = QStringLiteral("POINT(-46.7 -23.6)");
    v.imagem1Path = QStringLiteral("a/1.jpg");
    return v;
  }
};

} // namespace

TEST_F(VisitRepositoryTest, ListAndFetchAskForUnarchivedRows) {
  await(repo.list());
  const QList<QPair<QString, QString>> listItems = {
      {"select", kColumns}, {"deleted_at", "is.NULL"}, {"order", "data_visita.desc.nullslast"}};
  EXPECT_EQ(queryItems(transport->last()), listItems);
  EXPECT_EQ(pathOf(transport->last()), "https://abcdefgh.supabase.co/rest/v1/atendimento_externo");

  transport->reply(200,
                   R"({"id":"aaaaaaaa-0000-4000-8000-000000000001","cliente_id":"aaaaaaaa-0000-4000-8000-000000000002",
    "responsavel_id":"aaaaaaaa-0000-4000-8000-000000000003","data_visita":"2025-03-07T22:30:00.25-03:00"})");
  const AtendimentoExterno fetched = await(repo.fetch(visit().id));
  const QList<QPair<QString, QString>> fetchItems = {
      {"select", kColumns}, {"id", "eq.AAAAAAAA-0000-4000-8000-000000000001"}, {"deleted_at", "is.NULL"}};
  EXPECT_EQ(queryItems(transport->last()), fetchItems);
  EXPECT_EQ(transport->last().headers.value("Accept"), "application/vnd.pgrst.object+json");
  EXPECT_EQ(fetched.dataVisita, visit().dataVisita);
}

TEST_F(VisitRepositoryTest, CreateSendsLocalTimesAndTheGivenPositions) {
  AtendimentoExterno v = visit();
  v.dataHoraFinalizandoAtendimento = QDateTime(QDate(2025, 7, 1), QTime(12, 0), Qt::UTC);
  await(repo.create(v, QUuid::fromString(kUserId), std::nullopt, QStringLiteral("POINT(1 2)")));
  const auto body = bodyOf(transport->last());
  EXPECT_EQ(transport->last().method, "POST");
  EXPECT_EQ(keysOf(body), (std::vector<std::string>{"id", "user_id", "cliente_id", "responsavel_id", "data_visita",
                                                    "datahorafinalizandoatendimento", "relatorio", "geofinalizado",
                                                    "imagem_1_path"}));
  EXPECT_EQ(body["id"], "AAAAAAAA-0000-4000-8000-000000000001");
  EXPECT_EQ(body["user_id"], kUserId.toUpper().toStdString());
  EXPECT_EQ(body["data_visita"], "2025-03-07T22:30:00.250-03:00");
  EXPECT_EQ(body["datahorafinalizandoatendimento"], "2025-07-01T09:00:00.000-03:00");
  // The positions are the arguments, not the visit's own fields.
  EXPECT_EQ(body["geofinalizado"], "POINT(1 2)");
  EXPECT_FALSE(body.contains("localizacao"));
}

TEST_F(VisitRepositoryTest, UpdateNeverCarriesIdentityOwnerOrStartPosition) {
  AtendimentoExterno v = visit();
  v.imagem2Path.reset();
  v.objetivoId = QUuid::fromString(QStringLiteral("aaaaaaaa-0000-4000-8000-000000000004"));
  await(repo.update(v));
  EXPECT_EQ(transport->last().method, "PATCH");
  EXPECT_EQ(queryItems(transport->last()),
            (QList<QPair<QString, QString>>{{"id", "eq.AAAAAAAA-0000-4000-8000-000000000001"}}));
  const auto body = bodyOf(transport->last());
  EXPECT_EQ(keysOf(body), (std::vector<std::string>{"cliente_id", "responsavel_id", "data_visita", "objetivo_id",
                                                    "relatorio", "geofinalizado", "imagem_1_path"}));
  EXPECT_EQ(body["geofinalizado"], "POINT(-46.7 -23.6)");
  EXPECT_EQ(body["data_visita"], "2025-03-07T22:30:00.250-03:00");
}

TEST_F(VisitRepositoryTest, ArchiveStampsUtcWithoutFraction) {
  await(repo.archive(visit().id));
  EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\{"deleted_at":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"\}$)"))
                  .match(QString::fromUtf8(*transport->last().body))
                  .hasMatch())
      << transport->last().body->constData();
  EXPECT_EQ(repo::archiveStamp(QDateTime(QDate(2025, 3, 7), QTime(23, 59, 59, 999), Qt::LocalTime)),
            QStringLiteral("2025-03-08T02:59:59Z"));
}

TEST_F(VisitRepositoryTest, DateTimeTextUsesZAtOffsetZero) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(repo::localDateTimeText(QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5, 6), Qt::UTC)),
            QStringLiteral("2025-01-02T03:04:05.006Z"));
}
