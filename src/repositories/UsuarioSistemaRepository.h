#pragma once
// The people who can sign in: an auth account, a profile row and a
// responsible row under one user id, created and edited together; an
// administrator changes other users through the server function.

#include "backend/BackendClient.h"
#include "backend/Session.h"
#include "base/Errors.h"
#include "repositories/ProfileRepository.h"
#include "repositories/ResponsavelPeloAtendimentoRepository.h"

#include <QCoroTask>

namespace varnel {

enum class UsuarioSistemaRole { veterinario, administrador };

// "veterinario" or "administrador", as stored.
QString roleText(UsuarioSistemaRole role);

// What the user form hands over, already trimmed (e-mail lower-cased).
struct UsuarioSistemaInput {
  QString nome;
  QString email;
  QString senha;      // may be empty when editing
  QString cidade;     // empty means none
  QString assinatura; // empty means none
  UsuarioSistemaRole role = UsuarioSistemaRole::veterinario;
};

// How the server function failed: an error status with its body, or the
// relay's own failure.
struct EdgeFunctionFailure {
  bool relay = false;
  int status = 0;
  QByteArray body;
};

// The text shown for a failed server-function call.
QString edgeFunctionErrorDescription(const EdgeFunctionFailure &failure);

class UsuarioSistemaRepositoryError : public VarnelError {
public:
  enum class Kind { message, edgeFunctionError, passwordUpdateFailed };

  static UsuarioSistemaRepositoryError message(QString text);
  static UsuarioSistemaRepositoryError edgeFunctionError(EdgeFunctionFailure failure);
  static UsuarioSistemaRepositoryError passwordUpdateFailed();

  Kind kind() const noexcept { return m_kind; }
  const std::optional<EdgeFunctionFailure> &failure() const noexcept { return m_failure; }

private:
  UsuarioSistemaRepositoryError(Kind kind, QString text, std::optional<EdgeFunctionFailure> failure = {});
  Kind m_kind;
  std::optional<EdgeFunctionFailure> m_failure;
};

class UsuarioSistemaRepository {
public:
  static constexpr const char *kFunctionName = "admin-update-user-password";

  // The server function's body; absent keys are left out.
  struct Payload {
    QUuid userId;
    QString nome;
    QString email;
    std::optional<QString> cidade;
    std::optional<QString> assinatura;
    UsuarioSistemaRole role = UsuarioSistemaRole::veterinario;
    std::optional<QString> password;
    wire::Json toJson() const;
  };

  explicit UsuarioSistemaRepository(BackendClient &client);

  ProfileRepository &profileRepo() { return m_profileRepo; }
  ResponsavelPeloAtendimentoRepository &responsavelRepo() { return m_responsavelRepo; }

  // Whether the user's profile role reads "administrador", ignoring blanks,
  // case and accents. No id: false, without a request.
  QCoro::Task<bool> isAdministrator(std::optional<QUuid> userId);
  // Signs the account up, writes its profile and responsible rows, and puts
  // the session that was current before back, whatever happened.
  QCoro::Task<void> createUser(UsuarioSistemaInput input);
  // Profile and responsible rows only (created when missing); not the
  // password, not the sign-in e-mail.
  QCoro::Task<void> updateUser(QUuid userId, UsuarioSistemaInput input);
  QCoro::Task<void> updateOwnPassword(QString password);
  // An administrator changing another user through the server function.
  QCoro::Task<void> adminUpdateUser(QUuid userId, UsuarioSistemaInput input, std::optional<QString> password);

  static bool isAdministratorRole(const QString &role);

private:
  QCoro::Task<void> restoreSession(std::optional<Session> previous);
  static Profile profileFor(QUuid userId, const UsuarioSistemaInput &input);
  static ResponsavelPeloAtendimento responsavelFor(QUuid userId, const UsuarioSistemaInput &input);

  BackendClient *m_client;
  ProfileRepository m_profileRepo;
  ResponsavelPeloAtendimentoRepository m_responsavelRepo;
};

} // namespace varnel
