#pragma once

// The HTTP front of the server: httplib answers the requests, but every
// connection is read through a stream that checks the request head before
// httplib sees it (size, header count, request line, UTF-8, no NUL, body
// length) and drops clients that send too slowly. Refusals are answered here
// with a JSON error body and the connection is closed.

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace devserver {

struct HttpLimits {
  std::size_t maxHeadBytes = std::size_t{32} * 1024;        // request line and headers together
  std::size_t maxRequestLine = std::size_t{16} * 1024;      // method, target and version
  std::size_t maxHeaders = 100;                             // header lines
  std::size_t maxTableBody = std::size_t{10} * 1024 * 1024; // /rest/v1
  std::size_t maxOtherBody = std::size_t{1024} * 1024;      // auth, storage, functions
  std::chrono::milliseconds requestReadTime{10000};         // whole head, then whole body
  std::chrono::milliseconds firstByteWait{5000};            // from accept to the first byte
  std::chrono::milliseconds keepAliveWait{2000};            // between requests on one connection
  std::chrono::milliseconds writeWait{5000};                // for each write to make progress
  std::size_t keepAliveMaxRequests = 1000;
};

// Why the connection's reading was cut short, if it was; the error handler
// turns httplib's plain 400 into the matching status.
enum class ReadCut { None, TimedOut, BodyTooLarge };
ReadCut currentReadCut();

// The body cap for a request path.
std::size_t bodyCapFor(const HttpLimits &limits, std::string_view path);

// True when text is well-formed UTF-8 without NUL or other C0 control
// characters (tab excepted) and without DEL.
bool isCleanText(std::string_view text);
// True when text is well-formed UTF-8 (any code point, NUL excepted).
bool isUtf8WithoutNul(std::string_view text);

class GuardedServer : public httplib::Server {
public:
  explicit GuardedServer(HttpLimits limits) : m_limits(limits) {}
  const HttpLimits &limits() const { return m_limits; }

private:
  bool process_and_close_socket(socket_t sock) override;
  HttpLimits m_limits;
};

// The reason phrase of a status ("Payload Too Large").
const char *reasonPhrase(int status);
// An error body in the shape the service under path uses: the table API's
// {code,details,hint,message}, the auth API's {code,error_code,msg}, the file
// store's {statusCode,error,message}, else the gateway's {message}.
nlohmann::json httpErrorBody(std::string_view path, int status, const std::string &message);

// A complete HTTP error reply that closes the connection, with a JSON body
// in the shape the service under that path uses.
std::string closingErrorReply(std::string_view path, int status, const std::string &message);

} // namespace devserver
