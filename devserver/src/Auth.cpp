// The auth API under /auth/v1, answering as the hosted auth service does.
#include "Service.h"

#include <variant>

namespace devserver {

namespace {

struct AuthError {
  int status;
  std::string errorCode;
  std::string msg;
  nlohmann::json extra = nlohmann::json::object();
};

void sendAuthError(httplib::Response &res, const AuthError &e) {
  nlohmann::json body = {{"code", e.status}, {"error_code", e.errorCode}, {"msg", e.msg}};
  body.update(e.extra);
  sendJson(res, e.status, body);
}

const AuthError kInvalidCredentials{400, "invalid_credentials", "Invalid login credentials"};
constexpr std::size_t kMinPasswordLength = 6;

bool plausibleEmail(const std::string &email) {
  auto at = email.find('@');
  return at != std::string::npos && at > 0 && at == email.rfind('@') && email.find('.', at) != std::string::npos &&
         email.back() != '.' && email.find_first_of(" \t\r\n") == std::string::npos;
}

std::string lowerTrim(std::string s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
    s.pop_back();
  std::size_t b = 0;
  while (b < s.size() && std::isspace(static_cast<unsigned char>(s[b])))
    ++b;
  s = s.substr(b);
  for (auto &c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The request body as a JSON object; answers the error itself when it is not.
std::optional<nlohmann::json> authBody(const httplib::Request &req, httplib::Response &res) {
  auto body = parseJsonObject(req.body);
  if (auto *fault = std::get_if<JsonFault>(&body)) {
    sendAuthError(res, {400, fault->kind == JsonFault::Kind::Nul ? "validation_failed" : "bad_json", fault->message});
    return std::nullopt;
  }
  return std::get<nlohmann::json>(std::move(body));
}

std::optional<std::string> stringField(const nlohmann::json &body, const char *key) {
  auto it = body.find(key);
  if (it == body.end() || !it->is_string())
    return std::nullopt;
  return it->get<std::string>();
}

nlohmann::json userJson(Connection &c, const std::string &userId) {
  auto r = c.exec("select auth.user_json($1::uuid)::text", {userId});
  return nlohmann::json::parse(r.text(0, 0));
}

// Issues an access token and a fresh refresh token for a session, inside the
// caller's transaction, and builds the session reply.
nlohmann::json issueSession(Context &ctx, Connection &c, const std::string &userId, const std::string &sessionId,
                            const std::optional<std::string> &parentToken) {
  std::string refresh = randomToken(24);
  c.exec("insert into auth.refresh_tokens (token, user_id, session_id, parent) values ($1, $2::uuid, $3::uuid, $4)",
         {refresh, userId, sessionId, parentToken ? Param(*parentToken) : Param(std::nullopt)});
  nlohmann::json user = userJson(c, userId);
  long long now = nowSeconds();
  long long exp = now + ctx.config.accessTokenLifetime;
  nlohmann::json claims = {
      {"iss", ctx.config.publicUrl + "/auth/v1"},
      {"sub", userId},
      {"aud", "authenticated"},
      {"exp", exp},
      {"iat", now},
      {"email", user.value("email", "")},
      {"phone", ""},
      {"app_metadata", user["app_metadata"]},
      {"user_metadata", user["user_metadata"]},
      {"role", "authenticated"},
      {"aal", "aal1"},
      {"amr", nlohmann::json::array({{{"method", "password"}, {"timestamp", now}}})},
      {"session_id", sessionId},
      {"is_anonymous", false},
  };
  return {{"access_token", ctx.signer.sign(claims)},
          {"token_type", "bearer"},
          {"expires_in", ctx.config.accessTokenLifetime},
          {"expires_at", exp},
          {"refresh_token", refresh},
          {"user", user}};
}

nlohmann::json newSession(Context &ctx, Connection &c, const std::string &userId) {
  auto s = c.exec("insert into auth.sessions (user_id) values ($1::uuid) returning id", {userId});
  c.exec("update auth.users set last_sign_in_at = now() where id = $1::uuid", {userId});
  return issueSession(ctx, c, userId, s.text(0, 0), std::nullopt);
}

std::variant<nlohmann::json, AuthError> passwordGrant(Context &ctx, const nlohmann::json &body) {
  auto email = stringField(body, "email");
  auto password = stringField(body, "password");
  if (!email || !password || email->empty() || password->empty())
    return AuthError{400, "validation_failed", "missing email or phone"};
  auto lease = ctx.adminPool.acquire();
  return inTransaction(*lease, [&]() -> std::variant<nlohmann::json, AuthError> {
    auto r = lease->exec("select id, encrypted_password = crypt($2, encrypted_password), "
                         "email_confirmed_at is not null from auth.users where lower(email) = $1",
                         {lowerTrim(*email), *password});
    if (r.rows() == 0 || r.text(0, 1) != "t")
      return kInvalidCredentials;
    if (r.text(0, 2) != "t")
      return AuthError{400, "email_not_confirmed", "Email not confirmed"};
    return newSession(ctx, *lease, r.text(0, 0));
  });
}

std::variant<nlohmann::json, AuthError> refreshGrant(Context &ctx, const nlohmann::json &body) {
  auto token = stringField(body, "refresh_token");
  if (!token || token->empty())
    return AuthError{400, "validation_failed", "Refresh Token is missing"};
  auto lease = ctx.adminPool.acquire();
  return inTransaction(*lease, [&]() -> std::variant<nlohmann::json, AuthError> {
    // The row lock makes two refreshes with the same token take turns, so
    // only the first one can succeed.
    auto r = lease->exec("select user_id, session_id, revoked from auth.refresh_tokens where token = $1 for update",
                         {*token});
    if (r.rows() == 0)
      return AuthError{400, "refresh_token_not_found", "Invalid Refresh Token: Refresh Token Not Found"};
    std::string userId = r.text(0, 0);
    std::string sessionId = r.text(0, 1);
    if (r.text(0, 2) == "t") {
      // A used token presented again may have been stolen: end the
      // whole session, so its newer tokens stop working too.
      lease->exec("delete from auth.sessions where id = $1::uuid", {sessionId});
      return AuthError{400, "refresh_token_already_used", "Invalid Refresh Token: Already Used"};
    }
    lease->exec("update auth.refresh_tokens set revoked = true, updated_at = now() where token = $1", {*token});
    return issueSession(ctx, *lease, userId, sessionId, *token);
  });
}

// The signed-in user behind the request's bearer token.
std::variant<Caller, AuthError> requireUser(Context &ctx, const httplib::Request &req) {
  Bearer b = readBearer(ctx, req);
  if (!b.present)
    return AuthError{401, "no_authorization", "This endpoint requires a Bearer token"};
  if (b.check.failure == JwtFailure::Expired)
    return AuthError{403, "bad_jwt",
                     "invalid JWT: unable to parse or verify signature, token has invalid claims: "
                     "token is expired"};
  if (!b.check.ok())
    return AuthError{403, "bad_jwt", "invalid JWT: unable to parse or verify signature, signature is invalid"};
  auto caller = callerFromClaims(b.check.claims);
  if (!caller || caller->role != "authenticated")
    return AuthError{403, "bad_jwt", "invalid claim: missing sub claim"};
  return *caller;
}

std::optional<AuthError> checkSession(Connection &c, const Caller &caller) {
  auto r = c.exec(
      "select 1 from auth.sessions where id = $1::uuid and user_id = $2::uuid",
      {caller.sessionId().empty() ? "00000000-0000-0000-0000-000000000000" : caller.sessionId(), caller.userId()});
  if (r.rows() == 0)
    return AuthError{403, "session_not_found", "Session from session_id claim in JWT does not exist"};
  return std::nullopt;
}

template <typename F> void guarded(httplib::Response &res, F &&f) {
  try {
    f();
  } catch (const DbError &e) {
    sendAuthError(res, AuthError{500, "unexpected_failure", "Database error: " + e.message});
  } catch (const std::exception &e) {
    sendAuthError(res, AuthError{500, "unexpected_failure", e.what()});
  }
}

void reply(httplib::Response &res, const std::variant<nlohmann::json, AuthError> &result) {
  if (auto *e = std::get_if<AuthError>(&result))
    sendAuthError(res, *e);
  else
    sendJson(res, 200, std::get<nlohmann::json>(result));
}

std::optional<AuthError> checkPassword(const std::string &password) {
  if (password.size() < kMinPasswordLength)
    return AuthError{422,
                     "weak_password",
                     "Password should be at least 6 characters.",
                     {{"weak_password", {{"reasons", {"length"}}}}}};
  return std::nullopt;
}

void signup(Context &ctx, const httplib::Request &req, httplib::Response &res) {
  auto body = authBody(req, res);
  if (!body)
    return;
  auto email = stringField(*body, "email");
  auto password = stringField(*body, "password");
  if (!email || !plausibleEmail(lowerTrim(*email)))
    return sendAuthError(res, {400, "validation_failed", "Unable to validate email address: invalid format"});
  if (!password || password->empty())
    return sendAuthError(res, {400, "validation_failed", "Signup requires a valid password"});
  if (auto weak = checkPassword(*password))
    return sendAuthError(res, *weak);
  auto challenge = stringField(*body, "code_challenge");
  auto method = stringField(*body, "code_challenge_method");
  if (challenge || method) {
    std::string m = method ? lowerTrim(*method) : "";
    if (!challenge || challenge->empty() || (m != "s256" && m != "plain"))
      return sendAuthError(res,
                           {400, "validation_failed", "PKCE flow requires code_challenge_method and code_challenge"});
  }
  nlohmann::json meta = nlohmann::json::object();
  if (body->contains("data") && (*body)["data"].is_object())
    meta = (*body)["data"];

  // The bearer is the API key, or the access token of whoever is signed in
  // on the client that makes the account (an administrator adding a user).
  std::optional<Caller> signedIn;
  Bearer bearer = readBearer(ctx, req);
  if (bearer.present) {
    if (!bearer.check.ok())
      return sendAuthError(res, {403, "bad_jwt", "invalid JWT: unable to parse or verify signature"});
    auto caller = callerFromClaims(bearer.check.claims);
    if (caller && caller->role == "authenticated")
      signedIn = caller;
  }

  auto lease = ctx.adminPool.acquire();
  auto result = inTransaction(*lease, [&]() -> std::variant<nlohmann::json, AuthError> {
    std::optional<std::string> creator;
    if (signedIn) {
      if (!sessionIsLive(*lease, *signedIn))
        return AuthError{403, "session_not_found", "Session from session_id claim in JWT does not exist"};
      auto admin = lease->exec("select public.normalized_role(role) = 'administrador' from public.profiles "
                               "where user_id = $1::uuid",
                               {signedIn->userId()});
      if (admin.rows() == 1 && admin.text(0, 0) == "t")
        creator = signedIn->userId();
    }
    auto exists = lease->exec("select 1 from auth.users where lower(email) = $1", {lowerTrim(*email)});
    if (exists.rows() > 0)
      return AuthError{422, "user_already_exists", "User already registered"};
    bool confirmed = !ctx.config.emailConfirmation;
    auto metaRole = meta.find("role");
    Param createdRole = creator && metaRole != meta.end() && metaRole->is_string() ? Param(metaRole->get<std::string>())
                                                                                   : Param(std::nullopt);
    auto r = lease->exec("insert into auth.users (email, encrypted_password, email_confirmed_at, confirmation_sent_at, "
                         "raw_user_meta_data, created_by, created_with_role) values ($1, crypt($2, gen_salt('bf')), "
                         "case when $3 then now() end, case when $3 then null else now() end, $4::jsonb, $5::uuid, $6) "
                         "returning id",
                         {lowerTrim(*email), *password, confirmed ? "true" : "false", meta.dump(),
                          creator ? Param(*creator) : Param(std::nullopt), createdRole});
    std::string id = r.text(0, 0);
    if (!confirmed)
      return userJson(*lease, id);
    return newSession(ctx, *lease, id);
  });
  reply(res, result);
}

void getUser(Context &ctx, const httplib::Request &req, httplib::Response &res) {
  auto who = requireUser(ctx, req);
  if (auto *e = std::get_if<AuthError>(&who))
    return sendAuthError(res, *e);
  const Caller &caller = std::get<Caller>(who);
  auto lease = ctx.adminPool.acquire();
  if (auto e = checkSession(*lease, caller))
    return sendAuthError(res, *e);
  auto r = lease->exec("select auth.user_json($1::uuid)::text", {caller.userId()});
  if (r.isNull(0, 0))
    return sendAuthError(res, {404, "user_not_found", "User from sub claim in JWT does not exist"});
  sendJson(res, 200, nlohmann::json::parse(r.text(0, 0)));
}

void putUser(Context &ctx, const httplib::Request &req, httplib::Response &res) {
  auto who = requireUser(ctx, req);
  if (auto *e = std::get_if<AuthError>(&who))
    return sendAuthError(res, *e);
  const Caller &caller = std::get<Caller>(who);
  auto body = authBody(req, res);
  if (!body)
    return;
  auto password = stringField(*body, "password");
  auto email = stringField(*body, "email");
  if (password) {
    if (auto weak = checkPassword(*password))
      return sendAuthError(res, *weak);
  }
  if (email && !plausibleEmail(lowerTrim(*email)))
    return sendAuthError(res, {400, "validation_failed", "Unable to validate email address: invalid format"});

  auto lease = ctx.adminPool.acquire();
  auto result = inTransaction(*lease, [&]() -> std::variant<nlohmann::json, AuthError> {
    if (auto e = checkSession(*lease, caller))
      return *e;
    auto u = lease->exec("select encrypted_password = crypt($2, encrypted_password) from auth.users "
                         "where id = $1::uuid for update",
                         {caller.userId(), password.value_or("")});
    if (u.rows() == 0)
      return AuthError{404, "user_not_found", "User not found"};
    if (password) {
      if (u.text(0, 0) == "t")
        return AuthError{422, "same_password", "New password should be different from the old password."};
      lease->exec("update auth.users set encrypted_password = crypt($2, gen_salt('bf')), updated_at = now() "
                  "where id = $1::uuid",
                  {caller.userId(), *password});
    }
    if (email) {
      auto taken = lease->exec("select 1 from auth.users where lower(email) = $1 and id <> $2::uuid",
                               {lowerTrim(*email), caller.userId()});
      if (taken.rows() > 0)
        return AuthError{422, "email_exists", "A user with this email address has already been registered"};
      lease->exec("update auth.users set email = $2, updated_at = now() where id = $1::uuid",
                  {caller.userId(), lowerTrim(*email)});
    }
    if (body->contains("data") && (*body)["data"].is_object()) {
      lease->exec("update auth.users set raw_user_meta_data = raw_user_meta_data || $2::jsonb, "
                  "updated_at = now() where id = $1::uuid",
                  {caller.userId(), (*body)["data"].dump()});
    }
    return userJson(*lease, caller.userId());
  });
  reply(res, result);
}

void logout(Context &ctx, const httplib::Request &req, httplib::Response &res) {
  auto who = requireUser(ctx, req);
  if (auto *e = std::get_if<AuthError>(&who))
    return sendAuthError(res, *e);
  const Caller &caller = std::get<Caller>(who);
  std::string scope = req.has_param("scope") ? req.get_param_value("scope") : "global";
  auto lease = ctx.adminPool.acquire();
  std::string session = caller.sessionId().empty() ? "00000000-0000-0000-0000-000000000000" : caller.sessionId();
  if (scope == "global") {
    lease->exec("delete from auth.sessions where user_id = $1::uuid", {caller.userId()});
  } else if (scope == "local") {
    lease->exec("delete from auth.sessions where id = $1::uuid and user_id = $2::uuid", {session, caller.userId()});
  } else if (scope == "others") {
    lease->exec("delete from auth.sessions where user_id = $1::uuid and id <> $2::uuid", {caller.userId(), session});
  } else {
    return sendAuthError(res, {400, "validation_failed", "Unsupported logout scope \"" + scope + "\""});
  }
  res.status = 204;
}

} // namespace

void registerAuth(httplib::Server &svr, Context &ctx) {
  svr.Post("/auth/v1/token", [&ctx](const httplib::Request &req, httplib::Response &res) {
    guarded(res, [&] {
      auto body = authBody(req, res);
      if (!body)
        return;
      std::string grant = req.get_param_value("grant_type");
      if (grant == "password")
        return reply(res, passwordGrant(ctx, *body));
      if (grant == "refresh_token")
        return reply(res, refreshGrant(ctx, *body));
      sendAuthError(res, {400, "unsupported_grant_type", "unsupported_grant_type"});
    });
  });
  svr.Post("/auth/v1/signup", [&ctx](const httplib::Request &req, httplib::Response &res) {
    guarded(res, [&] { signup(ctx, req, res); });
  });
  svr.Post("/auth/v1/logout", [&ctx](const httplib::Request &req, httplib::Response &res) {
    guarded(res, [&] { logout(ctx, req, res); });
  });
  svr.Get("/auth/v1/user", [&ctx](const httplib::Request &req, httplib::Response &res) {
    guarded(res, [&] { getUser(ctx, req, res); });
  });
  svr.Put("/auth/v1/user", [&ctx](const httplib::Request &req, httplib::Response &res) {
    guarded(res, [&] { putUser(ctx, req, res); });
  });
  svr.Get("/auth/v1/health", [](const httplib::Request &, httplib::Response &res) {
    sendJson(res, 200, {{"name", "GoTrue"}, {"description", "varnel local auth"}});
  });
}

} // namespace devserver
