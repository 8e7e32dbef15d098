#include "FakeCredentialStore.h"

#include <QCoroSignal>

namespace varnel::test {

QCoro::Task<void> FakeCredentialStore::savePassword(QString password, QString account, QString service) {
  calls << QStringLiteral("save ") + account;
  if (failSaveWith)
    throw KeychainError(*failSaveWith, keychainSaveFailureText(*failSaveWith));
  items[{account, service}] = password;
  co_return;
}

QCoro::Task<std::optional<QString>> FakeCredentialStore::loadPassword(QString account, QString service) {
  calls << QStringLiteral("load ") + account;
  if (holdLoads) {
    const int lookup = m_nextLookup++;
    while (!m_released.contains(lookup))
      co_await qCoro(this, &FakeCredentialStore::released);
  }
  ++m_answered;
  co_return get(account, service);
}

QCoro::Task<void> FakeCredentialStore::deletePassword(QString account, QString service) {
  calls << QStringLiteral("delete ") + account;
  if (failDeleteWith)
    throw KeychainError(*failDeleteWith, keychainDeleteFailureText(*failDeleteWith));
  items.erase({account, service});
  co_return;
}

void FakeCredentialStore::release(int lookup) {
  m_released.push_back(lookup);
  emit released(lookup);
}

std::optional<QString> FakeCredentialStore::get(const QString &account, const QString &service) const {
  auto it = items.find({account, service});
  if (it == items.end())
    return std::nullopt;
  return it->second;
}

} // namespace varnel::test
