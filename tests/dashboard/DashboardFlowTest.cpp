// The dashboard against the local back-end with its demo data: the figures
// equal what the database holds.

#include "LocalBackend.h"
#include "integration/Connection.h"

#include "dashboard/DashboardViewModel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <map>

using namespace varnel;
using namespace varnel::test;

TEST(DashboardFlow, CountsEveryUnarchivedDemoVisitByResponsible) {
  LocalBackendOptions options;
  options.seed = "demo";
  LocalBackend backend(options);
  Connection connection(backend);
  connection.signIn(backend.adminEmail(), backend.adminPassword());

  DashboardViewModel model(connection.client);
  model.load();
  QDeadlineTimer deadline(std::chrono::seconds(30));
  while (model.isLoading() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_FALSE(model.isLoading());
  ASSERT_FALSE(model.errorMessage()) << model.errorMessage()->toStdString();

  const long long unarchived =
      std::stoll(backend.sqlValue("select count(*) from public.atendimento_externo where deleted_at is null"));
  const long long archived =
      std::stoll(backend.sqlValue("select count(*) from public.atendimento_externo where deleted_at is not null"));
  ASSERT_GT(unarchived, 0);
  EXPECT_GT(archived, 0) << "the demo data should hold archived visits, which must not be counted";
  EXPECT_EQ(model.total(), unarchived);

  std::map<std::string, std::pair<std::string, long long>> expected;
  for (const auto &row : backend.sql("select v.responsavel_id::text, coalesce(r.nome, '<none>'), count(*) "
                                     "from public.atendimento_externo v "
                                     "left join public.responsavel_pelo_atendimento r on r.id = v.responsavel_id "
                                     "where v.deleted_at is null group by 1, 2"))
    expected[row[0]] = {row[1], std::stoll(row[2])};
  ASSERT_EQ(model.stats().size(), static_cast<qsizetype>(expected.size()));
  for (const auto &stat : model.stats()) {
    const auto it = expected.find(stat.responsavelId.toString(QUuid::WithoutBraces).toStdString());
    ASSERT_NE(it, expected.end());
    const std::string name = it->second.first == "<none>" ? "Responsável não identificado" : it->second.first;
    EXPECT_EQ(stat.nome.toStdString(), name);
    EXPECT_EQ(stat.quantidade, it->second.second);
  }
  for (qsizetype i = 1; i < model.stats().size(); ++i)
    EXPECT_GE(model.stats()[i - 1].quantidade, model.stats()[i].quantidade);
}
