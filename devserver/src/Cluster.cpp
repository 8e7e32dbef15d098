#include "Cluster.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace devserver {

namespace fs = std::filesystem;

int freeLoopbackPort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        throw std::runtime_error("cannot open a socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof(addr);
    if (bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        close(s);
        throw std::runtime_error("cannot find a free port on 127.0.0.1");
    }
    int port = ntohs(addr.sin_port);
    close(s);
    return port;
}

Cluster::Cluster(std::string binDir) : m_binDir(std::move(binDir)) {}

Cluster::~Cluster()
{
    try {
        stop();
    } catch (...) {
    }
}

int Cluster::run(const std::string &program, const std::vector<std::string> &args, const std::string &logFile)
{
    std::vector<std::string> argv;
    if (geteuid() == 0) {
        argv = {"runuser", "-u", "postgres", "--"};
    }
    argv.push_back(m_binDir + "/" + program);
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

void Cluster::start()
{
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
    {
        std::ofstream touch(log);
    }
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
    if (run("initdb", {"-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8", "--locale=C.UTF-8", "--no-sync"},
            log) != 0)
        throw std::runtime_error("initdb failed:\n" + readLog());
    // A port found free can be taken by someone else before the server binds
    // it, so try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = freeLoopbackPort();
        std::string options = "-p " + std::to_string(m_port) + " -k " + m_dir +
                              " -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off"
                              " -c full_page_writes=off -c max_connections=60";
        if (run("pg_ctl", {"-D", data, "-o", options, "-l", log, "-w", "-t", "30", "start"}, m_dir + "/pg_ctl.log") ==
            0) {
            m_running = true;
            return;
        }
    }
    throw std::runtime_error("PostgreSQL did not start:\n" + readLog());
}

void Cluster::stop()
{
    if (m_running) {
        run("pg_ctl", {"-D", m_dir + "/data", "-m", "fast", "-w", "-t", "30", "stop"}, "/dev/null");
        m_running = false;
    }
    if (!m_dir.empty()) {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
        m_dir.clear();
    }
}

std::string Cluster::conninfo() const
{
    return "host=" + m_dir + " port=" + std::to_string(m_port) + " dbname=postgres";
}

} // namespace devserver
