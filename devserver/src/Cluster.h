#pragma once

#include <string>
#include <vector>

namespace devserver {

// A throwaway PostgreSQL cluster in a temporary folder, listening on
// 127.0.0.1 and on a socket inside that folder. Run as the "postgres" system
// user when this process is root, since PostgreSQL refuses to run as root.
class Cluster {
public:
    explicit Cluster(std::string binDir);
    ~Cluster();
    Cluster(const Cluster &) = delete;
    Cluster &operator=(const Cluster &) = delete;

    void start(); // throws std::runtime_error with the server's log on failure
    void stop();  // stops the server and removes the folder; safe to call twice

    std::string conninfo() const;
    const std::string &dir() const { return m_dir; }
    int port() const { return m_port; }

private:
    int run(const std::string &program, const std::vector<std::string> &args, const std::string &logFile);
    std::string m_binDir;
    std::string m_dir;
    int m_port = 0;
    bool m_running = false;
};

int freeLoopbackPort();

} // namespace devserver
