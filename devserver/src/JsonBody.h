#pragma once

// Reads request bodies as JSON with the checks a parser alone does not make:
// a nesting limit (deep input would exhaust the stack of every recursive walk
// over the document) and no NUL inside any string (libpq and crypt() stop at
// the first NUL, so "abc\u0000def" would be stored or compared as "abc").

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <variant>

namespace devserver {

constexpr std::size_t kMaxJsonDepth = 256;

struct JsonFault {
  enum class Kind { Invalid, TooDeep, Nul };
  Kind kind;
  std::string message;
};

std::variant<nlohmann::json, JsonFault> readJsonBody(std::string_view text, std::size_t maxDepth = kMaxJsonDepth);

} // namespace devserver
