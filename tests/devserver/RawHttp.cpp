#include "RawHttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace varnel::test {

int connectLoopback(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0)
    return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
    close(s);
    return -1;
  }
  return s;
}

RawReply readReply(int sock, std::chrono::milliseconds wait) {
  RawReply r;
  std::string data;
  auto deadline = std::chrono::steady_clock::now() + wait;
  while (true) {
    auto headEnd = data.find("\r\n\r\n");
    if (headEnd != std::string::npos) {
      r.head = data.substr(0, headEnd);
      std::string lower = r.head;
      for (auto &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      auto cl = lower.find("\r\ncontent-length:");
      if (cl != std::string::npos) {
        std::size_t length = std::strtoull(r.head.c_str() + cl + 17, nullptr, 10);
        if (data.size() >= headEnd + 4 + length) {
          r.body = data.substr(headEnd + 4, length);
          break;
        }
      }
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{sock, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
      return r;
    char chunk[16384];
    ssize_t n = recv(sock, chunk, sizeof chunk, 0);
    if (n <= 0) {
      if (headEnd != std::string::npos)
        r.body = data.substr(headEnd + 4);
      break;
    }
    data.append(chunk, static_cast<std::size_t>(n));
  }
  if (r.head.rfind("HTTP/1.", 0) == 0 && r.head.size() >= 12)
    r.status = std::atoi(r.head.c_str() + 9);
  return r;
}

RawReply rawExchange(int port, const std::string &bytes, std::chrono::milliseconds wait) {
  int s = connectLoopback(port);
  if (s < 0)
    return {};
  std::size_t off = 0;
  while (off < bytes.size()) {
    ssize_t n = send(s, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
    if (n <= 0)
      break;
    off += static_cast<std::size_t>(n);
  }
  RawReply r = readReply(s, wait);
  close(s);
  return r;
}

} // namespace varnel::test
