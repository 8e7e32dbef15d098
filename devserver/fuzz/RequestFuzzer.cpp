// Feeds one input to the table API's query parsers and to the JSON body
// reader. The first byte picks the parser; the rest is its text. Parse
// errors are expected (RestError); anything else, a crash or a sanitizer
// report, is a fault.
#include "JsonBody.h"
#include "RestParse.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace devserver;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
  try {
    switch (data[0] % 6) {
    case 0:
      parseSelect(text);
      break;
    case 1:
      parseColumnFilter("nome_razao", text);
      break;
    case 2:
      parseLogic(Condition::Kind::Or, false, text);
      break;
    case 3:
      parseOrder(text);
      break;
    default: {
      auto body = readJsonBody(text);
      if (auto *json = std::get_if<nlohmann::json>(&body))
        (void)json->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
      break;
    }
    }
  } catch (const RestError &) {
  }
  return 0;
}
