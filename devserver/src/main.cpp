// varnel-devserver: the hosted back-end's HTTP API (tables, auth, file
// storage, server function) on 127.0.0.1, over a real PostgreSQL server.
#include "Cluster.h"
#include "HttpGuard.h"
#include "Seed.h"
#include "Service.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#ifndef VARNEL_DEVSERVER_SQL_DIR
#define VARNEL_DEVSERVER_SQL_DIR "sql"
#endif

using namespace devserver;

namespace {

// The client's built-in anonymous key is this payload signed with the
// default secret; it is re-signed here so another secret gets its own key.
const char *kAnonPayload = R"({"iss":"varnel-local","ref":"127","role":"anon","iat":1765411200,"exp":2080771200})";
const char *kServicePayload =
    R"({"iss":"varnel-local","ref":"127","role":"service_role","iat":1765411200,"exp":2080771200})";

constexpr int kWorkers = 256;
constexpr int kListenBacklog = 1024;

struct Options {
  Config config;
  int port = 54321;
  std::string db;
  bool ephemeralDb = false;
  std::string pgBin = "/usr/lib/postgresql/15/bin";
  std::string sqlDir = VARNEL_DEVSERVER_SQL_DIR;
  std::string seed = "users";
  bool exitOnStdinEof = false;
  bool templateCache = false;
  Account admin{"admin@varnel.local", "", "Administrador Varnel", "administrador", ""};
  Account consultant{"consultor@varnel.local", "", "Carla Consultora", "veterinario", ""};
};

void usage() {
  std::puts("usage: varnel-devserver (--ephemeral-db | --db CONNINFO) [options]\n"
            "  --port P                    port on 127.0.0.1 (default 54321, 0 picks a free one)\n"
            "  --ephemeral-db              create a throwaway PostgreSQL cluster, removed on exit\n"
            "  --db CONNINFO               use an existing database (libpq connection string)\n"
            "  --pg-bin DIR                PostgreSQL programs (default /usr/lib/postgresql/15/bin)\n"
            "  --sql-dir DIR               folder holding schema.sql\n"
            "  --seed none|users|demo      accounts only (default), nothing, or demo data too\n"
            "  --jwt-secret S              HS256 secret (default: the development secret)\n"
            "  --access-token-lifetime S   access-token lifetime in seconds (default 3600)\n"
            "  --max-rows N                cap every table reply at N rows\n"
            "  --email-confirmation        sign-up returns the user only; sign-in waits for confirmation\n"
            "  --admin-email E --admin-password P\n"
            "  --consultant-email E --consultant-password P\n"
            "  --template-cache            with --ephemeral-db: copy a cached initdb result from /tmp\n"
            "  --exit-on-stdin-eof         stop when standard input closes\n"
            "  --log-requests              log method, path and status to stderr");
}

bool parseInt(const std::string &s, int &out, int min) {
  try {
    std::size_t n = 0;
    int v = std::stoi(s, &n);
    if (n != s.size() || v < min)
      return false;
    out = v;
    return true;
  } catch (...) {
    return false;
  }
}

std::optional<Options> parseOptions(int argc, char **argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc)
        return std::nullopt;
      return std::string(argv[++i]);
    };
    std::optional<std::string> v;
    bool ok = true;
    if (a == "--help" || a == "-h") {
      usage();
      std::exit(0);
    } else if (a == "--ephemeral-db") {
      o.ephemeralDb = true;
    } else if (a == "--email-confirmation") {
      o.config.emailConfirmation = true;
    } else if (a == "--template-cache") {
      o.templateCache = true;
    } else if (a == "--exit-on-stdin-eof") {
      o.exitOnStdinEof = true;
    } else if (a == "--log-requests") {
      o.config.logRequests = true;
    } else if (!(v = value())) { // NOLINT(bugprone-assignment-in-if-condition): every later branch needs it
      ok = false;
    } else if (a == "--port") {
      ok = parseInt(*v, o.port, 0) && o.port <= 65535;
    } else if (a == "--db") {
      o.db = *v;
    } else if (a == "--pg-bin") {
      o.pgBin = *v;
    } else if (a == "--sql-dir") {
      o.sqlDir = *v;
    } else if (a == "--seed") {
      o.seed = *v;
      ok = o.seed == "none" || o.seed == "users" || o.seed == "demo";
    } else if (a == "--jwt-secret") {
      o.config.jwtSecret = *v;
      ok = o.config.jwtSecret.size() >= 32;
    } else if (a == "--access-token-lifetime") {
      ok = parseInt(*v, o.config.accessTokenLifetime, 1);
    } else if (a == "--max-rows") {
      ok = parseInt(*v, o.config.maxRows, 1);
    } else if (a == "--admin-email") {
      o.admin.email = *v;
    } else if (a == "--admin-password") {
      o.admin.password = *v;
    } else if (a == "--consultant-email") {
      o.consultant.email = *v;
    } else if (a == "--consultant-password") {
      o.consultant.password = *v;
    } else {
      std::fprintf(stderr, "varnel-devserver: unknown option %s\n", a.c_str());
      return std::nullopt;
    }
    if (!ok) {
      std::fprintf(stderr, "varnel-devserver: missing or invalid value for %s\n", a.c_str());
      return std::nullopt;
    }
  }
  if (o.ephemeralDb == !o.db.empty()) {
    std::fprintf(stderr, "varnel-devserver: give exactly one of --ephemeral-db and --db\n");
    return std::nullopt;
  }
  for (Account *a : {&o.admin, &o.consultant}) {
    if (a->password.empty())
      a->password = randomToken(12);
    else if (a->password.size() < 6) {
      std::fprintf(stderr, "varnel-devserver: passwords need at least 6 characters\n");
      return std::nullopt;
    }
  }
  return o;
}

std::string readFile(const std::string &path) {
  std::ifstream in(path);
  if (!in)
    throw std::runtime_error("cannot read " + path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void prepareDatabase(Context &ctx, Options &o) {
  auto lease = ctx.adminPool.acquire();
  auto exists = lease->exec("select to_regclass('public.atendimento_externo') is not null");
  bool fresh = exists.text(0, 0) != "t";
  if (fresh)
    lease->execScript(readFile(o.sqlDir + "/schema.sql"));
  if (o.seed != "none") {
    inTransaction(*lease, [&] {
      seedAccount(*lease, o.admin);
      seedAccount(*lease, o.consultant);
    });
  }
  if (o.seed == "demo") {
    auto any = lease->exec("select exists (select 1 from public.atendimento_externo)");
    if (any.text(0, 0) != "t") {
      std::vector<Account> people = {o.admin, o.consultant};
      const char *extra[][2] = {{"marcos.vet@varnel.local", "Marcos Teixeira"},
                                {"juliana.vet@varnel.local", "Juliana Ribeiro"},
                                {"paulo.vet@varnel.local", "Paulo Nogueira"}};
      for (auto &e : extra) {
        Account a{e[0], randomToken(12), e[1], "veterinario", ""};
        inTransaction(*lease, [&] { seedAccount(*lease, a); });
        people.push_back(a);
      }
      seedDemo(*lease, people);
    }
  }
  ctx.catalog.load(*lease);
}

} // namespace

int main(int argc, char **argv) {
  auto parsed = parseOptions(argc, argv);
  if (!parsed) {
    usage();
    return 2;
  }
  Options o = *parsed;

  // Signals are taken by one thread that stops the server, so the
  // database is always shut down and removed on the way out.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<Cluster> cluster;
  std::unique_ptr<Context> ctx;
  // Each connection holds a worker while it is open (keep-alive included),
  // so there are enough workers for a few hundred clients; slow clients are
  // dropped by the guarded stream's deadlines.
  GuardedServer svr{HttpLimits{}};
  int listenSocket = -1;
  try {
    std::string conninfo = o.db;
    if (o.ephemeralDb) {
      cluster = std::make_unique<Cluster>(o.pgBin, o.templateCache);
      // The template is cached with the schema already loaded.
      std::string schema = readFile(o.sqlDir + "/schema.sql");
      cluster->setTemplateSetup(schema, [&schema](const std::string &conninfo) {
        Pool pool(conninfo, "postgres", 1);
        pool.acquire()->execScript(schema);
      });
      cluster->start();
      conninfo = cluster->conninfo();
    }
    ctx = std::make_unique<Context>(o.config, conninfo);
    prepareDatabase(*ctx, o);

    svr.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    svr.set_payload_max_length(svr.limits().maxTableBody);
    // Only advertised in the Keep-Alive header: the guarded stream applies them.
    svr.set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(svr.limits().keepAliveWait).count());
    svr.set_keep_alive_max_count(svr.limits().keepAliveMaxRequests);
    // SO_REUSEADDR lets a restarted server bind at once while connections of
    // the last one are in TIME_WAIT. httplib's default adds SO_REUSEPORT,
    // which would let a second server bind the same port unnoticed.
    svr.set_socket_options([&listenSocket](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
      listenSocket = sock;
    });
    installApiKeyGate(svr, *ctx);
    registerRest(svr, *ctx);
    registerAuth(svr, *ctx);
    registerStorage(svr, *ctx);
    registerFunctions(svr, *ctx);

    int port = o.port;
    if (port == 0) {
      port = svr.bind_to_any_port("127.0.0.1");
      if (port < 0)
        throw std::runtime_error("cannot bind a port on 127.0.0.1");
    } else if (!svr.bind_to_port("127.0.0.1", port)) {
      throw std::runtime_error("cannot bind 127.0.0.1:" + std::to_string(port) + " (is another server running there?)");
    }
    // httplib listens with a backlog of 5, which makes bursts of new
    // connections wait for SYN retries; a second listen() raises it.
    if (listenSocket >= 0)
      ::listen(listenSocket, kListenBacklog);
    ctx->config.publicUrl = "http://127.0.0.1:" + std::to_string(port);

    std::printf("URL=%s\n", ctx->config.publicUrl.c_str());
    std::printf("ANON_KEY=%s\n", ctx->signer.sign(std::string(kAnonPayload)).c_str());
    std::printf("SERVICE_ROLE_KEY=%s\n", ctx->signer.sign(std::string(kServicePayload)).c_str());
    std::printf("DB=%s user=postgres\n", conninfo.c_str());
    if (o.seed != "none") {
      std::printf("ADMIN_EMAIL=%s\nADMIN_PASSWORD=%s\n", o.admin.email.c_str(), o.admin.password.c_str());
      std::printf("CONSULTANT_EMAIL=%s\nCONSULTANT_PASSWORD=%s\n", o.consultant.email.c_str(),
                  o.consultant.password.c_str());
    }
    std::printf("READY\n");
    std::fflush(stdout);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "varnel-devserver: %s\n", e.what());
    ctx.reset();
    cluster.reset();
    return 1;
  }

  // A stop may be asked for before the server has started listening, when
  // stop() would be ignored, so wait for it to run first.
  std::atomic<bool> listenDone{false};
  auto requestStop = [&svr, &listenDone] {
    while (!svr.is_running() && !listenDone)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    svr.stop();
  };
  std::thread([requestStop, stopSignals] {
    int sig = 0;
    sigwait(&stopSignals, &sig);
    requestStop();
  }).detach();
  if (o.exitOnStdinEof) {
    std::thread([requestStop] {
      char buf[256];
      while (read(STDIN_FILENO, buf, sizeof buf) > 0) {
      }
      requestStop();
    }).detach();
  }

  svr.listen_after_bind();
  listenDone = true;
  ctx.reset();
  if (cluster)
    cluster->stop();
  return 0;
}
