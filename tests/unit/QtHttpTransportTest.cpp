// The real Qt Network transport against a small HTTP server on loopback.
#include "backend/QtHttpTransport.h"
#include "backend/BackendClient.h"
#include "backend/RestQuery.h"
#include "base/Cancellation.h"
#include "base/Errors.h"
#include "support/Await.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace varnel;
using test::await;

namespace {

struct Seen {
  std::string method, target, body;
  httplib::Headers headers;
};

class LoopbackServer {
public:
  LoopbackServer() {
    auto handler = [this](const httplib::Request &req, httplib::Response &res) {
      {
        std::lock_guard lock(m_mutex);
        // httplib decodes the query; req.target keeps the raw request target.
        m_seen.push_back({req.method, req.target, req.body, req.headers});
      }
      if (req.path == "/rest/v1/slow") {
        // Answers only once the test lets it (or after a minute, so that a
        // failed test cannot hang the server thread for ever).
        std::unique_lock lock(m_mutex);
        m_slowArrived = true;
        m_released.wait_for(lock, std::chrono::minutes(1), [this] { return m_releaseSlow; });
        res.set_content(R"([{"late":true}])", "application/json");
        return;
      }
      if (req.path == "/rest/v1/broken") {
        res.status = 503;
        res.set_content("down for maintenance", "text/plain");
        return;
      }
      res.status = req.method == "POST" ? 201 : 200;
      res.set_content(R"([{"ok":true}])", "application/json");
    };
    m_server.Get(".*", handler);
    m_server.Post(".*", handler);
    m_server.Patch(".*", handler);
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ~LoopbackServer() {
    releaseSlow();
    m_server.stop();
    m_thread.join();
  }
  int port() const { return m_port; }
  Seen last() {
    std::lock_guard lock(m_mutex);
    return m_seen.back();
  }

  bool slowArrived() {
    std::lock_guard lock(m_mutex);
    return m_slowArrived;
  }
  void releaseSlow() {
    {
      std::lock_guard lock(m_mutex);
      m_releaseSlow = true;
    }
    m_released.notify_all();
  }
  std::size_t requestCount() {
    std::lock_guard lock(m_mutex);
    return m_seen.size();
  }

private:
  std::condition_variable m_released;
  bool m_slowArrived = false;
  bool m_releaseSlow = false;
  httplib::Server m_server;
  std::thread m_thread;
  int m_port = 0;
  std::mutex m_mutex;
  std::vector<Seen> m_seen;
};

std::string header(const Seen &seen, const char *name) {
  const auto it = seen.headers.find(name);
  return it == seen.headers.end() ? std::string("<absent>") : it->second;
}

// Runs the Qt event loop until condition holds or ten seconds have passed.
bool pumpUntil(const std::function<bool()> &condition) {
  QDeadlineTimer deadline(std::chrono::seconds(10));
  while (!condition() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return condition();
}

struct Outcome {
  bool ended = false;
  std::optional<int> status;
  std::optional<QString> transportError;
};

QCoro::Task<void> sendInto(std::shared_ptr<QtHttpTransport> transport, HttpRequest request,
                           std::shared_ptr<Outcome> outcome) {
  try {
    const HttpResponse response = co_await transport->send(std::move(request));
    outcome->status = response.status;
  } catch (const TransportError &e) {
    outcome->transportError = e.description();
  }
  outcome->ended = true;
}

} // namespace

TEST(QtHttpTransport, SendsTheComposedRequestUnchanged) {
  LoopbackServer server;
  BackendClient client(
      BackendConfig::make(QStringLiteral("http://127.0.0.1:%1").arg(server.port()), QStringLiteral("anon")),
      std::make_shared<QtHttpTransport>());

  await(client.from(QStringLiteral("cliente"))
            .select(QStringLiteral("id, nome_razao"))
            .orFilter(QStringLiteral("nome_razao.ilike.\"%A&B, Cia%\""))
            .order(QStringLiteral("nome_razao"), true)
            .execute());
  Seen seen = server.last();
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.target, "/rest/v1/cliente?select=id%2Cnome_razao&or=%28nome_razao.ilike.%22%25A%26B%2C%20Cia%25%22%29"
                         "&order=nome_razao.asc.nullslast");
  EXPECT_EQ(header(seen, "Content-Type"), "application/json");
  EXPECT_EQ(header(seen, "Accept-Profile"), "public");
  EXPECT_EQ(header(seen, "Apikey"), "anon");

  wire::Json body = wire::Json::object();
  body["nome_razao"] = "Cooperativa São José";
  await(client.from(QStringLiteral("cliente")).insert(body).execute());
  seen = server.last();
  EXPECT_EQ(seen.method, "POST");
  EXPECT_EQ(seen.body, R"({"nome_razao":"Cooperativa São José"})");
  EXPECT_EQ(header(seen, "Content-Profile"), "public");

  // A body-less write still announces its (empty) length.
  HttpRequest logout;
  logout.method = "POST";
  logout.url = QStringLiteral("http://127.0.0.1:%1/auth/v1/logout?scope=global").arg(server.port()).toUtf8();
  const HttpResponse answered = await(QtHttpTransport().send(logout));
  EXPECT_EQ(answered.status, 201);
  EXPECT_EQ(header(server.last(), "Content-Length"), "0");

  try {
    await(client.from(QStringLiteral("broken")).select(QStringLiteral("*")).execute());
    FAIL();
  } catch (const HttpError &e) {
    EXPECT_EQ(e.description(), QStringLiteral("Status Code: 503 Body: down for maintenance"));
  }
}

TEST(QtHttpTransport, RefusedConnectionIsATransportError) {
  int port;
  {
    LoopbackServer server; // take a free port, then close it
    port = server.port();
  }
  BackendClient client(BackendConfig::make(QStringLiteral("http://127.0.0.1:%1").arg(port), QStringLiteral("anon")),
                       std::make_shared<QtHttpTransport>());
  try {
    await(client.from(QStringLiteral("cliente")).select(QStringLiteral("*")).execute());
    FAIL();
  } catch (const TransportError &e) {
    EXPECT_FALSE(e.description().isEmpty());
  }
}

// Cancelling a request whose reply is on its way aborts the reply: send()
// ends at once while the server is still holding its answer back.
TEST(QtHttpTransport, CancellingAbortsTheReplyUnderWay) {
  LoopbackServer server;
  auto transport = std::make_shared<QtHttpTransport>();
  CancellationSource cancellation;
  HttpRequest request;
  request.method = "GET";
  request.url = QStringLiteral("http://127.0.0.1:%1/rest/v1/slow").arg(server.port()).toUtf8();
  request.cancellation = cancellation.token();
  auto outcome = std::make_shared<Outcome>();
  QCoro::Task<void> running = sendInto(transport, request, outcome);

  ASSERT_TRUE(pumpUntil([&] { return server.slowArrived(); }));
  EXPECT_FALSE(outcome->ended);
  cancellation.cancel();
  ASSERT_TRUE(pumpUntil([&] { return outcome->ended; }));
  EXPECT_EQ(outcome->transportError, cancelledRequestDescription());
  EXPECT_FALSE(outcome->status);
  server.releaseSlow();
}

TEST(QtHttpTransport, ARequestCancelledBeforeItIsSentNeverLeaves) {
  LoopbackServer server;
  auto transport = std::make_shared<QtHttpTransport>();
  CancellationSource cancellation;
  cancellation.cancel();
  HttpRequest request;
  request.method = "GET";
  request.url = QStringLiteral("http://127.0.0.1:%1/rest/v1/cliente").arg(server.port()).toUtf8();
  request.cancellation = cancellation.token();
  auto outcome = std::make_shared<Outcome>();
  QCoro::Task<void> running = sendInto(transport, request, outcome);
  ASSERT_TRUE(pumpUntil([&] { return outcome->ended; }));
  EXPECT_EQ(outcome->transportError, cancelledRequestDescription());

  // A request sent after it on the same transport does reach the server, so
  // the first one would have been seen had it been sent.
  auto second = std::make_shared<Outcome>();
  request.cancellation = CancellationToken();
  QCoro::Task<void> next = sendInto(transport, request, second);
  ASSERT_TRUE(pumpUntil([&] { return second->ended; }));
  EXPECT_EQ(second->status, 200);
  EXPECT_EQ(server.requestCount(), 1u);
}
