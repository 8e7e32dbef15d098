#pragma once
// The credential store on the desktop's Secret Service (GNOME Keyring,
// KWallet) through QtKeychain. Never falls back to a plain-text file.

#include "platform/CredentialStore.h"

#include <chrono>

namespace varnel {

class KeychainCredentialStore : public CredentialStore {
public:
  // timeout bounds each operation, so a Secret Service that never answers
  // cannot keep the caller waiting for good.
  explicit KeychainCredentialStore(std::chrono::milliseconds timeout = std::chrono::seconds(30));

  QCoro::Task<void> savePassword(QString password, QString account, QString service) override;
  QCoro::Task<std::optional<QString>> loadPassword(QString account, QString service) override;
  QCoro::Task<void> deletePassword(QString account, QString service) override;

  // The status reported when an operation does not finish in time.
  static constexpr int timeoutStatus = -1;

private:
  std::chrono::milliseconds m_timeout;
};

} // namespace varnel
