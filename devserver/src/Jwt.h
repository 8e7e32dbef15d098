#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace devserver {

std::string base64UrlEncode(const std::string &bytes);
std::optional<std::string> base64UrlDecode(const std::string &text);
std::string randomToken(std::size_t bytes);

// Why a token was refused.
enum class JwtFailure { None, Malformed, BadSignature, Expired };

struct JwtCheck {
  JwtFailure failure = JwtFailure::None;
  nlohmann::json claims;
  bool ok() const { return failure == JwtFailure::None; }
};

// HS256 tokens signed with one shared secret.
class JwtSigner {
public:
  explicit JwtSigner(std::string secret) : m_secret(std::move(secret)) {}
  std::string sign(const nlohmann::json &claims) const { return sign(claims.dump()); }
  // Signs a payload given as JSON text, keeping its key order.
  std::string sign(const std::string &payloadJson) const;
  // Accepts only HS256 tokens with a valid signature and, when present,
  // an "exp" in the future.
  JwtCheck verify(const std::string &token) const;

private:
  std::string m_secret;
};

} // namespace devserver
