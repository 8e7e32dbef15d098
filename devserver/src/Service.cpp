#include "Service.h"

#include "HttpGuard.h"

#include <chrono>
#include <cstdio>

namespace devserver {

long long nowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

Bearer readBearer(const Context &ctx, const httplib::Request &req) {
  Bearer b;
  if (!req.has_header("Authorization"))
    return b;
  std::string value = req.get_header_value("Authorization");
  b.present = true;
  const std::string prefix = "bearer ";
  if (value.size() <= prefix.size() || !std::equal(prefix.begin(), prefix.end(), value.begin(), [](char a, char c) {
        return a == std::tolower(static_cast<unsigned char>(c));
      })) {
    b.check.failure = JwtFailure::Malformed;
    return b;
  }
  b.check = ctx.signer.verify(value.substr(prefix.size()));
  return b;
}

std::optional<Caller> callerFromClaims(const nlohmann::json &claims) {
  Caller c;
  c.claims = claims;
  auto role = claims.find("role");
  c.role = role != claims.end() && role->is_string() ? role->get<std::string>() : "anon";
  if (c.role != "anon" && c.role != "authenticated" && c.role != "service_role")
    return std::nullopt;
  if (c.role == "authenticated" && c.userId().empty())
    return std::nullopt;
  return c;
}

void assumeCaller(Connection &c, const Caller &caller) {
  c.exec("select set_config('role', $1, true), set_config('request.jwt.claims', $2, true), "
         "set_config('request.jwt.claim.sub', $3, true), set_config('request.jwt.claim.role', $1, true)",
         {caller.role, caller.claims.dump(), caller.userId()});
  if (caller.role == "authenticated" && !sessionIsLive(c, caller))
    throw SessionEnded();
}

bool sessionIsLive(Connection &c, const Caller &caller) {
  return c.exec("select auth.session_is_live($1, $2)", {caller.sessionId(), caller.userId()}).text(0, 0) == "t";
}

void sendJson(httplib::Response &res, int status, const nlohmann::json &body) {
  res.status = status;
  // Replacing bad UTF-8 keeps a reply that quotes the request from throwing.
  res.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                  "application/json; charset=utf-8");
}

std::variant<nlohmann::json, JsonFault> parseJsonObject(const std::string &body) {
  auto j = readJsonBody(body);
  if (auto *json = std::get_if<nlohmann::json>(&j); json && !json->is_object())
    return JsonFault{JsonFault::Kind::Invalid, "Could not parse request body as JSON"};
  return j;
}

namespace {

bool isGuardedPath(const std::string &path) {
  static const char *guarded[] = {"/rest/v1", "/auth/v1", "/storage/v1", "/functions/v1"};
  for (const char *p : guarded) {
    if (path.rfind(p, 0) == 0)
      return true;
  }
  return false;
}

// The gateway's answer to a request without a valid API key, if it needs one.
bool refuseWithoutApiKey(Context &ctx, const httplib::Request &req, httplib::Response &res) {
  if (!isGuardedPath(req.path) || req.method == "OPTIONS")
    return false;
  std::string key = req.has_header("apikey") ? req.get_header_value("apikey") : req.get_param_value("apikey");
  if (key.empty()) {
    sendJson(
        res, 401,
        {{"message", "No API key found in request"}, {"hint", "No `apikey` request header or url param was found."}});
    return true;
  }
  if (!ctx.signer.verify(key).ok()) {
    sendJson(
        res, 401,
        {{"message", "Invalid API key"}, {"hint", "Double check your Supabase `anon` or `service_role` API key."}});
    return true;
  }
  return false;
}

// cpp-httplib reads every Range header as a byte range before any handler
// runs. The table API's Range is a range of rows ("0-24"), which httplib
// refuses with an empty 416, and a byte range there would cut the JSON
// reply apart. The table API takes the header itself, so the byte ranges
// are dropped; the request object is the server's own, only handed out const.
void dropByteRanges(const httplib::Request &req) { const_cast<httplib::Request &>(req).ranges.clear(); }

bool isRestPath(const std::string &path) { return path.rfind("/rest/v1/", 0) == 0; }

} // namespace

void installApiKeyGate(httplib::Server &svr, Context &ctx) {
  svr.set_pre_routing_handler([&ctx](const httplib::Request &req, httplib::Response &res) {
    if (isRestPath(req.path))
      dropByteRanges(req);
    return refuseWithoutApiKey(ctx, req, res) ? httplib::Server::HandlerResponse::Handled
                                              : httplib::Server::HandlerResponse::Unhandled;
  });

  // A Range that is no byte range never reaches the routes: httplib answers
  // 416 with an empty body straight away. Table reads are served from here
  // instead. Only GET and HEAD: they have no body left unread on the
  // connection.
  svr.set_error_handler(
      httplib::Server::HandlerWithResponse([&ctx](const httplib::Request &req, httplib::Response &res) {
        bool rangeRefusal =
            res.status == 416 && res.body.empty() && req.has_header("Range") && !res.has_header("Content-Range");
        if (rangeRefusal && isRestPath(req.path) && (req.method == "GET" || req.method == "HEAD")) {
          dropByteRanges(req);
          res.status = 200;
          if (!refuseWithoutApiKey(ctx, req, res))
            serveRest(ctx, req.path.substr(std::string("/rest/v1/").size()), "GET", req, res);
          return httplib::Server::HandlerResponse::Handled;
        }
        if (!res.body.empty())
          return httplib::Server::HandlerResponse::Unhandled;
        // httplib's own refusals (no route, a bad byte range, a body cut
        // short) come without a body: give them the service's error shape.
        std::string message;
        switch (currentReadCut()) {
        case ReadCut::TimedOut:
          res.status = 408;
          message = "The request body did not arrive in time";
          break;
        case ReadCut::BodyTooLarge:
          res.status = 413;
          message = "The request body is larger than " + std::to_string(bodyCapFor(HttpLimits{}, req.path)) + " bytes";
          break;
        case ReadCut::None:
          message = res.status == 404 ? "No route matches " + req.method + " " + req.path : reasonPhrase(res.status);
          break;
        }
        if (res.status == 413 && message.empty())
          message = "The request body is too large";
        sendJson(res, res.status, httpErrorBody(req.path, res.status, message));
        return httplib::Server::HandlerResponse::Handled;
      }));
  svr.set_exception_handler([](const httplib::Request &req, httplib::Response &res, std::exception_ptr) {
    sendJson(res, 500, httpErrorBody(req.path, 500, "Internal error"));
  });

  // Browsers' cross-origin rules, as the hosted gateway answers them.
  svr.Options(R"(/.*)", [](const httplib::Request &req, httplib::Response &res) {
    res.status = 200;
    res.set_header("Access-Control-Allow-Methods", "GET,HEAD,PUT,PATCH,POST,DELETE,OPTIONS");
    std::string asked = req.get_header_value("Access-Control-Request-Headers");
    res.set_header("Access-Control-Allow-Headers",
                   asked.empty() ? "authorization,x-client-info,apikey,content-type,accept,accept-profile,"
                                   "content-profile,prefer,range,range-unit,x-supabase-api-version"
                                 : asked);
    res.set_header("Access-Control-Max-Age", "3600");
  });
  svr.set_post_routing_handler([](const httplib::Request &, httplib::Response &res) {
    if (!res.has_header("Access-Control-Allow-Origin"))
      res.set_header("Access-Control-Allow-Origin", "*");
    res.set_header("Access-Control-Expose-Headers", "Content-Range,Content-Location,Range-Unit,"
                                                    "X-Supabase-Api-Version,Content-Disposition");
  });

  if (ctx.config.logRequests) {
    // Method, path and status only: headers, queries and bodies carry
    // tokens, passwords and personal data.
    svr.set_logger([](const httplib::Request &req, const httplib::Response &res) {
      std::fprintf(stderr, "%s %s -> %d\n", req.method.c_str(), req.path.c_str(), res.status);
    });
  }
}

} // namespace devserver
