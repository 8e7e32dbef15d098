#pragma once
// A real connection to the local back-end, with its own session store.

#include "LocalBackend.h"
#include "backend/AuthClient.h"
#include "backend/BackendClient.h"
#include "backend/QtHttpTransport.h"
#include "backend/SessionStore.h"
#include "support/Await.h"

#include <QEventLoop>
#include <QTimer>

namespace varnel::test {

inline QString qs(const std::string &s) { return QString::fromStdString(s); }

struct Connection {
  explicit Connection(const LocalBackend &backend)
      : client(BackendConfig::make(qs(backend.url()), qs(backend.anonKey())), std::make_shared<QtHttpTransport>()),
        store(client) {}

  void signIn(const std::string &email, const std::string &password) { await(store.signIn(qs(email), qs(password))); }

  BackendClient client;
  SessionStore store;
};

inline void waitMs(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

} // namespace varnel::test
