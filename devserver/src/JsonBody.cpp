#include "JsonBody.h"

namespace devserver {

std::variant<nlohmann::json, JsonFault> readJsonBody(std::string_view text, std::size_t maxDepth) {
  // One linear pass over the text, before any document is built.
  std::size_t depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inString) {
      if (c == '\\') {
        if (text.substr(i + 1, 5) == "u0000")
          return JsonFault{JsonFault::Kind::Nul, "Text must not contain NUL characters"};
        ++i; // the escaped character cannot end the string
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth)
        return JsonFault{JsonFault::Kind::TooDeep, "JSON nested deeper than " + std::to_string(maxDepth) + " levels"};
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  // The parser refuses malformed UTF-8 and raw control characters in strings.
  auto j = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
  if (j.is_discarded())
    return JsonFault{JsonFault::Kind::Invalid, "Could not parse request body as JSON"};
  return j;
}

} // namespace devserver
