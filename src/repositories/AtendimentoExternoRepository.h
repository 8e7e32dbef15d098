#pragma once
// The external visits ("atendimento_externo"): list, fetch, create, update
// and archive. It writes its own date texts: visit dates with the device's
// offset and milliseconds, the archive stamp in UTC.

#include "backend/BackendClient.h"
#include "model/AtendimentoExterno.h"

#include <QCoroTask>

namespace varnel {

class AtendimentoExternoRepository {
public:
  static const QString kColumns;

  // Absent optional fields are left out, so a write never clears a column.
  struct Insert {
    AtendimentoExterno visit;
    std::optional<QUuid> userId;
    std::optional<QString> localizacao;
    std::optional<QString> geofinalizado;
    wire::Json toJson() const;
  };
  // Never carries id, user_id or localizacao: an update keeps the visit's
  // identity, owner and start position.
  struct Update {
    AtendimentoExterno visit;
    wire::Json toJson() const;
  };

  explicit AtendimentoExternoRepository(BackendClient &client, QString table = QStringLiteral("atendimento_externo"));

  // Unarchived visits, newest visit date first. Cancelling the token
  // abandons the request.
  QCoro::Task<QList<AtendimentoExterno>> list(CancellationToken cancellation = {}) const;
  // Fails when no unarchived visit has this id.
  QCoro::Task<AtendimentoExterno> fetch(QUuid id) const;
  QCoro::Task<void> create(AtendimentoExterno visit, std::optional<QUuid> userId = std::nullopt,
                           std::optional<QString> startLocation = std::nullopt,
                           std::optional<QString> endLocation = std::nullopt) const;
  QCoro::Task<void> update(AtendimentoExterno visit) const;
  QCoro::Task<void> archive(QUuid id) const;

private:
  BackendClient *m_client;
  QString m_table;
};

} // namespace varnel
