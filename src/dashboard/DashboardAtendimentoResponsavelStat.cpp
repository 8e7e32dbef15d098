#include "dashboard/DashboardAtendimentoResponsavelStat.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace varnel {

QString unknownResponsavelName() { return QStringLiteral("Responsável não identificado"); }

QLocale nameCollationLocale(const QLocale &user) {
  if (user.language() == QLocale::C)
    return QLocale(QLocale::Portuguese, QLocale::Brazil);
  return user;
}

QList<DashboardAtendimentoResponsavelStat> buildStats(const QList<AtendimentoExterno> &visits,
                                                      const QList<ResponsavelPeloAtendimento> &responsaveis,
                                                      const QLocale &locale) {
  QHash<QUuid, QString> names;
  names.reserve(responsaveis.size());
  for (const auto &responsavel : responsaveis) {
    if (!names.contains(responsavel.id))
      names.insert(responsavel.id, responsavel.nome);
  }

  QHash<QUuid, qint64> counts;
  for (const auto &visit : visits)
    ++counts[visit.responsavelId];

  QList<DashboardAtendimentoResponsavelStat> stats;
  stats.reserve(counts.size());
  for (auto it = counts.cbegin(); it != counts.cend(); ++it)
    stats.push_back({it.key(), names.value(it.key(), unknownResponsavelName()), it.value()});

  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(stats.begin(), stats.end(), [&collator](const auto &a, const auto &b) {
    if (a.quantidade != b.quantidade)
      return a.quantidade > b.quantidade;
    const int byName = collator.compare(a.nome, b.nome);
    if (byName != 0)
      return byName < 0;
    // Not required, but keeps the order the same from one load to the next.
    return a.responsavelId.toString() < b.responsavelId.toString();
  });
  return stats;
}

} // namespace varnel
