#include "platform/KeychainCredentialStore.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

namespace varnel {

namespace {

// Runs a job to its end on a local event loop and returns its status
// (QKeychain::Error as a number, 0 for success). A job that outlives the
// time limit is left to finish and delete itself: destroying it while the
// Secret Service call is still pending would let its answer reach freed memory.
template <class JobType> int runJob(std::unique_ptr<JobType> &job, std::chrono::milliseconds timeout) {
  job->setAutoDelete(false);
  job->setInsecureFallback(false);
  QEventLoop loop;
  bool finished = false;
  QObject::connect(job.get(), &QKeychain::Job::finished, &loop, [&] {
    finished = true;
    loop.quit();
  });
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(timeout);
  job->start();
  if (!finished)
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (!finished) {
    QObject::disconnect(job.get(), nullptr, &loop, nullptr);
    job.release()->setAutoDelete(true);
    return KeychainCredentialStore::timeoutStatus;
  }
  return static_cast<int>(job->error());
}

template <class JobType> std::unique_ptr<JobType> makeJob(const QString &service, const QString &account) {
  auto job = std::make_unique<JobType>(service);
  job->setKey(account);
  return job;
}

} // namespace

KeychainCredentialStore::KeychainCredentialStore(std::chrono::milliseconds timeout) : m_timeout(timeout) {}

void KeychainCredentialStore::savePassword(const QString &password, const QString &account, const QString &service) {
  // Start from a clean slot; whatever the delete reports, the write decides.
  {
    auto removal = makeJob<QKeychain::DeletePasswordJob>(service, account);
    runJob(removal, m_timeout);
  }
  auto job = makeJob<QKeychain::WritePasswordJob>(service, account);
  job->setBinaryData(password.toUtf8());
  const int status = runJob(job, m_timeout);
  if (status != QKeychain::NoError)
    throw KeychainError(status, keychainSaveFailureText(status));
}

std::optional<QString> KeychainCredentialStore::loadPassword(const QString &account, const QString &service) {
  auto job = makeJob<QKeychain::ReadPasswordJob>(service, account);
  if (runJob(job, m_timeout) != QKeychain::NoError)
    return std::nullopt;
  const QByteArray data = job->binaryData();
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(data);
  if (decoder.hasError())
    return std::nullopt;
  return text;
}

void KeychainCredentialStore::deletePassword(const QString &account, const QString &service) {
  auto job = makeJob<QKeychain::DeletePasswordJob>(service, account);
  const int status = runJob(job, m_timeout);
  if (status == QKeychain::NoError || status == QKeychain::EntryNotFound)
    return;
  throw KeychainError(status, keychainDeleteFailureText(status));
}

} // namespace varnel
