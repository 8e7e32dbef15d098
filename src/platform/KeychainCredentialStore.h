#pragma once
// The credential store on the desktop's Secret Service (GNOME Keyring,
// KWallet) through QtKeychain. Never falls back to a plain-text file.

#include "platform/CredentialStore.h"

#include <chrono>

namespace varnel {

class KeychainCredentialStore : public CredentialStore {
public:
  // timeout bounds each operation, so a Secret Service that never answers
  // cannot freeze the caller for good.
  explicit KeychainCredentialStore(std::chrono::milliseconds timeout = std::chrono::seconds(30));

  void savePassword(const QString &password, const QString &account, const QString &service) override;
  std::optional<QString> loadPassword(const QString &account, const QString &service) override;
  void deletePassword(const QString &account, const QString &service) override;

  // The status reported when an operation does not finish in time.
  static constexpr int timeoutStatus = -1;

private:
  std::chrono::milliseconds m_timeout;
};

} // namespace varnel
