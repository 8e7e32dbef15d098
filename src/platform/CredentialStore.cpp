#include "platform/CredentialStore.h"

namespace varnel {

KeychainError::KeychainError(int code, QString description) : VarnelError(std::move(description)), m_code(code) {}

QString keychainSaveFailureText(int status) {
  return QStringLiteral("Falha ao salvar senha no Keychain (status %1).").arg(status);
}

QString keychainDeleteFailureText(int status) {
  return QStringLiteral("Falha ao remover senha do Keychain (status %1).").arg(status);
}

} // namespace varnel
