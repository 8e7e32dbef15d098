#include "Cluster.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace devserver {

namespace fs = std::filesystem;

Cluster::Cluster(std::string binDir, bool useTemplate) : m_binDir(std::move(binDir)), m_useTemplate(useTemplate) {}

std::vector<std::string> Cluster::initdbArgs(const std::string &data) const {
  return {"-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8", "--locale=C.UTF-8", "--no-sync"};
}

namespace {

bool chownToPostgres(const std::string &path) {
  if (geteuid() != 0)
    return true;
  passwd *pw = getpwnam("postgres");
  return pw && chown(path.c_str(), pw->pw_uid, pw->pw_gid) == 0;
}

} // namespace

// The cached data folder, made on first use. Several processes may race to
// make it: each builds its own copy and only one rename wins.
std::string Cluster::templateData(const std::string &log) {
  std::string key;
  for (const auto &a : initdbArgs(""))
    key += a + " ";
  char hash[32];
  std::snprintf(hash, sizeof hash, "%016zx", std::hash<std::string>{}(m_binDir + "|" + key + "|" + m_templateKey));
  std::string dir = std::string("/tmp/varnel-pg-template-") + hash + "-" + std::to_string(geteuid());
  struct stat st {};
  if (lstat(dir.c_str(), &st) == 0) {
    // Only a folder this program made is trusted, never a look-alike
    // that another user placed in /tmp.
    passwd *pw = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    uid_t owner = pw ? pw->pw_uid : geteuid();
    if (S_ISDIR(st.st_mode) && st.st_uid == owner && (st.st_mode & 077) == 0 && fs::exists(dir + "/data/PG_VERSION"))
      return dir + "/data";
    throw std::runtime_error(dir + " exists but was not made by this program");
  }
  char stage[] = "/tmp/varnel-pg-stage-XXXXXX";
  if (!mkdtemp(stage) || !chownToPostgres(stage))
    throw std::runtime_error("cannot create a folder for the database template");
  auto fail = [&](const std::string &why) {
    std::error_code ec;
    fs::remove_all(stage, ec);
    throw std::runtime_error(why);
  };
  std::string stageData = std::string(stage) + "/data";
  if (run(m_binDir + "/initdb", initdbArgs(stageData), log) != 0)
    fail("initdb failed");
  if (m_templateSetup) {
    if (!launch(stageData, stage, log))
      fail("PostgreSQL did not start");
    std::string error;
    try {
      m_templateSetup("host=" + std::string(stage) + " port=" + std::to_string(m_port) + " dbname=postgres");
    } catch (const std::exception &e) {
      error = e.what();
    }
    run("pg_ctl", {"-D", stageData, "-m", "fast", "-w", "-t", "30", "stop"}, "/dev/null");
    if (!error.empty())
      fail("preparing the database template failed: " + error);
  }
  if (::rename(stage, dir.c_str()) != 0) {
    std::error_code ec;
    fs::remove_all(stage, ec);
  }
  return dir + "/data";
}

Cluster::~Cluster() {
  try {
    stop();
  } catch (...) {
  }
}

int Cluster::run(const std::string &program, const std::vector<std::string> &args, const std::string &logFile) {
  std::vector<std::string> argv;
  if (geteuid() == 0) {
    argv = {"runuser", "-u", "postgres", "--"};
  }
  argv.push_back(program.front() == '/' ? program : m_binDir + "/" + program);
  argv.insert(argv.end(), args.begin(), args.end());
  pid_t pid = fork();
  if (pid < 0)
    throw std::runtime_error("cannot start " + program);
  if (pid == 0) {
    int fd = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) {
      dup2(devnull, STDIN_FILENO);
      close(devnull);
    }
    std::vector<char *> cargv;
    for (auto &a : argv)
      cargv.push_back(a.data());
    cargv.push_back(nullptr);
    execvp(cargv[0], cargv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts a server on data that listens only on a Unix socket in sockDir, a
// folder of mode 0700: no TCP port, and no other local user can reach it.
bool Cluster::launch(const std::string &data, const std::string &sockDir, const std::string &log) {
  m_port = kSocketPort;
  std::string options = "-p " + std::to_string(m_port) + " -k " + sockDir +
                        " -c listen_addresses='' -c unix_socket_permissions=0700 -c fsync=off"
                        " -c synchronous_commit=off -c full_page_writes=off -c max_connections=60";
  // pg_ctl's own wait polls ten times a second; polling here is quicker.
  if (run("pg_ctl", {"-D", data, "-o", options, "-l", log, "-W", "start"}, "/dev/null") != 0)
    return false;
  std::string info =
      "host=" + sockDir + " port=" + std::to_string(m_port) + " dbname=postgres user=postgres connect_timeout=2";
  for (int i = 0; i < 3000; ++i) {
    PGPing ping = PQping(info.c_str());
    if (ping == PQPING_OK)
      return true;
    if (ping == PQPING_NO_ATTEMPT)
      break;
    if (!fs::exists(data + "/postmaster.pid") && i > 50)
      break; // the server gave up
    usleep(10 * 1000);
  }
  run("pg_ctl", {"-D", data, "-m", "immediate", "-w", "-t", "30", "stop"}, "/dev/null");
  return false;
}

// A child process that outlives a crash of this one: it waits on a pipe whose
// write end only this process holds. A byte on it means the cluster was
// stopped in order; end of file without one means this process is gone, and
// the watchdog stops the cluster and removes its folder.
void Cluster::startWatchdog() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    throw std::runtime_error("cannot create the database watchdog's pipe");
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    throw std::runtime_error("cannot start the database watchdog");
  }
  if (pid == 0) {
    // Its own session, so a signal to this process group (Ctrl-C) leaves it
    // running until the server is gone; no inherited descriptor but the pipe.
    setsid();
    int devnull = open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
      dup2(devnull, fd);
    for (int fd = 3; fd < 4096; ++fd) {
      if (fd != fds[0])
        close(fd);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGINT, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
    char byte;
    ssize_t n;
    do {
      n = read(fds[0], &byte, 1);
    } while (n < 0 && errno == EINTR);
    if (n != 1) {
      stopServer();
      std::error_code ec;
      fs::remove_all(m_dir, ec);
    }
    _exit(0);
  }
  close(fds[0]);
  m_watchdogPipe = fds[1];
  m_watchdogPid = pid;
}

void Cluster::dismissWatchdog() {
  if (m_watchdogPid <= 0)
    return;
  ssize_t n = write(m_watchdogPipe, "q", 1);
  (void)n;
  close(m_watchdogPipe);
  int status = 0;
  while (waitpid(m_watchdogPid, &status, 0) < 0 && errno == EINTR) {
  }
  m_watchdogPid = -1;
  m_watchdogPipe = -1;
}

void Cluster::start() {
  char tmpl[] = "/tmp/varnel-pg-XXXXXX";
  if (!mkdtemp(tmpl))
    throw std::runtime_error("cannot create a temporary folder for the database");
  m_dir = tmpl;
  if (geteuid() == 0) {
    passwd *pw = getpwnam("postgres");
    if (!pw)
      throw std::runtime_error("running as root needs the \"postgres\" system user");
    if (chown(m_dir.c_str(), pw->pw_uid, pw->pw_gid) != 0)
      throw std::runtime_error("cannot hand " + m_dir + " to the postgres user");
  }
  std::string data = m_dir + "/data";
  std::string log = m_dir + "/postgres.log";
  { std::ofstream touch(log); }
  if (geteuid() == 0) {
    passwd *pw = getpwnam("postgres");
    if (chown(log.c_str(), pw->pw_uid, pw->pw_gid) != 0)
      throw std::runtime_error("cannot hand the log file to the postgres user");
  }
  auto readLog = [&] {
    std::ifstream in(log);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  if (m_useTemplate) {
    std::string source;
    try {
      source = templateData(log);
    } catch (const std::exception &e) {
      throw std::runtime_error(std::string(e.what()) + ":\n" + readLog());
    }
    if (run("/bin/cp", {"-a", source, data}, log) != 0)
      throw std::runtime_error("cannot copy the database template:\n" + readLog());
  } else if (run("initdb", initdbArgs(data), log) != 0) {
    throw std::runtime_error("initdb failed:\n" + readLog());
  }
  if (!launch(data, m_dir, log))
    throw std::runtime_error("PostgreSQL did not start:\n" + readLog());
  m_running = true;
  startWatchdog();
}

void Cluster::stopServer() {
  if (m_running) {
    // The data is thrown away, so there is nothing to write out first.
    run("pg_ctl", {"-D", m_dir + "/data", "-m", "immediate", "-w", "-t", "30", "stop"}, "/dev/null");
    m_running = false;
  }
}

void Cluster::stop() {
  stopServer();
  if (!m_dir.empty()) {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
    m_dir.clear();
  }
  dismissWatchdog();
}

std::string Cluster::conninfo() const {
  return "host=" + m_dir + " port=" + std::to_string(m_port) + " dbname=postgres";
}

} // namespace devserver
