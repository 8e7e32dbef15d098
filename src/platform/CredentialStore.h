#pragma once
// Where the remembered login password is kept: generic-password entries
// addressed by account and service. Every operation is asynchronous, so a
// slow keyring never blocks the user interface.

#include "base/Errors.h"

#include <QCoroTask>

#include <QString>

#include <optional>

namespace varnel {

// A failed credential-store operation; code() is the store's status.
class KeychainError : public VarnelError {
public:
  KeychainError(int code, QString description);
  static QString domain() { return QStringLiteral("KeychainService"); }
  int code() const noexcept { return m_code; }

private:
  int m_code;
};

class CredentialStore {
public:
  virtual ~CredentialStore() = default;

  // Replaces any entry for account and service. Throws KeychainError with
  // "Falha ao salvar senha no Keychain (status N)." when the add fails.
  virtual QCoro::Task<void> savePassword(QString password, QString account, QString service) = 0;
  // The stored password, or nothing when there is none or it cannot be read.
  virtual QCoro::Task<std::optional<QString>> loadPassword(QString account, QString service) = 0;
  // Removes the entry; a missing entry is not an error. Throws KeychainError
  // with "Falha ao remover senha do Keychain (status N)." otherwise.
  virtual QCoro::Task<void> deletePassword(QString account, QString service) = 0;
};

QString keychainSaveFailureText(int status);
QString keychainDeleteFailureText(int status);

} // namespace varnel
