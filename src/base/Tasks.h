#pragma once
// Tasks: the one way an object (a screen model, mostly) starts asynchronous
// work. It keeps the work running to its end, hands the outcome back only
// while the owner still exists, and for loads lets the newest one win.
//
// The work is a coroutine that never touches the owner: a free or static
// function whose parameters are values (copies of repositories, texts,
// records) or references to objects that outlive every screen (the session
// store, the credential store). What it returns reaches `done` (or its
// failure reaches `failed`) on the owner's thread, and only while the owner
// lives, so those two callbacks may use `this` freely. See docs/tasks.md.

#include "base/Errors.h"

#include <QCoroTask>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace varnel {

// The text a screen shows after its own prefix for a failure: a VarnelError's
// description, otherwise the exception's own text.
QString describeFailure(const std::exception_ptr &error);

class Tasks {
public:
  explicit Tasks(QObject *owner) : m_owner(owner), m_state(std::make_shared<State>()) {}
  Tasks(const Tasks &) = delete;
  Tasks &operator=(const Tasks &) = delete;
  // Nothing is cancelled: work that is under way finishes on its own, and
  // its outcome is dropped because the owner is gone.
  ~Tasks() = default;

  // Runs `work`; then done(result) (done() for a void task) or
  // failed(description), both only while the owner exists.
  template <typename T, typename Done, typename Failed> void run(QCoro::Task<T> work, Done done, Failed failed) {
    ++m_state->running;
    drive<T>(std::move(work), QPointer<QObject>(m_owner), m_state, QString(), 0, std::move(done), std::move(failed));
  }

  // Like run(), but when another task of the same kind is started before this
  // one finishes, this one's outcome is dropped: the newest load wins.
  template <typename T, typename Done, typename Failed>
  void runLatest(const QString &kind, QCoro::Task<T> work, Done done, Failed failed) {
    const quint64 generation = ++m_state->generations[kind];
    ++m_state->running;
    ++m_state->runningByKind[kind];
    drive<T>(std::move(work), QPointer<QObject>(m_owner), m_state, kind, generation, std::move(done),
             std::move(failed));
  }

  // Drops the outcome of every task of this kind started so far.
  void cancel(const QString &kind) { ++m_state->generations[kind]; }

  // Whether a task started by run() or runLatest() is still under way (its
  // outcome may have been dropped).
  bool isRunning() const { return m_state->running > 0; }
  bool isRunning(const QString &kind) const { return m_state->runningByKind.value(kind) > 0; }

  // A failure handler for work whose failure changes nothing on screen.
  static void ignoreFailure(const QString &) {}

private:
  struct State {
    QHash<QString, quint64> generations;
    QHash<QString, int> runningByKind;
    int running = 0;
  };

  // Every parameter is a value, so the coroutine frame owns what it uses
  // whatever happens to the owner and to this object meanwhile.
  template <typename T, typename Done, typename Failed>
  static QCoro::Task<void> drive(QCoro::Task<T> work, QPointer<QObject> owner, std::shared_ptr<State> state,
                                 QString kind, quint64 generation, Done done, Failed failed) {
    std::exception_ptr error;
    using Stored = std::conditional_t<std::is_void_v<T>, bool, T>;
    std::optional<Stored> result;
    try {
      if constexpr (std::is_void_v<T>) {
        co_await std::move(work);
        result.emplace(true);
      } else {
        // A local first: the awaited expression holds no temporaries.
        T value = co_await std::move(work);
        result.emplace(std::move(value));
      }
    } catch (...) {
      error = std::current_exception();
    }
    --state->running;
    if (!kind.isEmpty())
      --state->runningByKind[kind];
    if (!owner)
      co_return;
    if (!kind.isEmpty() && state->generations.value(kind) != generation)
      co_return;
    if (error) {
      failed(describeFailure(error));
    } else if constexpr (std::is_void_v<T>) {
      done();
    } else {
      done(std::move(*result));
    }
  }

  QObject *m_owner;
  std::shared_ptr<State> m_state;
};

} // namespace varnel
