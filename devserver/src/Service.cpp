#include "Service.h"

#include <chrono>
#include <cstdio>

namespace devserver {

long long nowSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

Bearer readBearer(const Context &ctx, const httplib::Request &req)
{
    Bearer b;
    if (!req.has_header("Authorization"))
        return b;
    std::string value = req.get_header_value("Authorization");
    b.present = true;
    const std::string prefix = "bearer ";
    if (value.size() <= prefix.size() ||
        !std::equal(prefix.begin(), prefix.end(), value.begin(),
                    [](char a, char c) { return a == std::tolower(static_cast<unsigned char>(c)); })) {
        b.check.failure = JwtFailure::Malformed;
        return b;
    }
    b.check = ctx.signer.verify(value.substr(prefix.size()));
    return b;
}

std::optional<Caller> callerFromClaims(const nlohmann::json &claims)
{
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

void assumeCaller(Connection &c, const Caller &caller)
{
    c.exec("select set_config('role', $1, true), set_config('request.jwt.claims', $2, true), "
           "set_config('request.jwt.claim.sub', $3, true), set_config('request.jwt.claim.role', $1, true)",
           {caller.role, caller.claims.dump(), caller.userId()});
}

void sendJson(httplib::Response &res, int status, const nlohmann::json &body)
{
    res.status = status;
    res.set_content(body.dump(), "application/json; charset=utf-8");
}

std::optional<nlohmann::json> parseJsonObject(const std::string &body)
{
    auto j = nlohmann::json::parse(body, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return std::nullopt;
    return j;
}

void installApiKeyGate(httplib::Server &svr, Context &ctx)
{
    svr.set_pre_routing_handler([&ctx](const httplib::Request &req, httplib::Response &res) {
        static const char *guarded[] = {"/rest/v1", "/auth/v1", "/storage/v1", "/functions/v1"};
        bool isGuarded = false;
        for (const char *p : guarded) {
            if (req.path.rfind(p, 0) == 0)
                isGuarded = true;
        }
        if (!isGuarded || req.method == "OPTIONS")
            return httplib::Server::HandlerResponse::Unhandled;
        std::string key = req.has_header("apikey") ? req.get_header_value("apikey")
                                                    : req.get_param_value("apikey");
        if (key.empty()) {
            sendJson(res, 401, {{"message", "No API key found in request"},
                                {"hint", "No `apikey` request header or url param was found."}});
            return httplib::Server::HandlerResponse::Handled;
        }
        if (!ctx.signer.verify(key).ok()) {
            sendJson(res, 401, {{"message", "Invalid API key"},
                                {"hint", "Double check your Supabase `anon` or `service_role` API key."}});
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
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
