#pragma once

// Raw bytes to the local back-end over one TCP connection, for requests that
// an HTTP client library would refuse to send.

#include <chrono>
#include <string>

namespace varnel::test {

struct RawReply {
  int status = 0; // 0: no reply before the connection closed or the wait ended
  std::string head;
  std::string body;
};

// Sends bytes (send errors are ignored: the server may stop reading) and
// reads one reply, until its Content-Length is complete or the peer closes.
RawReply rawExchange(int port, const std::string &bytes, std::chrono::milliseconds wait = std::chrono::seconds(15));

// A connected socket to 127.0.0.1:port, or -1.
int connectLoopback(int port);
// Reads one reply from an open socket, as rawExchange does.
RawReply readReply(int sock, std::chrono::milliseconds wait);

} // namespace varnel::test
