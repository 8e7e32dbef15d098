// Hostile input, token and session checks, and the database's isolation.
#include "HttpSupport.h"
#include "RawHttp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace varnel::test;

namespace {

std::string replaceAll(std::string s, const std::string &from, const std::string &to) {
  for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
    s.replace(p, from.size(), to);
  return s;
}

std::string request(const std::string &line, const std::string &headers = "", const std::string &body = "") {
  return line + "\r\nHost: 127.0.0.1\r\napikey: {KEY}\r\n" + headers + "\r\n" + body;
}

std::string post(const std::string &path, const std::string &body) {
  return request("POST " + path + " HTTP/1.1",
                 "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n", body);
}

struct Hostile {
  const char *name;
  std::string bytes; // {KEY} stands for the anon key
  int status;
};

} // namespace

TEST(Hostile, EveryRequestGetsAJsonErrorAndTheServerStaysUp) {
  auto &backend = LocalBackend::shared();
  std::string deep = "{\"nome_razao\":" + std::string(100000, '[') + std::string(100000, ']') + "}";
  std::string manyHeaders;
  for (int i = 0; i < 1000; ++i)
    manyHeaders += "X-H" + std::to_string(i) + ": v\r\n";
  const Hostile cases[] = {
      {"invalid UTF-8 in a query name, with a row range",
       request("GET /rest/v1/cliente?%FF=eq.1 HTTP/1.1", "Range: 0-9\r\n"), 400},
      {"invalid UTF-8 in a query name", request("GET /rest/v1/cliente?%FF=eq.1 HTTP/1.1"), 400},
      {"invalid UTF-8 in a query value", request("GET /rest/v1/cliente?nome_razao=eq.%C3%28 HTTP/1.1"), 400},
      {"NUL in a query value", request("GET /rest/v1/cliente?nome_razao=eq.a%00b HTTP/1.1"), 400},
      {"100,000 nested arrays in a table body", post("/rest/v1/cliente", deep), 400},
      {"nested arrays in an auth body", post("/auth/v1/signup", "{\"data\":" + std::string(5000, '[') + "}"), 400},
      {"NUL in a password", post("/auth/v1/signup", R"({"email":"nul@varnel.local","password":"abc\u0000defgh"})"),
       400},
      {"NUL in a table value", post("/rest/v1/objetivo", R"({"descricao":"a\u0000b"})"), 400},
      {"unknown route", request("GET /nothing/here HTTP/1.1"), 404},
      {"unknown method", request("BREW /rest/v1/cliente HTTP/1.1"), 405},
      {"POST without Content-Length", request("POST /auth/v1/signup HTTP/1.1"), 411},
      {"malformed request line", "GARBAGE\r\n\r\n", 400},
      {"request line without version", "GET /\r\n\r\n", 400},
      {"bad byte range on a download",
       request("GET /storage/v1/object/atendimento_imagem/x.jpg HTTP/1.1", "Range: bytes=9-1,abc\r\n"), 416},
      {"invalid UTF-8 in a stored object's name", request("GET /storage/v1/object/atendimento_imagem/%FF HTTP/1.1"),
       400},
      {"invalid UTF-8 in a header", request("GET /auth/v1/health HTTP/1.1", "X-Name: \xFF\xFE\r\n"), 400},
      {"a table body over 10 MB",
       request("POST /rest/v1/cliente HTTP/1.1", "Content-Type: application/json\r\nContent-Length: 11600000\r\n"),
       413},
      {"an auth body over 1 MB",
       request("POST /auth/v1/signup HTTP/1.1", "Content-Type: application/json\r\nContent-Length: 2000000\r\n"), 413},
      {"1,000 header lines", request("GET /auth/v1/health HTTP/1.1", manyHeaders), 431},
      {"a 40 KB header", request("GET /auth/v1/health HTTP/1.1", "X-Big: " + std::string(40000, 'a') + "\r\n"), 431},
      {"a 20 KB request line", request("GET /rest/v1/cliente?q=" + std::string(20000, 'a') + " HTTP/1.1"), 414},
  };
  Api api(backend);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    RawReply r = rawExchange(backend.port(), replaceAll(c.bytes, "{KEY}", backend.anonKey()));
    EXPECT_EQ(r.status, c.status) << r.head;
    auto body = Json::parse(r.body, nullptr, false);
    EXPECT_TRUE(body.is_object()) << r.body;
    EXPECT_EQ(r.head.find("EXCEPTION_WHAT"), std::string::npos);
    EXPECT_EQ(api.get("/auth/v1/health").status, 200);
  }
}

TEST(Hostile, AHugeRowRangeEndStillReturnsTheRows) {
  auto &backend = LocalBackend::shared();
  backend.reset();
  backend.sql("insert into public.objetivo (descricao) values ('Visita técnica')");
  Api api(backend);
  api.signInAs(backend.adminEmail(), backend.adminPassword());
  Reply r = api.get("/rest/v1/objetivo?select=descricao", {{"Range", "0-9223372036854775807"}});
  ASSERT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(r.json().size(), 1u) << r.body;
  r = api.get("/rest/v1/objetivo?select=descricao&offset=9223372036854775806&limit=9223372036854775807");
  EXPECT_EQ(r.status, 200) << r.body;
}

TEST(Tokens, AltersOfAValidTokenAreRefused) {
  auto &backend = LocalBackend::shared();
  Api api(backend);
  Json session = api.signInAs(backend.adminEmail(), backend.adminPassword());
  std::string token = session["access_token"];
  std::string standard = token;
  std::replace(standard.begin(), standard.end(), '-', '+');
  std::replace(standard.begin(), standard.end(), '_', '/');
  std::vector<std::pair<const char *, std::string>> forged = {{"padding and garbage appended", token + "=garbage"},
                                                              {"one character appended", token + "A"}};
  if (standard != token)
    forged.emplace_back("standard base64 alphabet", standard);
  for (const auto &[name, bad] : forged) {
    SCOPED_TRACE(name);
    Api forger(backend);
    forger.useToken(bad);
    EXPECT_EQ(forger.get("/auth/v1/user").status, 403);
    EXPECT_EQ(forger.get("/rest/v1/cliente").status, 401);
    EXPECT_EQ(forger.post("/functions/v1/admin-update-user-password", Json::object()).status, 401);
  }
}

TEST(Tokens, SigningOutEndsTheTokenEverywhere) {
  auto &backend = LocalBackend::shared();
  backend.reset();
  Api first(backend), second(backend);
  std::string firstToken = first.signInAs(backend.adminEmail(), backend.adminPassword())["access_token"];
  second.signInAs(backend.adminEmail(), backend.adminPassword());
  ASSERT_EQ(first.get("/rest/v1/cliente").status, 200);

  // A global sign-out from another client ends every session of the user.
  EXPECT_EQ(second.send("POST", "/auth/v1/logout?scope=global").status, 204);
  Json change = {
      {"userId", backend.sqlValue("select id from auth.users where email = $1", {backend.consultantEmail()})},
      {"nome", "Carla"},
      {"email", backend.consultantEmail()},
      {"role", "veterinario"},
      {"password", "tomada-123"}};
  EXPECT_EQ(first.get("/auth/v1/user").status, 403);
  Reply r = first.get("/rest/v1/cliente");
  EXPECT_EQ(r.status, 401);
  EXPECT_EQ(r.json().value("code", ""), "PGRST303");
  r = first.post("/functions/v1/admin-update-user-password", change);
  EXPECT_EQ(r.status, 401);
  EXPECT_EQ(r.json().value("error", ""), "Invalid credentials");
  EXPECT_EQ(first.get("/storage/v1/object/atendimento_imagem/x.jpg").status, 403);
  Api consultant(backend);
  EXPECT_EQ(consultant.signIn(backend.consultantEmail(), backend.consultantPassword()).status, 200);
}

TEST(Database, ListensOnlyOnAPrivateUnixSocket) {
  auto &backend = LocalBackend::shared();
  EXPECT_EQ(backend.sqlValue("show listen_addresses"), "");
  std::string conninfo = backend.databaseConninfo();
  auto host = conninfo.substr(conninfo.find("host=") + 5);
  host = host.substr(0, host.find(' '));
  struct stat st {};
  ASSERT_EQ(stat(host.c_str(), &st), 0) << host;
  EXPECT_EQ(st.st_mode & 077, 0u) << host;
}

namespace {

// A devserver run directly, for tests of its process: killing it, or
// restarting it on the same port.
struct Spawned {
  pid_t pid = -1;
  std::map<std::string, std::string> values;
  bool ready = false;

  explicit Spawned(std::vector<std::string> args) {
    args.insert(args.begin(), VARNEL_DEVSERVER_BINARY);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
      return;
    pid = fork();
    if (pid == 0) {
      dup2(out[1], STDOUT_FILENO);
      std::vector<char *> argv;
      for (auto &a : args)
        argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    std::string buffer;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!ready && std::chrono::steady_clock::now() < deadline) {
      pollfd p{out[0], POLLIN, 0};
      if (poll(&p, 1, 200) <= 0)
        continue;
      char chunk[512];
      ssize_t n = read(out[0], chunk, sizeof chunk);
      if (n <= 0)
        break;
      buffer.append(chunk, static_cast<std::size_t>(n));
      for (std::size_t nl; (nl = buffer.find('\n')) != std::string::npos; buffer.erase(0, nl + 1)) {
        std::string line = buffer.substr(0, nl);
        if (line == "READY")
          ready = true;
        else if (auto eq = line.find('='); eq != std::string::npos)
          values[line.substr(0, eq)] = line.substr(eq + 1);
      }
    }
    close(out[0]);
  }
  int stop(int signal) {
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return status;
  }
  ~Spawned() {
    if (pid > 0)
      stop(SIGTERM);
  }
};

} // namespace

TEST(Process, TheDatabaseIsRemovedWhenTheServerIsKilled) {
  Spawned server(
      {"--ephemeral-db", "--template-cache", "--port", "0", "--seed", "none", "--sql-dir", VARNEL_DEVSERVER_SQL_DIR});
  ASSERT_TRUE(server.ready);
  std::string db = server.values["DB"];
  std::string dir = db.substr(5, db.find(' ') - 5);
  ASSERT_TRUE(std::filesystem::exists(dir)) << dir;
  server.stop(SIGKILL);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::filesystem::exists(dir) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(std::filesystem::exists(dir)) << dir;
}

TEST(Process, ARestartBindsThePortAtOnce) {
  auto &backend = LocalBackend::shared();
  int port = 0;
  {
    Spawned first({"--db", backend.databaseConninfo(), "--port", "0", "--seed", "none"});
    ASSERT_TRUE(first.ready);
    std::string url = first.values["URL"];
    port = std::stoi(url.substr(url.rfind(':') + 1));
    // The server closes this connection first, which leaves it in TIME_WAIT
    // on the server's port.
    RawReply r = rawExchange(port, "GET /auth/v1/health HTTP/1.1\r\nHost: x\r\napikey: " + first.values["ANON_KEY"] +
                                       "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(r.status, 200);
  }
  Spawned second({"--db", backend.databaseConninfo(), "--port", std::to_string(port), "--seed", "none"});
  EXPECT_TRUE(second.ready);
}
