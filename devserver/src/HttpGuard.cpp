#include "HttpGuard.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <variant>
#include <vector>

namespace devserver {

namespace {

using Clock = std::chrono::steady_clock;

thread_local ReadCut tlsReadCut = ReadCut::None;

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Length of the UTF-8 sequence at text[i], or 0 when it is not well formed
// (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t utf8Sequence(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char c = byte(i);
  if (c < 0x80)
    return 1;
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0)
      lo = 0xA0;
    else if (c == 0xED)
      hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0)
      lo = 0x90;
    else if (c == 0xF4)
      hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > text.size())
    return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi)
    return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
      return 0;
  }
  return n;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Decodes %XX escapes (and '+' as a blank in queries); none when an escape
// is malformed.
std::optional<std::string> percentDecode(std::string_view s, bool plusIsSpace) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%') {
      int h = i + 2 < s.size() ? hexValue(s[i + 1]) : -1;
      int l = h >= 0 ? hexValue(s[i + 2]) : -1;
      if (h < 0 || l < 0)
        return std::nullopt;
      out += static_cast<char>(h * 16 + l);
      i += 2;
    } else if (plusIsSpace && s[i] == '+') {
      out += ' ';
    } else {
      out += s[i];
    }
  }
  return out;
}

bool isTokenChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (auto &c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

struct Refusal {
  int status;
  std::string message;
  std::string path; // decoded, when known: it picks the error body's shape
};

// What the head check learned about one request.
struct Head {
  std::string path; // decoded, for the error shape
  std::size_t bodyCap = 0;
  bool chunked = false;
};

// Checks one complete request head (without its final empty line).
std::variant<Head, Refusal> checkHead(const HttpLimits &limits, std::string_view head) {
  Head h;
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start <= head.size()) {
    auto nl = head.find('\n', start);
    std::string_view line = head.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos)
      break;
    start = nl + 1;
  }
  std::string_view requestLine = lines.front();
  auto sp1 = requestLine.find(' ');
  auto sp2 = sp1 == std::string_view::npos ? sp1 : requestLine.find(' ', sp1 + 1);
  if (sp2 == std::string_view::npos || requestLine.find(' ', sp2 + 1) != std::string_view::npos)
    return Refusal{400, "Malformed request line", ""};
  std::string_view method = requestLine.substr(0, sp1);
  std::string_view target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
  std::string_view version = requestLine.substr(sp2 + 1);
  if (version != "HTTP/1.1" && version != "HTTP/1.0")
    return Refusal{400, "Unsupported HTTP version", ""};
  if (method.empty() || !std::all_of(method.begin(), method.end(), isTokenChar))
    return Refusal{400, "Malformed request method", ""};
  if (target.empty() || target.front() != '/' ||
      !std::all_of(target.begin(), target.end(), [](char c) { return c > 0x20 && c < 0x7F; }))
    return Refusal{400, "Malformed request target", ""};
  auto question = target.find('?');
  auto path = percentDecode(target.substr(0, question), false);
  if (!path || !isCleanText(*path))
    return Refusal{400, "The request path must be UTF-8 text without control characters", ""};
  h.path = *path;
  auto refuse = [&](int status, std::string message) { return Refusal{status, std::move(message), h.path}; };
  static const char *known[] = {"GET", "HEAD", "POST", "PUT", "PATCH", "DELETE", "OPTIONS"};
  if (std::none_of(std::begin(known), std::end(known), [&](const char *m) { return method == m; }))
    return refuse(405, "Method " + std::string(method) + " is not allowed");
  if (question != std::string_view::npos) {
    std::string_view query = target.substr(question + 1);
    std::size_t pos = 0;
    while (pos <= query.size()) {
      auto amp = query.find('&', pos);
      std::string_view item = query.substr(pos, amp == std::string_view::npos ? std::string_view::npos : amp - pos);
      auto decoded = percentDecode(item, true);
      if (!decoded || !isUtf8WithoutNul(*decoded))
        return refuse(400, "Query parameters must be UTF-8 text without NUL");
      if (amp == std::string_view::npos)
        break;
      pos = amp + 1;
    }
  }

  std::optional<std::string> contentLength;
  bool hasTransferEncoding = false;
  if (lines.size() - 1 > limits.maxHeaders)
    return refuse(431, "Too many header fields (at most " + std::to_string(limits.maxHeaders) + ")");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
      return refuse(400, "Malformed header field");
    std::string_view name = line.substr(0, colon);
    if (!std::all_of(name.begin(), name.end(), isTokenChar))
      return refuse(400, "Malformed header field name");
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
      value.remove_suffix(1);
    if (!isCleanText(value))
      return refuse(400, "Header " + std::string(name) + " must be UTF-8 text without control characters");
    std::string lname = lowerAscii(name);
    if (lname == "content-length") {
      if (value.empty() || value.size() > 18 ||
          !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
          (contentLength && *contentLength != value))
        return refuse(400, "Invalid Content-Length");
      contentLength = std::string(value);
    } else if (lname == "transfer-encoding") {
      if (hasTransferEncoding || lowerAscii(value) != "chunked")
        return refuse(400, "Only the chunked transfer coding is supported");
      hasTransferEncoding = true;
    }
  }
  if (contentLength && hasTransferEncoding)
    return refuse(400, "Content-Length and Transfer-Encoding together");
  h.bodyCap = bodyCapFor(limits, h.path);
  h.chunked = hasTransferEncoding;
  if (contentLength && std::stoull(*contentLength) > h.bodyCap)
    return refuse(413, "The request body is larger than " + std::to_string(h.bodyCap) + " bytes");
  bool wantsBody = method == "POST" || method == "PUT" || method == "PATCH";
  if (wantsBody && !contentLength && !hasTransferEncoding)
    return refuse(411, "A request body needs a Content-Length");
  return h;
}

// Reads one connection through a buffer that first receives the request
// head whole, so it can be checked before httplib parses it.
class GuardedStream : public httplib::Stream {
public:
  GuardedStream(int sock, const HttpLimits &limits) : m_sock(sock), m_limits(limits) {}

  enum class Wait { Ready, Idle, Closed };

  // Waits for the first byte of the next request.
  Wait waitForRequest(std::chrono::milliseconds idle) {
    if (m_pos < m_buf.size())
      return Wait::Ready;
    compact();
    auto r = fill(Clock::now() + idle);
    return r > 0 ? Wait::Ready : (r == 0 ? Wait::Closed : Wait::Idle);
  }

  // Reads the head of the next request; the refusal, if any, says why.
  std::variant<Head, Refusal> readHead() {
    auto deadline = Clock::now() + m_limits.requestReadTime;
    auto late = [] { return Refusal{408, "The request head did not arrive in time", ""}; };
    auto cutShort = [] { return Refusal{400, "The connection closed inside the request head", ""}; };
    // Blank lines before a request line are allowed and skipped.
    while (true) {
      while (m_pos < m_buf.size() && (m_buf[m_pos] == '\r' || m_buf[m_pos] == '\n'))
        ++m_pos;
      if (m_pos < m_buf.size())
        break;
      compact();
      auto r = fill(deadline);
      if (r <= 0)
        return r < 0 ? late() : cutShort();
    }
    std::size_t scanned = m_pos; // no head end starts before here
    std::size_t lines = 0;
    while (true) {
      std::size_t headEnd = std::string::npos, after = 0;
      for (std::size_t i = scanned; i < m_buf.size(); ++i) {
        if (m_buf[i] != '\n')
          continue;
        if (i + 1 < m_buf.size() && m_buf[i + 1] == '\n') {
          headEnd = i;
          after = i + 2;
        } else if (i + 2 < m_buf.size() && m_buf[i + 1] == '\r' && m_buf[i + 2] == '\n') {
          headEnd = i;
          after = i + 3;
        } else if (i + 2 >= m_buf.size()) {
          break; // the end may still be on its way: look again from here
        }
        if (headEnd != std::string::npos)
          break;
        ++lines;
        scanned = i + 1;
      }
      if (headEnd == std::string::npos)
        scanned = std::max(scanned, m_buf.size() >= 2 ? m_buf.size() - 2 : 0);
      std::size_t firstLineEnd = m_buf.find('\n', m_pos);
      std::size_t lineLen = (firstLineEnd == std::string::npos ? m_buf.size() : firstLineEnd) - m_pos;
      if (lineLen > m_limits.maxRequestLine)
        return Refusal{414, "The request line is longer than " + std::to_string(m_limits.maxRequestLine) + " bytes",
                       ""};
      std::size_t headLen = (headEnd == std::string::npos ? m_buf.size() : headEnd) - m_pos;
      if (headLen > m_limits.maxHeadBytes)
        return Refusal{431, "The request head is larger than " + std::to_string(m_limits.maxHeadBytes) + " bytes", ""};
      if (lines > m_limits.maxHeaders)
        return Refusal{431, "Too many header fields (at most " + std::to_string(m_limits.maxHeaders) + ")", ""};
      if (headEnd != std::string::npos) {
        auto result = checkHead(m_limits, std::string_view(m_buf).substr(m_pos, headEnd - m_pos));
        if (auto *h = std::get_if<Head>(&result)) {
          m_bodyStart = after;
          m_bodyRead = 0;
          m_bodyCap = h->bodyCap;
          m_bodyDeadline = Clock::now() + m_limits.requestReadTime;
        }
        return result;
      }
      auto r = fill(deadline);
      if (r <= 0)
        return r < 0 ? late() : cutShort();
    }
  }

  bool failed() const { return m_failed; }

  bool is_readable() const override { return m_pos < m_buf.size() || pollFor(POLLIN, m_limits.requestReadTime); }
  bool is_writable() const override { return pollFor(POLLOUT, m_limits.writeWait); }

  ssize_t read(char *ptr, size_t size) override {
    if (m_pos >= m_buf.size()) {
      compact();
      auto r = fill(m_bodyDeadline);
      if (r <= 0) {
        m_failed = true;
        if (r < 0)
          tlsReadCut = ReadCut::TimedOut;
        return -1;
      }
    }
    std::size_t n = std::min(size, m_buf.size() - m_pos);
    // Bytes after the head belong to the body (or to a following request,
    // which httplib does not read ahead into).
    std::size_t headPart = m_pos < m_bodyStart ? std::min(n, m_bodyStart - m_pos) : 0;
    m_bodyRead += n - headPart;
    if (m_bodyRead > m_bodyCap + std::size_t{64} * 1024) { // room for the chunk framing
      m_failed = true;
      tlsReadCut = ReadCut::BodyTooLarge;
      return -1;
    }
    std::memcpy(ptr, m_buf.data() + m_pos, n);
    m_pos += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char *ptr, size_t size) override {
    if (!pollFor(POLLOUT, m_limits.writeWait))
      return -1;
    ssize_t n;
    do {
      n = ::send(m_sock, ptr, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
  }

  void get_remote_ip_and_port(std::string &ip, int &port) const override { address(false, ip, port); }
  void get_local_ip_and_port(std::string &ip, int &port) const override { address(true, ip, port); }
  socket_t socket() const override { return m_sock; }

private:
  bool pollFor(short events, std::chrono::milliseconds wait) const {
    pollfd p{m_sock, events, 0};
    int r;
    do {
      r = ::poll(&p, 1, static_cast<int>(wait.count()));
    } while (r < 0 && errno == EINTR);
    return r > 0;
  }

  void address(bool local, std::string &ip, int &port) const {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    int r = local ? getsockname(m_sock, reinterpret_cast<sockaddr *>(&addr), &len)
                  : getpeername(m_sock, reinterpret_cast<sockaddr *>(&addr), &len);
    if (r != 0 || addr.ss_family != AF_INET)
      return;
    auto *in = reinterpret_cast<sockaddr_in *>(&addr);
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    ip = text;
    port = ntohs(in->sin_port);
  }

  // Drops what has been consumed from the buffer.
  void compact() {
    if (m_pos == 0)
      return;
    m_buf.erase(0, m_pos);
    m_bodyStart = m_bodyStart > m_pos ? m_bodyStart - m_pos : 0;
    m_pos = 0;
  }

  // Receives more bytes before the deadline: >0 bytes read, 0 the peer
  // closed (or an error), -1 the deadline passed.
  ssize_t fill(Clock::time_point deadline) {
    while (true) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0)
        return -1;
      if (!pollFor(POLLIN, left))
        continue;
      char chunk[16 * 1024];
      ssize_t n = ::recv(m_sock, chunk, sizeof chunk, 0);
      if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        continue;
      if (n <= 0)
        return 0;
      m_buf.append(chunk, static_cast<std::size_t>(n));
      return n;
    }
  }

  int m_sock;
  const HttpLimits &m_limits;
  std::string m_buf;
  std::size_t m_pos = 0;
  std::size_t m_bodyStart = 0;
  std::size_t m_bodyRead = 0;
  std::size_t m_bodyCap = 0;
  Clock::time_point m_bodyDeadline = Clock::now();
  bool m_failed = false;
};

void sendAll(int sock, const std::string &data) {
  std::size_t off = 0;
  while (off < data.size()) {
    pollfd p{sock, POLLOUT, 0};
    if (::poll(&p, 1, 2000) <= 0)
      return;
    ssize_t n = ::send(sock, data.data() + off, data.size() - off, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return;
    off += static_cast<std::size_t>(n);
  }
}

void drain(int sock) {
  char chunk[16 * 1024];
  std::size_t total = 0;
  auto deadline = Clock::now() + std::chrono::milliseconds(500);
  while (total < std::size_t{1024} * 1024) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{sock, POLLIN, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
      return;
    ssize_t n = ::recv(sock, chunk, sizeof chunk, 0);
    if (n <= 0)
      return;
    total += static_cast<std::size_t>(n);
  }
}

} // namespace

ReadCut currentReadCut() { return tlsReadCut; }

std::size_t bodyCapFor(const HttpLimits &limits, std::string_view path) {
  return startsWith(path, "/rest/v1/") ? limits.maxTableBody : limits.maxOtherBody;
}

bool isUtf8WithoutNul(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\0')
      return false;
    std::size_t n = utf8Sequence(text, i);
    if (n == 0)
      return false;
    i += n;
  }
  return true;
}

bool isCleanText(std::string_view text) {
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F)
      return false;
  }
  return isUtf8WithoutNul(text);
}

const char *reasonPhrase(int status) {
  switch (status) {
  case 400:
    return "Bad Request";
  case 401:
    return "Unauthorized";
  case 403:
    return "Forbidden";
  case 404:
    return "Not Found";
  case 405:
    return "Method Not Allowed";
  case 408:
    return "Request Timeout";
  case 411:
    return "Length Required";
  case 413:
    return "Payload Too Large";
  case 414:
    return "URI Too Long";
  case 416:
    return "Range Not Satisfiable";
  case 431:
    return "Request Header Fields Too Large";
  case 500:
    return "Internal Server Error";
  case 503:
    return "Service Unavailable";
  default:
    return "Error";
  }
}

nlohmann::json httpErrorBody(std::string_view path, int status, const std::string &message) {
  if (startsWith(path, "/rest/v1"))
    return {{"code", "HTTP" + std::to_string(status)}, {"details", nullptr}, {"hint", nullptr}, {"message", message}};
  if (startsWith(path, "/auth/v1")) {
    std::string code = lowerAscii(reasonPhrase(status));
    std::replace(code.begin(), code.end(), ' ', '_');
    return {{"code", status}, {"error_code", code}, {"msg", message}};
  }
  if (startsWith(path, "/storage/v1"))
    return {{"statusCode", std::to_string(status)}, {"error", reasonPhrase(status)}, {"message", message}};
  return {{"message", message}};
}

std::string closingErrorReply(std::string_view path, int status, const std::string &message) {
  std::string body =
      httpErrorBody(path, status, message).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) +
         "\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\nAccess-Control-Allow-Origin: *\r\n\r\n" + body;
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  int one = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  GuardedStream stream(sock, m_limits);
  bool ok = true;
  for (std::size_t served = 0; served < m_limits.keepAliveMaxRequests && is_running(); ++served) {
    auto wait = stream.waitForRequest(served == 0 ? m_limits.firstByteWait : m_limits.keepAliveWait);
    if (wait != GuardedStream::Wait::Ready)
      break;
    auto head = stream.readHead();
    if (auto *refusal = std::get_if<Refusal>(&head)) {
      sendAll(sock, closingErrorReply(refusal->path, refusal->status, refusal->message));
      // Closing with unread input makes the kernel send a reset, which can
      // destroy the reply before the client reads it: read a little first.
      ::shutdown(sock, SHUT_WR);
      drain(sock);
      break;
    }
    bool last = served + 1 >= m_limits.keepAliveMaxRequests;
    bool closed = false;
    // A read that the stream cuts short makes httplib answer 400; the error
    // handler asks currentReadCut() for the real reason.
    tlsReadCut = ReadCut::None;
    ok = process_request(stream, last, closed, nullptr);
    tlsReadCut = ReadCut::None;
    if (!ok || closed || stream.failed())
      break;
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return ok;
}

} // namespace devserver
