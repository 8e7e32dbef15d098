#include "platform/KeychainCredentialStore.h"

#include <qt6keychain/keychain.h>

#include <QCoroSignal>
#include <QStringDecoder>

#include <memory>

namespace varnel {

namespace {

// What a finished job leaves behind: its status (QKeychain::Error as a
// number, 0 for success) and, for a read, the stored bytes.
struct JobOutcome {
  int status = KeychainCredentialStore::timeoutStatus;
  QByteArray data;
};

// Starts the job and waits for its finished signal, at most `timeout`. A job
// that outlives the time limit is left to finish and delete itself:
// destroying it while the Secret Service call is still pending would let its
// answer reach freed memory.
QCoro::Task<JobOutcome> runJob(QKeychain::Job *job, std::chrono::milliseconds timeout) {
  job->setAutoDelete(false);
  job->setInsecureFallback(false);
  bool finished = false;
  QObject::connect(job, &QKeychain::Job::finished, job, [&finished] { finished = true; });
  job->start();
  if (!finished) {
    const auto signalled = co_await qCoro(job, &QKeychain::Job::finished, timeout);
    finished = signalled.has_value();
  }
  // The flag's connection must not outlive this frame.
  QObject::disconnect(job, &QKeychain::Job::finished, job, nullptr);
  if (!finished) {
    job->setAutoDelete(true);
    co_return JobOutcome{};
  }
  JobOutcome outcome;
  outcome.status = static_cast<int>(job->error());
  if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(job))
    outcome.data = read->binaryData();
  job->deleteLater();
  co_return outcome;
}

template <class JobType> JobType *makeJob(const QString &service, const QString &account) {
  auto *job = new JobType(service);
  job->setKey(account);
  return job;
}

} // namespace

KeychainCredentialStore::KeychainCredentialStore(std::chrono::milliseconds timeout) : m_timeout(timeout) {}

QCoro::Task<void> KeychainCredentialStore::savePassword(QString password, QString account, QString service) {
  const std::chrono::milliseconds timeout = m_timeout;
  // Start from a clean slot; whatever the delete reports, the write decides.
  const JobOutcome removal = co_await runJob(makeJob<QKeychain::DeletePasswordJob>(service, account), timeout);
  Q_UNUSED(removal);
  auto *job = makeJob<QKeychain::WritePasswordJob>(service, account);
  job->setBinaryData(password.toUtf8());
  const JobOutcome outcome = co_await runJob(job, timeout);
  if (outcome.status != QKeychain::NoError)
    throw KeychainError(outcome.status, keychainSaveFailureText(outcome.status));
}

QCoro::Task<std::optional<QString>> KeychainCredentialStore::loadPassword(QString account, QString service) {
  const JobOutcome outcome = co_await runJob(makeJob<QKeychain::ReadPasswordJob>(service, account), m_timeout);
  if (outcome.status != QKeychain::NoError)
    co_return std::nullopt;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(outcome.data);
  if (decoder.hasError())
    co_return std::nullopt;
  co_return std::optional<QString>(text);
}

QCoro::Task<void> KeychainCredentialStore::deletePassword(QString account, QString service) {
  const JobOutcome outcome = co_await runJob(makeJob<QKeychain::DeletePasswordJob>(service, account), m_timeout);
  if (outcome.status == QKeychain::NoError || outcome.status == QKeychain::EntryNotFound)
    co_return;
  throw KeychainError(outcome.status, keychainDeleteFailureText(outcome.status));
}

} // namespace varnel
