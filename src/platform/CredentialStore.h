#pragma once
// Where the remembered login password is kept: generic-password entries
// addressed by account and service. The operations are synchronous.

#include "backend/Errors.h"

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
  virtual void savePassword(const QString &password, const QString &account, const QString &service) = 0;
  // The stored password, or nothing when there is none or it cannot be read.
  virtual std::optional<QString> loadPassword(const QString &account, const QString &service) = 0;
  // Removes the entry; a missing entry is not an error. Throws KeychainError
  // with "Falha ao remover senha do Keychain (status N)." otherwise.
  virtual void deletePassword(const QString &account, const QString &service) = 0;
};

QString keychainSaveFailureText(int status);
QString keychainDeleteFailureText(int status);

} // namespace varnel
