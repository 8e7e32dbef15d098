#include "Jwt.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <chrono>
#include <stdexcept>

namespace devserver {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string hmacSha256(const std::string &key, const std::string &data) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char *>(data.data()),
       data.size(), out, &len);
  return std::string(reinterpret_cast<char *>(out), len);
}

} // namespace

std::string base64UrlEncode(const std::string &bytes) {
  std::string out;
  std::size_t i = 0;
  auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = (b(i) << 16) | (b(i + 1) << 8) | b(i + 2);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (bytes.size() - i == 1) {
    unsigned v = b(i) << 16;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
  } else if (bytes.size() - i == 2) {
    unsigned v = (b(i) << 16) | (b(i + 1) << 8);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
  }
  return out;
}

// Strict: only the URL-safe alphabet, no padding, no length that cannot come
// from whole bytes, and no stray bits after the last byte, so every byte
// string has exactly one accepted text form.
std::optional<std::string> base64UrlDecode(const std::string &text) {
  if (text.size() % 4 == 1)
    return std::nullopt;
  std::string out;
  out.reserve(text.size() * 3 / 4);
  unsigned acc = 0;
  int bits = 0;
  for (char ch : text) {
    int v;
    if (ch >= 'A' && ch <= 'Z')
      v = ch - 'A';
    else if (ch >= 'a' && ch <= 'z')
      v = ch - 'a' + 26;
    else if (ch >= '0' && ch <= '9')
      v = ch - '0' + 52;
    else if (ch == '-')
      v = 62;
    else if (ch == '_')
      v = 63;
    else
      return std::nullopt;
    acc = ((acc << 6) | static_cast<unsigned>(v)) & 0xFFFFu;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  if (bits > 0 && (acc & ((1u << bits) - 1)) != 0)
    return std::nullopt;
  return out;
}

std::string randomToken(std::size_t bytes) {
  std::string raw(bytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char *>(raw.data()), static_cast<int>(bytes)) != 1)
    throw std::runtime_error("no random bytes available");
  return base64UrlEncode(raw);
}

std::string JwtSigner::sign(const std::string &payloadJson) const {
  std::string head = base64UrlEncode(R"({"alg":"HS256","typ":"JWT"})");
  std::string body = base64UrlEncode(payloadJson);
  std::string input = head + "." + body;
  return input + "." + base64UrlEncode(hmacSha256(m_secret, input));
}

JwtCheck JwtSigner::verify(const std::string &token) const {
  JwtCheck check;
  auto dot1 = token.find('.');
  auto dot2 = dot1 == std::string::npos ? std::string::npos : token.find('.', dot1 + 1);
  if (dot2 == std::string::npos || token.find('.', dot2 + 1) != std::string::npos) {
    check.failure = JwtFailure::Malformed;
    return check;
  }
  auto header = base64UrlDecode(token.substr(0, dot1));
  auto payload = base64UrlDecode(token.substr(dot1 + 1, dot2 - dot1 - 1));
  auto signature = base64UrlDecode(token.substr(dot2 + 1));
  if (!header || !payload || !signature) {
    check.failure = JwtFailure::Malformed;
    return check;
  }
  nlohmann::json h = nlohmann::json::parse(*header, nullptr, false);
  nlohmann::json p = nlohmann::json::parse(*payload, nullptr, false);
  if (!h.is_object() || !p.is_object()) {
    check.failure = JwtFailure::Malformed;
    return check;
  }
  // Only HS256: a token naming another algorithm (or "none") is never trusted.
  if (h.value("alg", "") != "HS256") {
    check.failure = JwtFailure::BadSignature;
    return check;
  }
  std::string expected = hmacSha256(m_secret, token.substr(0, dot2));
  if (expected.size() != signature->size() || CRYPTO_memcmp(expected.data(), signature->data(), expected.size()) != 0) {
    check.failure = JwtFailure::BadSignature;
    return check;
  }
  if (p.contains("exp")) {
    auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    if (!p["exp"].is_number() || p["exp"].get<double>() <= static_cast<double>(now)) {
      check.failure = JwtFailure::Expired;
      return check;
    }
  }
  check.claims = std::move(p);
  return check;
}

} // namespace devserver
