#include "repositories/ResponsavelPeloAtendimentoRepository.h"

#include "backend/RestQuery.h"

namespace varnel {

wire::Json ResponsavelPeloAtendimentoRepository::Insert::toJson() const { return wire::encodeExcept(responsavel, {}); }

// The signature path is only written when the row is made.
wire::Json ResponsavelPeloAtendimentoRepository::Update::toJson() const {
  return wire::encodeExcept(responsavel, {"id", "assinatura_path"});
}

ResponsavelPeloAtendimentoRepository::ResponsavelPeloAtendimentoRepository(BackendClient &client, QString table)
    : m_client(&client), m_table(std::move(table)) {}

QString ResponsavelPeloAtendimentoRepository::displayName(const std::optional<QString> &email) {
  const QString fallback = QStringLiteral("Veterinário");
  if (!email || email->isEmpty())
    return fallback;
  const QStringList pieces = email->split(QLatin1Char('@'), Qt::SkipEmptyParts);
  QString base = pieces.isEmpty() ? *email : pieces.first();
  base.replace(QLatin1Char('.'), QLatin1Char(' '));
  base.replace(QLatin1Char('_'), QLatin1Char(' '));
  base.replace(QLatin1Char('-'), QLatin1Char(' '));
  QStringList words;
  for (const QString &word : base.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    words.push_back(word.left(1).toUpper() + word.mid(1).toLower());
  if (words.isEmpty())
    return fallback;
  return words.join(QLatin1Char(' '));
}

QCoro::Task<QList<ResponsavelPeloAtendimento>>
ResponsavelPeloAtendimentoRepository::list(CancellationToken cancellation) const {
  RestQuery query = m_client->from(m_table);
  query.select(QStringLiteral("*")).order(QStringLiteral("nome"), true, false);
  query.cancelWith(std::move(cancellation));
  QList<ResponsavelPeloAtendimento> rows = co_await query.executeDecoding<QList<ResponsavelPeloAtendimento>>();
  co_return rows;
}

QCoro::Task<void> ResponsavelPeloAtendimentoRepository::createIfMissing(ResponsavelPeloAtendimento responsavel) const {
  const QList<ResponsavelPeloAtendimento> existing = co_await list();
  for (const auto &entry : existing) {
    if (entry.id == responsavel.id)
      co_return;
  }
  RestQuery query = m_client->from(m_table);
  query.insert(Insert{std::move(responsavel)});
  co_await query.execute();
}

QCoro::Task<void> ResponsavelPeloAtendimentoRepository::update(ResponsavelPeloAtendimento responsavel) const {
  const QString id = wire::uuidText(responsavel.id);
  RestQuery query = m_client->from(m_table);
  query.update(Update{std::move(responsavel)}).eq(QStringLiteral("id"), id);
  co_await query.execute();
}

QCoro::Task<ResponsavelPeloAtendimento>
ResponsavelPeloAtendimentoRepository::ensureForUser(QUuid userId, std::optional<QString> email) const {
  if (email)
    email = email->trimmed().toLower();
  const QList<ResponsavelPeloAtendimento> existing = co_await list();
  for (const auto &entry : existing) {
    if (entry.id == userId)
      co_return ResponsavelPeloAtendimento(entry);
  }
  ResponsavelPeloAtendimento created;
  created.id = userId;
  created.nome = displayName(email);
  created.email = email;
  created.role = QStringLiteral("veterinario");
  RestQuery query = m_client->from(m_table);
  query.insert(Insert{created});
  co_await query.execute();
  co_return ResponsavelPeloAtendimento(created);
}

} // namespace varnel
