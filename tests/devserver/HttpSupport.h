#pragma once

// Small helpers for talking to the local back-end over HTTP in tests.

#include "LocalBackend.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <string>

namespace varnel::test {

using Json = nlohmann::json;

struct Reply {
  int status = 0;
  std::string body;
  httplib::Headers headers;
  Json json() const { return Json::parse(body, nullptr, false); }
  std::string header(const std::string &name) const {
    auto it = headers.find(name);
    return it == headers.end() ? "" : it->second;
  }
};

// A caller of the back-end: the API key on every request, and either the
// API key or a user's access token as the bearer.
class Api {
public:
  explicit Api(const LocalBackend &backend) : m_backend(backend), m_bearer(backend.anonKey()) {}

  void useToken(const std::string &token) { m_bearer = token; }
  void useAnonKey() { m_bearer = m_backend.anonKey(); }

  Reply send(const std::string &method, const std::string &path, const std::string &body = "",
             httplib::Headers extra = {}) const;
  Reply get(const std::string &path, httplib::Headers extra = {}) const { return send("GET", path, "", extra); }
  Reply post(const std::string &path, const Json &body, httplib::Headers extra = {}) const {
    return send("POST", path, body.dump(), extra);
  }
  Reply patch(const std::string &path, const Json &body, httplib::Headers extra = {}) const {
    return send("PATCH", path, body.dump(), extra);
  }

  // Password sign-in; returns the session object (or the error reply).
  Reply signIn(const std::string &email, const std::string &password) const;
  // Signs in and uses the access token for the following requests.
  Json signInAs(const std::string &email, const std::string &password);

private:
  const LocalBackend &m_backend;
  std::string m_bearer;
};

// Percent-encodes one query value the way the program's client does.
std::string encode(const std::string &value);

} // namespace varnel::test
