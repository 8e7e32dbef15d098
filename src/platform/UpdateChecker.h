#pragma once
// Checks the build's update feed on request and says whether a newer
// version exists. It never downloads or installs anything itself.

#include "platform/Appcast.h"

#include <QCoroTask>
#include <QString>

#include <memory>
#include <variant>

namespace varnel {

class HttpTransport;

struct UpdateAvailable {
  AppcastItem item;
};
struct UpToDate {};
struct UpdateCheckFailed {
  QString reason;
};
using UpdateCheckResult = std::variant<UpdateAvailable, UpToDate, UpdateCheckFailed>;

class UpdateChecker {
public:
  UpdateChecker(std::shared_ptr<HttpTransport> transport, QString feedUrl, QString currentVersion);

  const QString &currentVersion() const { return m_currentVersion; }
  bool hasFeed() const { return !m_feedUrl.isEmpty(); }

  // Never throws: every failure comes back as UpdateCheckFailed. The check
  // holds its own copies, so the checker may go away while it runs.
  QCoro::Task<UpdateCheckResult> check() const { return checkFeed(m_transport, m_feedUrl, m_currentVersion); }

private:
  static QCoro::Task<UpdateCheckResult> checkFeed(std::shared_ptr<HttpTransport> transport, QString feedUrl,
                                                  QString currentVersion);

  std::shared_ptr<HttpTransport> m_transport;
  QString m_feedUrl;
  QString m_currentVersion;
};

} // namespace varnel
