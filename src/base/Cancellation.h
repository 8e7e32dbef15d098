#pragma once
// Asking work under way to stop early. A CancellationSource asks; the
// CancellationToken it hands out travels with the work (a request, say),
// which checks it or registers a callback that runs once when cancel() is
// called. Everything happens on one thread: the one that runs the work.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace varnel {

namespace detail {
struct CancellationState {
  bool cancelled = false;
  std::uint64_t nextId = 0;
  std::map<std::uint64_t, std::function<void()>> callbacks;
};
} // namespace detail

// Removes its callback from the token when destroyed (or run already).
class CancellationRegistration {
public:
  CancellationRegistration() = default;
  CancellationRegistration(std::weak_ptr<detail::CancellationState> state, std::uint64_t id)
      : m_state(std::move(state)), m_id(id) {}
  CancellationRegistration(CancellationRegistration &&other) noexcept;
  CancellationRegistration &operator=(CancellationRegistration &&other) noexcept;
  CancellationRegistration(const CancellationRegistration &) = delete;
  CancellationRegistration &operator=(const CancellationRegistration &) = delete;
  ~CancellationRegistration() { reset(); }

  void reset();

private:
  std::weak_ptr<detail::CancellationState> m_state;
  std::uint64_t m_id = 0;
};

class CancellationToken {
public:
  // A token that is never cancelled.
  CancellationToken() = default;

  bool isCancelled() const { return m_state && m_state->cancelled; }

  // Runs callback once when the source cancels, or at once when it already
  // has. The callback is dropped when the registration goes.
  [[nodiscard]] CancellationRegistration onCancel(std::function<void()> callback) const;

private:
  friend class CancellationSource;
  explicit CancellationToken(std::shared_ptr<detail::CancellationState> state) : m_state(std::move(state)) {}
  std::shared_ptr<detail::CancellationState> m_state;
};

// Copies share one state: cancelling through any copy cancels them all.
class CancellationSource {
public:
  CancellationSource() : m_state(std::make_shared<detail::CancellationState>()) {}

  CancellationToken token() const { return CancellationToken(m_state); }
  bool isCancelled() const { return m_state->cancelled; }
  // Runs every registered callback once; later calls do nothing.
  void cancel();

private:
  std::shared_ptr<detail::CancellationState> m_state;
};

} // namespace varnel
