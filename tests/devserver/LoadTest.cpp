// Bounded load on loopback: many keep-alive clients at once, and clients that
// send a byte a second. Each test ends well within a minute.
#include "HttpSupport.h"
#include "RawHttp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace varnel::test;
using Clock = std::chrono::steady_clock;

TEST(Load, SmallRequestsOn200KeepAliveConnectionsAnswerQuickly) {
  auto &backend = LocalBackend::shared();
  constexpr int kConnections = 200;
  constexpr int kRequestsEach = 20;
  std::vector<std::vector<double>> latencies(kConnections);
  std::atomic<int> failures{0};
  std::vector<std::thread> clients;
  auto started = Clock::now();
  for (int i = 0; i < kConnections; ++i) {
    clients.emplace_back([&, i] {
      httplib::Client client("127.0.0.1", backend.port());
      client.set_keep_alive(true);
      client.set_read_timeout(30, 0);
      client.set_connection_timeout(30, 0);
      httplib::Headers headers = {{"apikey", backend.anonKey()}, {"Authorization", "Bearer " + backend.anonKey()}};
      for (int k = 0; k < kRequestsEach; ++k) {
        auto t0 = Clock::now();
        auto res = client.Get("/rest/v1/objetivo?select=id&limit=1", headers);
        latencies[i].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (!res || res->status != 200)
          ++failures;
      }
    });
  }
  for (auto &t : clients)
    t.join();
  double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  std::vector<double> all;
  for (auto &l : latencies)
    all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  double p50 = all[all.size() / 2];
  double p99 = all[all.size() * 99 / 100];
  std::printf("%d keep-alive connections x %d requests: p50 %.1f ms, p99 %.1f ms, max %.1f ms, %.0f requests/s\n",
              kConnections, kRequestsEach, p50, p99, all.back(), static_cast<double>(all.size()) / seconds);
  EXPECT_EQ(failures, 0);
  EXPECT_LT(p99, 500.0);
}

TEST(Load, ClientsSendingAByteASecondAreDroppedAndOthersServed) {
  auto &backend = LocalBackend::shared();
  constexpr int kSlow = 30;
  const std::string head = "GET /auth/v1/health HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " + std::string(40, 'a');
  std::vector<int> slow;
  for (int i = 0; i < kSlow; ++i) {
    int s = connectLoopback(backend.port());
    ASSERT_GE(s, 0);
    slow.push_back(s);
  }
  std::atomic<bool> done{false};
  // One byte a second on every slow connection, until the server drops it.
  std::thread trickle([&] {
    for (std::size_t k = 0; k < head.size() && !done; ++k) {
      for (int s : slow)
        send(s, &head[k], 1, MSG_NOSIGNAL);
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
  });

  Api api(backend);
  double worst = 0;
  for (int i = 0; i < 20; ++i) {
    auto t0 = Clock::now();
    EXPECT_EQ(api.get("/auth/v1/health").status, 200);
    EXPECT_EQ(api.get("/rest/v1/objetivo?select=id&limit=1").status, 200);
    worst = std::max(worst, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }

  // Each slow client gets a 408 once its head has taken too long.
  int timedOut = 0;
  auto t0 = Clock::now();
  for (int s : slow) {
    RawReply r = readReply(s, std::chrono::seconds(30));
    timedOut += r.status == 408;
  }
  double dropAfter = std::chrono::duration<double>(Clock::now() - t0).count();
  done = true;
  trickle.join();
  for (int s : slow)
    close(s);
  std::printf("%d slow clients: other requests took at most %.1f ms; all slow clients answered 408 within %.1f s\n",
              kSlow, worst, dropAfter);
  EXPECT_EQ(timedOut, kSlow);
  EXPECT_LT(worst, 2000.0);
}
