#include "HttpSupport.h"

#include <cstdio>

namespace varnel::test {

Reply Api::send(const std::string &method, const std::string &path, const std::string &body,
                httplib::Headers extra) const {
  httplib::Client client("127.0.0.1", m_backend.port());
  client.set_read_timeout(30, 0);
  client.set_url_encode(false); // paths arrive already percent-encoded
  httplib::Headers headers = {
      {"apikey", m_backend.anonKey()}, {"Authorization", "Bearer " + m_bearer}, {"Accept", "application/json"}};
  for (auto &[k, v] : extra) {
    headers.erase(k);
    headers.emplace(k, v);
  }
  httplib::Request req;
  req.method = method;
  req.path = path;
  req.headers = headers;
  req.body = body;
  if (!body.empty() && !req.has_header("Content-Type"))
    req.set_header("Content-Type", "application/json");
  auto res = client.send(req);
  Reply r;
  if (!res)
    return r;
  r.status = res->status;
  r.body = res->body;
  r.headers = res->headers;
  return r;
}

Reply Api::signIn(const std::string &email, const std::string &password) const {
  Api anon(m_backend);
  return anon.post("/auth/v1/token?grant_type=password", Json{{"email", email}, {"password", password}});
}

Json Api::signInAs(const std::string &email, const std::string &password) {
  Reply r = signIn(email, password);
  Json session = r.json();
  if (r.status == 200)
    m_bearer = session["access_token"].get<std::string>();
  return session;
}

std::string encode(const std::string &value) {
  std::string out;
  for (unsigned char c : value) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    }
  }
  return out;
}

} // namespace varnel::test
