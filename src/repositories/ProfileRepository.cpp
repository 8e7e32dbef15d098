#include "repositories/ProfileRepository.h"

#include "backend/RestQuery.h"

namespace varnel {

wire::Json ProfileRepository::Insert::toJson() const {
  return wire::encodeExcept(profile, {"created_at", "updated_at"});
}

wire::Json ProfileRepository::Update::toJson() const {
  return wire::encodeExcept(profile, {"user_id", "created_at", "updated_at"});
}

ProfileRepository::ProfileRepository(BackendClient &client, QString table)
    : m_client(&client), m_table(std::move(table)) {}

QCoro::Task<QList<Profile>> ProfileRepository::list() const {
  RestQuery query = m_client->from(m_table);
  query.select(QStringLiteral("*")).order(QStringLiteral("nome"), true, false);
  QList<Profile> rows = co_await query.executeDecoding<QList<Profile>>();
  co_return rows;
}

QCoro::Task<std::optional<Profile>> ProfileRepository::fetch(QUuid userId) const {
  RestQuery query = m_client->from(m_table);
  query.select(QStringLiteral("*")).eq(QStringLiteral("user_id"), wire::uuidText(userId));
  const QList<Profile> rows = co_await query.executeDecoding<QList<Profile>>();
  if (rows.isEmpty())
    co_return std::nullopt;
  co_return std::optional<Profile>(rows.first());
}

QCoro::Task<void> ProfileRepository::create(Profile profile) const {
  RestQuery query = m_client->from(m_table);
  query.insert(Insert{std::move(profile)});
  co_await query.execute();
}

QCoro::Task<void> ProfileRepository::update(Profile profile) const {
  const QString id = wire::uuidText(profile.userId);
  RestQuery query = m_client->from(m_table);
  query.update(Update{std::move(profile)}).eq(QStringLiteral("user_id"), id);
  co_await query.execute();
}

QCoro::Task<void> ProfileRepository::save(Profile profile) const {
  const std::optional<Profile> existing = co_await fetch(profile.userId);
  if (existing)
    co_await update(std::move(profile));
  else
    co_await create(std::move(profile));
}

} // namespace varnel
