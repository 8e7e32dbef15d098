// The dashboard's load against the scripted transport: both lists requested
// at once, the result counted, and a failure of either abandoning the other.

#include "dashboard/DashboardViewModel.h"

#include "unit/repositories/TestBackend.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

const QString kAna = QStringLiteral("00000000-0000-4000-8000-000000000001");
const QString kBruno = QStringLiteral("00000000-0000-4000-8000-000000000002");

QByteArray visitRows(const QStringList &responsaveis) {
  nlohmann::json rows = nlohmann::json::array();
  for (const auto &id : responsaveis)
    rows.push_back({{"id", QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString()},
                    {"cliente_id", "20000000-0000-4000-8000-000000000001"},
                    {"responsavel_id", id.toStdString()},
                    {"data_visita", "2025-03-07T14:05:09.250Z"}});
  return QByteArray::fromStdString(rows.dump());
}

QByteArray responsibleRows() {
  return QByteArray::fromStdString(nlohmann::json::array({{{"id", kAna.toStdString()}, {"nome", "Ana"}},
                                                          {{"id", kBruno.toStdString()}, {"nome", "bruno"}}})
                                       .dump());
}

class DashboardLoad : public ScriptedBackend {
protected:
  DashboardViewModel model{client};
  // What the screen looked like each time it changed.
  struct Seen {
    bool loading;
    std::optional<QString> error;
    qint64 total;
    int held;
  };
  std::vector<Seen> seen;

  void SetUp() override {
    ScriptedBackend::SetUp();
    QObject::connect(&model, &DashboardViewModel::changed, [this] {
      seen.push_back({model.isLoading(), model.errorMessage(), model.total(), transport->held()});
    });
  }

  // Runs the event loop until the load has ended (a generous limit).
  bool waitForLoad() {
    QDeadlineTimer deadline(std::chrono::seconds(10));
    while (model.isLoading() && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return !model.isLoading();
  }

  // A first load that succeeds: Ana 2, bruno 1.
  void loadOnce() {
    transport->reply(200, visitRows({kAna, kBruno, kAna}));
    transport->reply(200, responsibleRows());
    model.load();
    ASSERT_TRUE(waitForLoad());
    ASSERT_EQ(model.total(), 3);
    transport->clear();
    seen.clear();
  }
};

TEST_F(DashboardLoad, RequestsBothListsBeforeEitherAnswersThenCounts) {
  transport->hold();
  transport->hold();
  model.load();
  EXPECT_TRUE(model.isLoading());
  EXPECT_FALSE(model.errorMessage());
  // Both requests are out while neither has been answered.
  ASSERT_EQ(transport->held(), 2);
  ASSERT_EQ(transport->requests().size(), 2);
  EXPECT_EQ(pathOf(transport->requests()[0]), "https://abcdefgh.supabase.co/rest/v1/atendimento_externo");
  EXPECT_EQ(pathOf(transport->requests()[1]), "https://abcdefgh.supabase.co/rest/v1/responsavel_pelo_atendimento");

  transport->release(
      200, visitRows({kBruno, kAna, kBruno, kAna, kAna, QStringLiteral("00000000-0000-4000-8000-000000000099")}));
  EXPECT_TRUE(model.isLoading());
  transport->release(200, responsibleRows());
  ASSERT_TRUE(waitForLoad());

  const QList<DashboardAtendimentoResponsavelStat> expected{
      {QUuid(kAna), QStringLiteral("Ana"), 3},
      {QUuid(kBruno), QStringLiteral("bruno"), 2},
      {QUuid(QStringLiteral("00000000-0000-4000-8000-000000000099")), QStringLiteral("Responsável não identificado"),
       1}};
  EXPECT_EQ(model.stats(), expected);
  EXPECT_EQ(model.total(), 6);
  EXPECT_EQ(model.maximum(), 3);
  EXPECT_FALSE(model.errorMessage());
  EXPECT_TRUE(transport->aborted().isEmpty());
}

TEST_F(DashboardLoad, NothingLoadedYetMeansZeroTotalAndMaximumOne) {
  EXPECT_TRUE(model.stats().isEmpty());
  EXPECT_EQ(model.total(), 0);
  EXPECT_EQ(model.maximum(), 1);
  EXPECT_FALSE(model.isLoading());
}

struct FailureCase {
  const char *name;
  bool visitsFailFirst; // otherwise the responsibles fail while the visits wait
  bool transportError;  // otherwise the back-end answers with its error object
  QString expectedMessage;
};

class DashboardLoadFailure : public DashboardLoad, public ::testing::WithParamInterface<FailureCase> {};

// One request fails while the other is still waiting for its reply: the other
// is aborted (never answered), the load waits for it to end, and the screen
// shows the first failure with the former figures kept.
TEST_P(DashboardLoadFailure, AbortsTheOtherRequestAndKeepsTheFormerStats) {
  const auto &c = GetParam();
  loadOnce();
  const auto before = model.stats();

  transport->hold();
  transport->hold();
  model.load();
  ASSERT_EQ(transport->held(), 2);
  const QByteArray visitsUrl = transport->requests()[0].url;
  const QByteArray responsaveisUrl = transport->requests()[1].url;

  const int failing = c.visitsFailFirst ? 0 : 1;
  if (c.transportError)
    transport->releaseWithTransportError(QStringLiteral("Connection refused"), failing);
  else
    transport->release(500, R"({"message":"relation does not exist","code":"42P01"})", failing);
  ASSERT_TRUE(waitForLoad());

  EXPECT_EQ(model.errorMessage(), c.expectedMessage);
  EXPECT_EQ(model.stats(), before);
  EXPECT_EQ(transport->held(), 0);
  ASSERT_EQ(transport->aborted().size(), 1);
  EXPECT_EQ(transport->aborted()[0], c.visitsFailFirst ? responsaveisUrl : visitsUrl);
  // The error reached the screen only after the aborted request had ended.
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().held, 0);
  EXPECT_FALSE(seen.back().loading);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DashboardLoadFailure,
    ::testing::Values(FailureCase{"VisitsFailOnTheNetwork", true, true,
                                  QStringLiteral("Erro ao carregar dashboard: Connection refused")},
                      FailureCase{"VisitsRefusedByTheBackEnd", true, false,
                                  QStringLiteral("Erro ao carregar dashboard: relation does not exist")},
                      FailureCase{"ResponsiblesFailOnTheNetwork", false, true,
                                  QStringLiteral("Erro ao carregar dashboard: Connection refused")},
                      FailureCase{"ResponsiblesRefusedByTheBackEnd", false, false,
                                  QStringLiteral("Erro ao carregar dashboard: relation does not exist")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DashboardLoad, ASuccessfulLoadAfterAFailureClearsTheMessage) {
  transport->failWith(QStringLiteral("Connection refused"));
  model.load();
  ASSERT_TRUE(waitForLoad());
  ASSERT_TRUE(model.errorMessage());

  transport->reply(200, visitRows({kAna}));
  transport->reply(200, responsibleRows());
  model.load();
  ASSERT_TRUE(waitForLoad());
  EXPECT_FALSE(model.errorMessage());
  EXPECT_EQ(model.total(), 1);
}

} // namespace
