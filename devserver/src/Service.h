#pragma once

#include "Catalog.h"
#include "Db.h"
#include "JsonBody.h"
#include "Jwt.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <variant>

namespace devserver {

struct Config {
  std::string jwtSecret = "varnel-local-development-jwt-secret-0123456789";
  int accessTokenLifetime = 3600; // seconds
  int maxRows = 0;                // 0: no cap
  bool emailConfirmation = false;
  bool logRequests = false;
  std::string publicUrl; // http://127.0.0.1:PORT, known once bound
};

// Everything a request handler needs; shared by all server threads.
struct Context {
  Context(Config cfg, const std::string &conninfo)
      : config(std::move(cfg)), signer(config.jwtSecret), adminPool(conninfo, "postgres", 8),
        restPool(conninfo, "authenticator", 16) {}
  Config config;
  JwtSigner signer;
  Pool adminPool; // the database owner: auth, function, seeding
  Pool restPool;  // logs in as "authenticator" and switches role per request
  Catalog catalog;
};

// Who is calling, from the verified JWT of the request.
struct Caller {
  std::string role; // anon, authenticated or service_role
  nlohmann::json claims = nlohmann::json::object();
  std::string userId() const { return claims.value("sub", ""); }
  std::string sessionId() const { return claims.value("session_id", ""); }
};

// The bearer token of the request, if any, checked against the secret.
struct Bearer {
  bool present = false;
  JwtCheck check;
};
Bearer readBearer(const Context &ctx, const httplib::Request &req);

// The request's caller: the bearer token when present, else the API key.
// The API key itself is checked before any handler runs.
std::optional<Caller> callerFromClaims(const nlohmann::json &claims);

// A signed-in user's token whose session has ended (signed out, or its
// refresh token was reused); the token is refused like an invalid one.
class SessionEnded : public std::runtime_error {
public:
  SessionEnded() : std::runtime_error("Session from session_id claim in JWT does not exist") {}
};

// Runs inside a transaction: switches to the caller's role and exposes the
// claims to the row rules, for this transaction only. Throws SessionEnded
// for a signed-in user whose session is gone.
void assumeCaller(Connection &c, const Caller &caller);
// The same session check on its own, for callers outside a request role.
bool sessionIsLive(Connection &c, const Caller &caller);

void sendJson(httplib::Response &res, int status, const nlohmann::json &body);
// The body as a JSON object, or why it is not one.
std::variant<nlohmann::json, JsonFault> parseJsonObject(const std::string &body);
long long nowSeconds();

void registerRest(httplib::Server &svr, Context &ctx);
// Answers one table request; table is the path segment after /rest/v1/.
void serveRest(Context &ctx, const std::string &table, const std::string &method, const httplib::Request &req,
               httplib::Response &res);
void registerAuth(httplib::Server &svr, Context &ctx);
void registerStorage(httplib::Server &svr, Context &ctx);
void registerFunctions(httplib::Server &svr, Context &ctx);
// Refuses, in the API gateway's words, any request without a valid API key.
void installApiKeyGate(httplib::Server &svr, Context &ctx);

} // namespace devserver
