#include "repositories/ProfileRepository.h"

#include "backend/RestQuery.h"

namespace varnel {

namespace {
void putFields(wire::Json &j, const Profile &p) {
  for (const auto &[key, value] :
       {std::pair{"nome", &p.nome}, std::pair{"email", &p.email}, std::pair{"cidade", &p.cidade},
        std::pair{"assinatura", &p.assinatura}, std::pair{"role", &p.role}}) {
    if (*value)
      j[key] = wire::utf8(**value);
  }
}
} // namespace

wire::Json ProfileRepository::Insert::toJson() const {
  wire::Json j = wire::Json::object();
  j["user_id"] = wire::uuidUtf8(profile.userId);
  putFields(j, profile);
  return j;
}

wire::Json ProfileRepository::Update::toJson() const {
  wire::Json j = wire::Json::object();
  putFields(j, profile);
  return j;
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
