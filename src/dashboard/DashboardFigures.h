#pragma once
// The numbers and texts the dashboard draws from its statistics: totals,
// bar lengths, the summary word and the legend's shares.

#include "dashboard/DashboardAtendimentoResponsavelStat.h"

#include <QList>
#include <QString>

namespace varnel::dashboard {

// Sum of the counts; 0 for no rows.
qint64 totalOf(const QList<DashboardAtendimentoResponsavelStat> &stats);
// Largest count; 1 for no rows, so that it can divide.
qint64 maximumOf(const QList<DashboardAtendimentoResponsavelStat> &stats);

// Shortest a bar is drawn, so that a small count still shows.
inline constexpr double kMinimumBarWidth = 8.0;

// quantidade / maxQuantidade, or 0 when maxQuantidade is below 1.
double barFraction(qint64 quantidade, qint64 maxQuantidade);
// areaWidth × the fraction, never under kMinimumBarWidth.
double barWidth(qint64 quantidade, qint64 maxQuantidade, double areaWidth);

// Plain digits, no grouping.
QString countText(qint64 value);
// "atendimento registrado" for exactly 1, otherwise "atendimentos registrados".
QString summaryWord(qint64 total);
// "33.3%" (one decimal, a point); "0%" when total is below 1.
QString shareText(qint64 quantidade, qint64 total);
// "12 (34.5%)".
QString legendValueText(qint64 quantidade, qint64 total);

} // namespace varnel::dashboard
