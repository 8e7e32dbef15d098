#pragma once
// An in-memory credential store that records its calls and can be told to fail.

#include "platform/CredentialStore.h"

#include <QStringList>

#include <map>
#include <optional>

namespace varnel::test {

class FakeCredentialStore : public CredentialStore {
public:
  void savePassword(const QString &password, const QString &account, const QString &service) override;
  std::optional<QString> loadPassword(const QString &account, const QString &service) override;
  void deletePassword(const QString &account, const QString &service) override;

  void put(const QString &account, const QString &service, const QString &password) {
    items[{account, service}] = password;
  }
  std::optional<QString> get(const QString &account, const QString &service) const;

  std::map<std::pair<QString, QString>, QString> items;
  std::optional<int> failSaveWith;   // status of a failing add
  std::optional<int> failDeleteWith; // status of a failing delete
  QStringList calls;                 // "save account", "load account", "delete account"
};

} // namespace varnel::test
