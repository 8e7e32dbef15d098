#pragma once
// Runs the event loop until a condition holds or the time is up.

#include <QTest>

#include <chrono>
#include <functional>

namespace varnel::test {

inline bool waitUntil(const std::function<bool()> &condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  QDeadlineTimer deadline(limit);
  while (!condition()) {
    if (deadline.hasExpired())
      return false;
    QTest::qWait(10);
  }
  return true;
}

} // namespace varnel::test
