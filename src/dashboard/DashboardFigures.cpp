#include "dashboard/DashboardFigures.h"

#include <algorithm>

namespace varnel::dashboard {

qint64 totalOf(const QList<DashboardAtendimentoResponsavelStat> &stats) {
  qint64 total = 0;
  for (const auto &stat : stats)
    total += stat.quantidade;
  return total;
}

qint64 maximumOf(const QList<DashboardAtendimentoResponsavelStat> &stats) {
  if (stats.isEmpty())
    return 1;
  qint64 maximum = stats.front().quantidade;
  for (const auto &stat : stats)
    maximum = std::max(maximum, stat.quantidade);
  return maximum;
}

double barFraction(qint64 quantidade, qint64 maxQuantidade) {
  if (maxQuantidade < 1)
    return 0.0;
  return static_cast<double>(quantidade) / static_cast<double>(maxQuantidade);
}

double barWidth(qint64 quantidade, qint64 maxQuantidade, double areaWidth) {
  return std::max(areaWidth * barFraction(quantidade, maxQuantidade), kMinimumBarWidth);
}

QString countText(qint64 value) { return QString::number(value); }

QString summaryWord(qint64 total) {
  return total == 1 ? QStringLiteral("atendimento registrado") : QStringLiteral("atendimentos registrados");
}

QString shareText(qint64 quantidade, qint64 total) {
  if (total < 1)
    return QStringLiteral("0%");
  // asprintf ignores the locale: always a point as the decimal separator.
  return QString::asprintf("%.1f%%", static_cast<double>(quantidade) / static_cast<double>(total) * 100.0);
}

QString legendValueText(qint64 quantidade, qint64 total) {
  return countText(quantidade) + QStringLiteral(" (") + shareText(quantidade, total) + QLatin1Char(')');
}

} // namespace varnel::dashboard
