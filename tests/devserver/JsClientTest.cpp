// Runs js/test.mjs, which drives the hosted service's official JavaScript
// client, against a local back-end of its own. The back-end is stopped when
// the test ends, whatever the script did; a script that hangs is killed.
#include "LocalBackend.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace varnel::test {
namespace {

// Exit status of the child, or -1 when it had to be killed or did not start.
int runAndWait(const std::string &dir, const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv,
               std::chrono::seconds timeout) {
  std::vector<std::string> envStore;
  for (char **e = environ; *e; ++e)
    envStore.emplace_back(*e);
  envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char *> envp, args;
  for (auto &s : envStore)
    envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStore = argv;
  for (auto &s : argStore)
    args.push_back(s.data());
  args.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0)
    return -1;
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0)
      _exit(126);
    execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (true) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
      break;
    if (done < 0 && errno != EINTR)
      return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "the client script did not finish within " << timeout.count() << " s";
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OfficialJsClient, WorksAgainstTheLocalBackEnd) {
  LocalBackend backend;
  // An object to download, arranged outside the API, which has no upload.
  const std::string objectPath = "visita/foto do curral.png";
  const std::string objectHex = "89504e470d0a1a0a0000000d49484452";
  backend.sql("insert into storage.objects (bucket_id, name, mimetype, content) "
              "values ('atendimento_imagem', $1, 'image/png', decode($2, 'hex'))",
              {objectPath, objectHex});

  int rc = runAndWait(
      VARNEL_JS_DIR, {VARNEL_NODE, "--test", "--test-reporter=tap", "test.mjs"},
      {"VARNEL_URL=" + backend.url(), "VARNEL_ANON_KEY=" + backend.anonKey(), "ADMIN_EMAIL=" + backend.adminEmail(),
       "ADMIN_PASSWORD=" + backend.adminPassword(), "CONSULTANT_EMAIL=" + backend.consultantEmail(),
       "CONSULTANT_PASSWORD=" + backend.consultantPassword(), "OBJECT_PATH=" + objectPath, "OBJECT_HEX=" + objectHex},
      std::chrono::seconds(180));
  EXPECT_EQ(rc, 0) << "node --test test.mjs failed; its report is above";
}

} // namespace
} // namespace varnel::test
