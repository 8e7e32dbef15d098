#pragma once
// The persons visits can be assigned to ("responsavel_pelo_atendimento"),
// keyed by their user account's identifier.

#include "backend/BackendClient.h"
#include "model/ResponsavelPeloAtendimento.h"

#include <QCoroTask>

namespace varnel {

class ResponsavelPeloAtendimentoRepository {
public:
  struct Insert {
    ResponsavelPeloAtendimento responsavel;
    wire::Json toJson() const;
  };
  // Without assinatura_path: an update never changes the stored signature path.
  struct Update {
    ResponsavelPeloAtendimento responsavel;
    wire::Json toJson() const;
  };

  explicit ResponsavelPeloAtendimentoRepository(BackendClient &client,
                                                QString table = QStringLiteral("responsavel_pelo_atendimento"));

  // Everybody, by name. Cancelling the token abandons the request.
  QCoro::Task<QList<ResponsavelPeloAtendimento>> list(CancellationToken cancellation = {}) const;
  // Inserts unless an entry with the same id exists; an existing entry is left as it is.
  QCoro::Task<void> createIfMissing(ResponsavelPeloAtendimento responsavel) const;
  QCoro::Task<void> update(ResponsavelPeloAtendimento responsavel) const;
  // The user's entry, created with a name made from the e-mail when missing.
  QCoro::Task<ResponsavelPeloAtendimento> ensureForUser(QUuid userId, std::optional<QString> email) const;

  // "first.second_third@x" gives "First Second Third"; "Veterinário" when
  // nothing usable is left.
  static QString displayName(const std::optional<QString> &email);

private:
  BackendClient *m_client;
  QString m_table;
};

} // namespace varnel
