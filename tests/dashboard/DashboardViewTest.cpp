// The dashboard's widgets offscreen: what the section shows in each state,
// and the chart's bar and legend geometry.

#include "dashboard/DashboardView.h"
#include "dashboard/AtendimentosResponsavelBarChart.h"
#include "dashboard/DashboardViewModel.h"
#include "dashboard/StatCard.h"

#include "unit/repositories/TestBackend.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

QByteArray visitRows(const QString &responsavelId, int count) {
  nlohmann::json rows = nlohmann::json::array();
  for (int i = 0; i < count; ++i)
    rows.push_back({{"id", QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString()},
                    {"cliente_id", "20000000-0000-4000-8000-000000000001"},
                    {"responsavel_id", responsavelId.toStdString()},
                    {"data_visita", "2025-03-07T14:05:09.250Z"}});
  return QByteArray::fromStdString(rows.dump());
}

class DashboardViewTest : public ScriptedBackend {
protected:
  std::unique_ptr<DashboardView> view;

  void show() {
    view = std::make_unique<DashboardView>(client);
    view->resize(1180, 700);
    view->show();
  }
  bool waitForLoad() {
    QDeadlineTimer deadline(std::chrono::seconds(10));
    while (view->model().isLoading() && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return !view->model().isLoading();
  }
  // Which of the three exclusive contents of the chart section is shown.
  std::string sectionShows() const {
    std::string shown;
    if (view->errorLabel()->isVisibleTo(view.get()))
      shown += "error ";
    if (view->chart()->isVisibleTo(view.get()))
      shown += "chart ";
    if (view->emptyLabel()->isVisibleTo(view.get()))
      shown += "empty ";
    return shown;
  }
};

TEST_F(DashboardViewTest, NoVisitsShowsZeroCardsAndTheEmptyNote) {
  show();
  ASSERT_TRUE(waitForLoad());
  EXPECT_EQ(view->atendimentosCard()->value(), QStringLiteral("0"));
  EXPECT_EQ(view->responsaveisCard()->value(), QStringLiteral("0"));
  EXPECT_EQ(sectionShows(), "empty ");
  EXPECT_EQ(view->emptyLabel()->text(), QStringLiteral("Nenhum atendimento encontrado."));
  EXPECT_GE(view->emptyLabel()->height(), 260);
  EXPECT_FALSE(view->busyIndicator()->isVisibleTo(view.get()));
}

TEST_F(DashboardViewTest, WhileTheFirstLoadRunsTheEmptyChartAndTheSpinnerShow) {
  transport->hold();
  transport->hold();
  show();
  EXPECT_EQ(sectionShows(), "chart ");
  EXPECT_TRUE(view->busyIndicator()->isVisibleTo(view.get()));
  EXPECT_TRUE(view->chart()->stats().isEmpty());

  transport->release(200, visitRows(QStringLiteral("00000000-0000-4000-8000-000000000001"), 1));
  transport->release(200, R"([{"id":"00000000-0000-4000-8000-000000000001","nome":"Ana"}])");
  ASSERT_TRUE(waitForLoad());
  EXPECT_EQ(sectionShows(), "chart ");
  EXPECT_FALSE(view->busyIndicator()->isVisibleTo(view.get()));
  EXPECT_EQ(view->atendimentosCard()->value(), QStringLiteral("1"));
  EXPECT_EQ(view->responsaveisCard()->value(), QStringLiteral("1"));
  // One visit: the one bar fills its whole area.
  const auto geometry = view->chart()->geometryFor(view->chart()->width());
  ASSERT_EQ(geometry.bars.size(), 1);
  EXPECT_DOUBLE_EQ(geometry.bars[0].width(), geometry.tracks[0].width());
  EXPECT_EQ(view->chart()->toolTipFor(0), QStringLiteral("Ana\n1 (100.0%)"));
}

TEST_F(DashboardViewTest, AFailedLoadKeepsTheCardsAndShowsOnlyTheMessage) {
  transport->reply(200, visitRows(QStringLiteral("00000000-0000-4000-8000-000000000001"), 4));
  transport->reply(200, R"([{"id":"00000000-0000-4000-8000-000000000001","nome":"Ana"}])");
  show();
  ASSERT_TRUE(waitForLoad());
  ASSERT_EQ(view->atendimentosCard()->value(), QStringLiteral("4"));

  transport->failWith(QStringLiteral("Connection refused"));
  view->model().load();
  ASSERT_TRUE(waitForLoad());
  EXPECT_EQ(sectionShows(), "error ");
  EXPECT_EQ(view->errorLabel()->text(), QStringLiteral("Erro ao carregar dashboard: Connection refused"));
  EXPECT_EQ(view->atendimentosCard()->value(), QStringLiteral("4"));
  EXPECT_EQ(view->responsaveisCard()->value(), QStringLiteral("1"));
}

TEST(AtendimentosResponsavelBarChart, BarsScaleToTheLargestRowAndTheLegendFillsColumnsOfAtLeast240) {
  AtendimentosResponsavelBarChart chart;
  const QString longName = QStringLiteral("Gabriela Martins de Albuquerque Cavalcanti Figueiredo");
  chart.setStats({{QUuid::createUuid(), QStringLiteral("Ana"), 1000},
                  {QUuid::createUuid(), longName, 1},
                  {QUuid::createUuid(), QStringLiteral("Caio"), 500}});
  const auto wide = chart.geometryFor(800);
  ASSERT_EQ(wide.bars.size(), 3);
  const qreal area = 800 - 190 - 42 - 2 * 12;
  EXPECT_DOUBLE_EQ(wide.tracks[0].width(), area);
  EXPECT_DOUBLE_EQ(wide.bars[0].width(), area);
  EXPECT_DOUBLE_EQ(wide.bars[1].width(), 8);
  EXPECT_DOUBLE_EQ(wide.bars[2].width(), area / 2);
  EXPECT_DOUBLE_EQ(wide.names[1].width(), 190);
  EXPECT_DOUBLE_EQ(wide.counts[1].width(), 42);
  EXPECT_DOUBLE_EQ(wide.counts[1].right(), 800);
  // The rows go down in order, never overlapping.
  EXPECT_GT(wide.rows[1].top(), wide.rows[0].bottom());
  EXPECT_GT(wide.dividerY, wide.rows[2].bottom());
  EXPECT_GT(wide.legendItems[0].top(), wide.dividerY);

  struct Columns {
    qreal width;
    int expected;
  };
  for (const auto &[width, expected] : {Columns{239, 1}, Columns{491, 1}, Columns{492, 2}, Columns{800, 3}}) {
    const auto g = chart.geometryFor(width);
    EXPECT_EQ(g.legendColumns, expected) << width;
    EXPECT_GE(g.legendItems[0].width(), std::min<qreal>(width, 240)) << width;
  }
  // The long name is elided on screen; its tooltip carries it whole.
  EXPECT_EQ(chart.toolTipFor(1), longName + QStringLiteral("\n1 (0.1%)"));
  EXPECT_EQ(chart.heightForWidth(800), static_cast<int>(std::ceil(wide.height)));
}

} // namespace
