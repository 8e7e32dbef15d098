#include "dashboard/DashboardViewModel.h"

#include "base/Cancellation.h"
#include "dashboard/DashboardFigures.h"

#include <exception>
#include <memory>

namespace varnel {

namespace {

// What the concurrent requests of one load share: one cancellation for all of
// them and the failure that came first (the ones it causes are not reported).
struct Join {
  CancellationSource cancellation;
  std::exception_ptr firstFailure;
};

// Passes the request's outcome on; a failure is recorded and cancels the
// other requests of the join at once, without waiting for anybody to await.
template <typename T> QCoro::Task<T> cancelOthersOnFailure(QCoro::Task<T> request, std::shared_ptr<Join> join) {
  std::exception_ptr failure;
  try {
    T value = co_await std::move(request);
    co_return value;
  } catch (...) {
    failure = std::current_exception();
  }
  if (!join->firstFailure)
    join->firstFailure = failure;
  join->cancellation.cancel();
  std::rethrow_exception(failure);
}

} // namespace

DashboardViewModel::DashboardViewModel(BackendClient &client, QObject *parent)
    : QObject(parent), m_atendimentoRepo(client), m_responsavelRepo(client) {}

qint64 DashboardViewModel::total() const { return dashboard::totalOf(m_stats); }
qint64 DashboardViewModel::maximum() const { return dashboard::maximumOf(m_stats); }

QCoro::Task<QList<DashboardAtendimentoResponsavelStat>>
DashboardViewModel::loadStats(AtendimentoExternoRepository atendimentoRepo,
                              ResponsavelPeloAtendimentoRepository responsavelRepo) {
  auto join = std::make_shared<Join>();
  // Tasks start running when made: both requests are on their way before the
  // first await.
  QCoro::Task<QList<AtendimentoExterno>> visitsRequest =
      cancelOthersOnFailure(atendimentoRepo.list(join->cancellation.token()), join);
  QCoro::Task<QList<ResponsavelPeloAtendimento>> responsaveisRequest =
      cancelOthersOnFailure(responsavelRepo.list(join->cancellation.token()), join);

  // Each is awaited to its end, so nothing is left running when this returns.
  QList<AtendimentoExterno> visits;
  try {
    QList<AtendimentoExterno> rows = co_await visitsRequest;
    visits = std::move(rows);
  } catch (...) {
  }
  QList<ResponsavelPeloAtendimento> responsaveis;
  try {
    QList<ResponsavelPeloAtendimento> rows = co_await responsaveisRequest;
    responsaveis = std::move(rows);
  } catch (...) {
  }
  if (join->firstFailure)
    std::rethrow_exception(join->firstFailure);
  co_return buildStats(visits, responsaveis);
}

void DashboardViewModel::load() {
  m_errorMessage.reset();
  m_isLoading = true;
  emit changed();
  m_tasks.runLatest(
      QStringLiteral("load"), loadStats(m_atendimentoRepo, m_responsavelRepo),
      [this](QList<DashboardAtendimentoResponsavelStat> stats) {
        m_stats = std::move(stats);
        m_isLoading = false;
        emit changed();
      },
      [this](const QString &description) {
        m_errorMessage = failurePrefix() + description;
        m_isLoading = false;
        emit changed();
      });
}

} // namespace varnel
