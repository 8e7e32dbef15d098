#pragma once
// The users' profiles ("profiles"), one per account, keyed by user_id.

#include "backend/BackendClient.h"
#include "model/Profile.h"

#include <QCoroTask>

namespace varnel {

class ProfileRepository {
public:
  struct Insert {
    Profile profile;
    wire::Json toJson() const;
  };
  // Only the present fields; all absent gives an empty object.
  struct Update {
    Profile profile;
    wire::Json toJson() const;
  };

  explicit ProfileRepository(BackendClient &client, QString table = QStringLiteral("profiles"));

  // Every profile, by name.
  QCoro::Task<QList<Profile>> list() const;
  // The user's profile (the first row when there are several), or nothing.
  QCoro::Task<std::optional<Profile>> fetch(QUuid userId) const;
  QCoro::Task<void> create(Profile profile) const;
  QCoro::Task<void> update(Profile profile) const;
  // Creates the profile when the user has none, otherwise updates it.
  QCoro::Task<void> save(Profile profile) const;

private:
  BackendClient *m_client;
  QString m_table;
};

} // namespace varnel
