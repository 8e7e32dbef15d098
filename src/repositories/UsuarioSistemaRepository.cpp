#include "repositories/UsuarioSistemaRepository.h"

#include "backend/AuthClient.h"
#include "backend/ErrorBody.h"
#include "repositories/RepositorySupport.h"

#include <QStringDecoder>

namespace varnel {

using Json = wire::Json;

QString roleText(UsuarioSistemaRole role) {
  return role == UsuarioSistemaRole::administrador ? QStringLiteral("administrador") : QStringLiteral("veterinario");
}

namespace {

const QString kNotPublished = QStringLiteral(
    "A função admin-update-user-password ainda não está publicada no Supabase. Publique a Edge Function para permitir "
    "que Administradores alterem senha de outros usuários.");
const QString kSessionRejected = QStringLiteral(
    "A sessão do Administrador não foi aceita pela Edge Function. Saia do sistema, entre novamente e tente alterar a "
    "senha outra vez.");

bool isNotFoundText(const QString &text) {
  return text.contains(QStringLiteral("Requested function was not found"), Qt::CaseInsensitive) ||
         text.contains(QStringLiteral("Function not found"), Qt::CaseInsensitive);
}
bool isCredentialsText(const QString &text) {
  return text.contains(QStringLiteral("Invalid credentials"), Qt::CaseInsensitive);
}

// The not-published and session texts, or nothing for any other text.
std::optional<QString> knownMeaning(const QString &text) {
  if (isNotFoundText(text))
    return kNotPublished;
  if (isCredentialsText(text))
    return kSessionRejected;
  return std::nullopt;
}

// "error" when present (even empty), otherwise "message"; nothing when the
// body is not an object whose two keys are texts.
std::optional<QString> errorResponseDetail(const QByteArray &body) {
  const std::optional<ErrorBody> json = ErrorBody::parse(body);
  if (!json || !json->isTextOrAbsent("error") || !json->isTextOrAbsent("message"))
    return std::nullopt;
  return json->firstText({"error", "message"});
}

} // namespace

QString edgeFunctionErrorDescription(const EdgeFunctionFailure &failure) {
  if (failure.relay) {
    const QString text = QStringLiteral("Relay Error invoking the Edge Function");
    return knownMeaning(text).value_or(text);
  }
  const std::optional<QString> detail = errorResponseDetail(failure.body);
  if (detail && !detail->isEmpty())
    return knownMeaning(*detail).value_or(*detail);
  auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder(failure.body);
  if (!decoder.hasError() && !text.trimmed().isEmpty()) {
    if (auto meaning = knownMeaning(text))
      return *meaning;
    return QStringLiteral("Edge Function retornou HTTP %1: ").arg(failure.status) + text;
  }
  return QStringLiteral("Edge Function retornou HTTP %1. Verifique se a função admin-update-user-password está "
                        "publicada no Supabase.")
      .arg(failure.status);
}

UsuarioSistemaRepositoryError::UsuarioSistemaRepositoryError(Kind kind, QString text,
                                                             std::optional<EdgeFunctionFailure> failure)
    : VarnelError(std::move(text)), m_kind(kind), m_failure(std::move(failure)) {}

UsuarioSistemaRepositoryError UsuarioSistemaRepositoryError::message(QString text) {
  return UsuarioSistemaRepositoryError(Kind::message, std::move(text));
}

UsuarioSistemaRepositoryError UsuarioSistemaRepositoryError::edgeFunctionError(EdgeFunctionFailure failure) {
  QString text = edgeFunctionErrorDescription(failure);
  return UsuarioSistemaRepositoryError(Kind::edgeFunctionError, std::move(text), std::move(failure));
}

UsuarioSistemaRepositoryError UsuarioSistemaRepositoryError::passwordUpdateFailed() {
  return UsuarioSistemaRepositoryError(Kind::passwordUpdateFailed,
                                       QStringLiteral("Não foi possível alterar a senha do usuário."));
}

Json UsuarioSistemaRepository::Payload::toJson() const {
  Json j = Json::object();
  j["userId"] = userId.toString(QUuid::WithoutBraces).toLower().toStdString();
  j["nome"] = wire::utf8(nome);
  j["email"] = wire::utf8(email);
  if (cidade)
    j["cidade"] = wire::utf8(*cidade);
  if (assinatura)
    j["assinatura"] = wire::utf8(*assinatura);
  j["role"] = wire::utf8(roleText(role));
  if (password)
    j["password"] = wire::utf8(*password);
  return j;
}

UsuarioSistemaRepository::UsuarioSistemaRepository(BackendClient &client)
    : m_client(&client), m_profileRepo(client, QStringLiteral("profiles")),
      m_responsavelRepo(client, QStringLiteral("responsavel_pelo_atendimento")) {}

bool UsuarioSistemaRepository::isAdministratorRole(const QString &role) {
  const QString decomposed = role.trimmed().normalized(QString::NormalizationForm_D);
  QString folded;
  for (const QChar c : decomposed) {
    if (c.category() != QChar::Mark_NonSpacing)
      folded.append(c);
  }
  return folded.toCaseFolded().toLower() == QLatin1String("administrador");
}

QCoro::Task<bool> UsuarioSistemaRepository::isAdministrator(std::optional<QUuid> userId) {
  if (!userId)
    co_return false;
  const std::optional<Profile> profile = co_await m_profileRepo.fetch(*userId);
  co_return isAdministratorRole(profile && profile->role ? *profile->role : QString());
}

Profile UsuarioSistemaRepository::profileFor(QUuid userId, const UsuarioSistemaInput &input) {
  Profile profile;
  profile.userId = userId;
  profile.nome = input.nome;
  profile.email = input.email;
  profile.cidade = repo::nonEmpty(input.cidade);
  profile.assinatura = repo::nonEmpty(input.assinatura);
  profile.role = roleText(input.role);
  return profile;
}

ResponsavelPeloAtendimento UsuarioSistemaRepository::responsavelFor(QUuid userId, const UsuarioSistemaInput &input) {
  ResponsavelPeloAtendimento responsavel;
  responsavel.id = userId;
  responsavel.nome = input.nome;
  responsavel.email = input.email;
  responsavel.cidade = repo::nonEmpty(input.cidade);
  responsavel.role = roleText(input.role);
  return responsavel;
}

QCoro::Task<void> UsuarioSistemaRepository::restoreSession(std::optional<Session> previous) {
  if (!previous)
    co_return;
  co_await m_client->auth().setSession(previous->accessToken, previous->refreshToken);
}

QCoro::Task<void> UsuarioSistemaRepository::createUser(UsuarioSistemaInput input) {
  // The administrator's session: signing up may make the new user's current.
  const std::optional<Session> previous = m_client->auth().currentSession();
  std::exception_ptr failure;
  try {
    Json metadata = Json::object();
    metadata["nome"] = wire::utf8(input.nome);
    metadata["role"] = wire::utf8(roleText(input.role));
    const SignUpResult signedUp = co_await m_client->auth().signUp(input.email, input.senha, std::move(metadata));
    const QUuid userId = signedUp.user.id;
    const Profile profile = profileFor(userId, input);
    co_await m_profileRepo.save(profile);
    const ResponsavelPeloAtendimento responsavel = responsavelFor(userId, input);
    co_await m_responsavelRepo.createIfMissing(responsavel);
  } catch (...) {
    failure = std::current_exception();
  }

  if (failure) {
    try {
      co_await restoreSession(previous);
    } catch (...) {
      // The step's own error is the one to report.
    }
    std::rethrow_exception(failure);
  }

  std::exception_ptr restoreFailure;
  try {
    co_await restoreSession(previous);
  } catch (...) {
    restoreFailure = std::current_exception();
  }
  if (restoreFailure) {
    bool restored = false;
    try {
      co_await restoreSession(previous);
      restored = true;
    } catch (...) {
    }
    if (!restored)
      std::rethrow_exception(restoreFailure);
  }
}

QCoro::Task<void> UsuarioSistemaRepository::updateUser(QUuid userId, UsuarioSistemaInput input) {
  const Profile profile = profileFor(userId, input);
  co_await m_profileRepo.save(profile);
  const ResponsavelPeloAtendimento responsavel = responsavelFor(userId, input);
  co_await m_responsavelRepo.createIfMissing(responsavel);
  co_await m_responsavelRepo.update(responsavel);
}

QCoro::Task<void> UsuarioSistemaRepository::updateOwnPassword(QString password) {
  Json attributes = Json::object();
  attributes["password"] = wire::utf8(password);
  co_await m_client->auth().updateUser(std::move(attributes));
}

QCoro::Task<void> UsuarioSistemaRepository::adminUpdateUser(QUuid userId, UsuarioSistemaInput input,
                                                            std::optional<QString> password) {
  AuthClient &auth = m_client->auth();
  std::optional<Session> session = auth.currentSession();
  if (!session)
    throw UsuarioSistemaRepositoryError::message(QStringLiteral(
        "Sessão do Administrador não encontrada. Saia do sistema e entre novamente antes de alterar a senha de outro "
        "usuário."));
  // Prefer a fresh token, so an access token that just expired is not
  // rejected by the function; the stored one is used if the refresh fails.
  try {
    session = co_await auth.validSession();
  } catch (const VarnelError &) {
  }
  if (!session)
    session = auth.currentSession();
  if (!session)
    throw UsuarioSistemaRepositoryError::message(QStringLiteral(
        "Sessão do Administrador não encontrada. Saia do sistema e entre novamente antes de alterar a senha de outro "
        "usuário."));

  Payload payload;
  payload.userId = userId;
  payload.nome = input.nome;
  payload.email = input.email;
  payload.cidade = repo::nonEmpty(input.cidade);
  payload.assinatura = repo::nonEmpty(input.assinatura);
  payload.role = input.role;
  payload.password = std::move(password);

  const QString name = QString::fromLatin1(kFunctionName);
  const QString token = session->accessToken;
  const HttpResponse response = co_await m_client->invokeFunction(name, payload.toJson(), token);
  if (response.status < 200 || response.status > 299)
    throw UsuarioSistemaRepositoryError::edgeFunctionError(EdgeFunctionFailure{false, response.status, response.body});
  if (response.headers.value("x-relay-error") == QByteArray("true"))
    throw UsuarioSistemaRepositoryError::edgeFunctionError(EdgeFunctionFailure{true, response.status, response.body});

  const std::optional<ErrorBody> reply = ErrorBody::parse(response.body);
  if (!reply || !reply->isTextOrAbsent("error"))
    throw DecodingError(QStringLiteral("Não foi possível ler a resposta da Edge Function."));
  const auto success = reply->json().find("success");
  if (success != reply->json().end() && !success->is_null() && !success->is_boolean())
    throw DecodingError(QStringLiteral("Não foi possível ler a resposta da Edge Function."));
  const std::optional<QString> error = reply->text("error");
  if (success != reply->json().end() && success->is_boolean() && success->get<bool>())
    co_return;
  throw UsuarioSistemaRepositoryError::message(error.value_or(QStringLiteral("Não foi possível salvar o usuário.")));
}

} // namespace varnel
