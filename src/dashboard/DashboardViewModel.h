#pragma once
// Screen model of the dashboard: the visits per responsible person, loaded
// from the visit and responsible lists fetched side by side.

#include "base/Tasks.h"
#include "dashboard/DashboardAtendimentoResponsavelStat.h"
#include "repositories/AtendimentoExternoRepository.h"
#include "repositories/ResponsavelPeloAtendimentoRepository.h"

#include <QObject>

#include <optional>

namespace varnel {

class DashboardViewModel : public QObject {
  Q_OBJECT
public:
  explicit DashboardViewModel(BackendClient &client, QObject *parent = nullptr);

  static QString failurePrefix() { return QStringLiteral("Erro ao carregar dashboard: "); }

  // The rows of the last successful load, in display order.
  const QList<DashboardAtendimentoResponsavelStat> &stats() const { return m_stats; }
  bool isLoading() const { return m_isLoading; }
  const std::optional<QString> &errorMessage() const { return m_errorMessage; }
  // Visits counted (0 before any load) and the largest row (1 without rows).
  qint64 total() const;
  qint64 maximum() const;

  // Lists the visits and the responsibles at once. A failure of either
  // abandons the other request, keeps the former stats and sets errorMessage.
  void load();

  // Both lists fetched concurrently and counted. The first failure cancels
  // the other request, waits for it to end, and is what this throws.
  static QCoro::Task<QList<DashboardAtendimentoResponsavelStat>>
  loadStats(AtendimentoExternoRepository atendimentoRepo, ResponsavelPeloAtendimentoRepository responsavelRepo);

signals:
  void changed();

private:
  AtendimentoExternoRepository m_atendimentoRepo;
  ResponsavelPeloAtendimentoRepository m_responsavelRepo;
  QList<DashboardAtendimentoResponsavelStat> m_stats;
  bool m_isLoading = false;
  std::optional<QString> m_errorMessage;
  Tasks m_tasks{this};
};

} // namespace varnel
