#include "FakeCredentialStore.h"

namespace varnel::test {

void FakeCredentialStore::savePassword(const QString &password, const QString &account, const QString &service) {
  calls << QStringLiteral("save ") + account;
  if (failSaveWith)
    throw KeychainError(*failSaveWith, keychainSaveFailureText(*failSaveWith));
  items[{account, service}] = password;
}

std::optional<QString> FakeCredentialStore::loadPassword(const QString &account, const QString &service) {
  calls << QStringLiteral("load ") + account;
  return get(account, service);
}

void FakeCredentialStore::deletePassword(const QString &account, const QString &service) {
  calls << QStringLiteral("delete ") + account;
  if (failDeleteWith)
    throw KeychainError(*failDeleteWith, keychainDeleteFailureText(*failDeleteWith));
  items.erase({account, service});
}

std::optional<QString> FakeCredentialStore::get(const QString &account, const QString &service) const {
  auto it = items.find({account, service});
  if (it == items.end())
    return std::nullopt;
  return it->second;
}

} // namespace varnel::test
