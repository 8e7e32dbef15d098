#pragma once
// One row of the dashboard: how many visits one responsible person has, and
// buildStats, which counts them from the visit and responsible lists.

#include "model/AtendimentoExterno.h"
#include "model/ResponsavelPeloAtendimento.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QUuid>

namespace varnel {

struct DashboardAtendimentoResponsavelStat {
  QUuid responsavelId;
  QString nome;
  qint64 quantidade = 0;

  bool operator==(const DashboardAtendimentoResponsavelStat &) const = default;
};

// The name of a row whose responsavelId matches no responsible person.
QString unknownResponsavelName();

// The locale names are compared in: the user's, or Brazilian Portuguese when
// the user has none (the C locale compares code points, which would put
// "Érica" after "Zeca").
QLocale nameCollationLocale(const QLocale &user = QLocale());

// One row per distinct responsavelId among the visits (identifiers that match
// no responsible get a row each), by count descending, then by name in
// nameCollationLocale() ignoring case. A responsible listed twice does not
// fail: the first entry's name counts.
QList<DashboardAtendimentoResponsavelStat> buildStats(const QList<AtendimentoExterno> &visits,
                                                      const QList<ResponsavelPeloAtendimento> &responsaveis,
                                                      const QLocale &locale = nameCollationLocale());

} // namespace varnel
