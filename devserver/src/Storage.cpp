// File download under /storage/v1/object/{bucket}/{path}.
#include "Service.h"

namespace devserver {

namespace {

void storageError(httplib::Response &res, int status, const std::string &error, const std::string &message) {
  sendJson(res, status, {{"statusCode", std::to_string(status)}, {"error", error}, {"message", message}});
}

void download(Context &ctx, const httplib::Request &req, httplib::Response &res) {
  std::string path = req.matches[1];
  for (const char *prefix : {"authenticated/", "public/"}) {
    if (path.rfind(prefix, 0) == 0) {
      path = path.substr(std::string(prefix).size());
      break;
    }
  }
  auto slash = path.find('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 >= path.size())
    return storageError(res, 400, "invalid_key", "The object path must name a bucket and an object");
  std::string bucket = path.substr(0, slash);
  std::string name = path.substr(slash + 1);

  Bearer b = readBearer(ctx, req);
  nlohmann::json claims;
  if (b.present) {
    if (b.check.failure == JwtFailure::Expired)
      return storageError(res, 403, "Unauthorized", "jwt expired");
    if (!b.check.ok())
      return storageError(res, 403, "Unauthorized", "invalid signature");
    claims = b.check.claims;
  } else {
    claims = ctx.signer.verify(req.get_header_value("apikey")).claims;
  }
  auto caller = callerFromClaims(claims);
  if (!caller)
    return storageError(res, 403, "Unauthorized", "invalid claims");

  auto lease = ctx.restPool.acquire();
  auto found = inTransaction(
      *lease,
      [&]() -> std::optional<std::pair<std::string, std::string>> {
        assumeCaller(*lease, *caller);
        // The row rules hide every object from callers who are not signed in,
        // so they get the same answer as for a missing object.
        auto r = lease->exec("select mimetype, content from storage.objects where bucket_id = $1 and name = $2",
                             {bucket, name}, true);
        if (r.rows() == 0)
          return std::nullopt;
        return std::make_pair(r.bytes(0, 0), r.bytes(0, 1));
      },
      "begin read only");
  if (!found)
    return storageError(res, 404, "not_found", "Object not found");
  // A byte range (Range: bytes=...) is cut out by httplib after this
  // handler; the reply is then partial content.
  res.status = req.ranges.empty() ? 200 : 206;
  res.set_content(found->second, found->first);
}

} // namespace

void registerStorage(httplib::Server &svr, Context &ctx) {
  svr.Get(R"(/storage/v1/object/(.+))", [&ctx](const httplib::Request &req, httplib::Response &res) {
    try {
      download(ctx, req, res);
    } catch (const SessionEnded &e) {
      storageError(res, 403, "Unauthorized", e.what());
    } catch (const std::exception &e) {
      storageError(res, 500, "internal", e.what());
    }
  });
}

} // namespace devserver
