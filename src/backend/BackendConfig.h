#pragma once
// The fixed settings of the back-end connection and the endpoints derived from them.

#include <QString>

#include <optional>

namespace varnel {

struct BackendConfig {
  QString projectUrl; // without a trailing slash
  QString apiKey;

  // The values compiled into the program.
  static BackendConfig fromBuild();
  // Throws std::invalid_argument when the URL is not https (or http on a
  // loopback host) with a host.
  static BackendConfig make(const QString &projectUrl, const QString &apiKey);
  // Why a project URL cannot be used, or nothing when it can.
  static std::optional<QString> urlProblem(const QString &projectUrl);

  QString restBase() const { return projectUrl + QStringLiteral("/rest/v1"); }
  QString authBase() const { return projectUrl + QStringLiteral("/auth/v1"); }
  QString storageBase() const { return projectUrl + QStringLiteral("/storage/v1"); }
  QString functionsBase() const { return projectUrl + QStringLiteral("/functions/v1"); }
  QString schema() const { return QStringLiteral("public"); }
  // "sb-" + the project reference (first label of the host) + "-auth-token".
  QString sessionStorageKey() const;
};

} // namespace varnel
