#pragma once

#include <functional>
#include <string>
#include <vector>

namespace devserver {

// A throwaway PostgreSQL cluster in a temporary folder of mode 0700, listening
// only on a Unix socket inside that folder. Run as the "postgres" system user
// when this process is root, since PostgreSQL refuses to run as root. A
// watchdog child stops and removes it if this process dies without stop().
class Cluster {
public:
  // With useTemplate, the result of initdb is kept once in a cache folder
  // under /tmp and copied for each new cluster, which is several times
  // faster than running initdb again.
  explicit Cluster(std::string binDir, bool useTemplate = false);
  ~Cluster();
  Cluster(const Cluster &) = delete;
  Cluster &operator=(const Cluster &) = delete;

  // Work done once on the template, with the server running, before it is
  // cached; key names that work so a change makes a new template.
  void setTemplateSetup(std::string key, std::function<void(const std::string &conninfo)> setup) {
    m_templateKey = std::move(key);
    m_templateSetup = std::move(setup);
  }

  void start(); // throws std::runtime_error with the server's log on failure
  void stop();  // stops the server and removes the folder; safe to call twice

  std::string conninfo() const;
  const std::string &dir() const { return m_dir; }
  // The number in the socket's file name; no TCP port is opened.
  int port() const { return m_port; }

private:
  int run(const std::string &program, const std::vector<std::string> &args, const std::string &logFile);
  std::string templateData(const std::string &log);
  void stopServer();
  void startWatchdog();
  void dismissWatchdog();
  static constexpr int kSocketPort = 5432;
  int m_watchdogPipe = -1;
  int m_watchdogPid = -1;
  bool launch(const std::string &data, const std::string &sockDir, const std::string &log);
  std::string m_templateKey;
  std::function<void(const std::string &)> m_templateSetup;
  std::vector<std::string> initdbArgs(const std::string &data) const;
  std::string m_binDir;
  bool m_useTemplate;
  std::string m_dir;
  int m_port = 0;
  bool m_running = false;
};

} // namespace devserver
