#pragma once
// An in-memory credential store that records its calls, can be told to fail,
// and can hold its look-ups back until the test releases them, one by one
// and in any order, as a slow keyring would answer.

#include "platform/CredentialStore.h"

#include <QObject>
#include <QStringList>

#include <map>
#include <optional>

namespace varnel::test {

class FakeCredentialStore : public QObject, public CredentialStore {
  Q_OBJECT
public:
  QCoro::Task<void> savePassword(QString password, QString account, QString service) override;
  QCoro::Task<std::optional<QString>> loadPassword(QString account, QString service) override;
  QCoro::Task<void> deletePassword(QString account, QString service) override;

  void put(const QString &account, const QString &service, const QString &password) {
    items[{account, service}] = password;
  }
  std::optional<QString> get(const QString &account, const QString &service) const;

  // With holdLoads, every look-up waits until release(its number); numbers
  // count from 0 in the order the look-ups started.
  void release(int lookup);
  int heldLoads() const { return m_nextLookup; }
  // Look-ups that have answered (the answer is delivered on return).
  int answeredLoads() const { return m_answered; }

  std::map<std::pair<QString, QString>, QString> items;
  std::optional<int> failSaveWith;   // status of a failing add
  std::optional<int> failDeleteWith; // status of a failing delete
  bool holdLoads = false;
  QStringList calls; // "save account", "load account", "delete account"

signals:
  void released(int lookup);

private:
  int m_nextLookup = 0;
  int m_answered = 0;
  QList<int> m_released;
};

} // namespace varnel::test
