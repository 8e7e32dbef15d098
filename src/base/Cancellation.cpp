#include "base/Cancellation.h"

namespace varnel {

CancellationRegistration::CancellationRegistration(CancellationRegistration &&other) noexcept
    : m_state(std::move(other.m_state)), m_id(other.m_id) {
  other.m_state.reset();
}

CancellationRegistration &CancellationRegistration::operator=(CancellationRegistration &&other) noexcept {
  if (this != &other) {
    reset();
    m_state = std::move(other.m_state);
    m_id = other.m_id;
    other.m_state.reset();
  }
  return *this;
}

void CancellationRegistration::reset() {
  if (const auto state = m_state.lock())
    state->callbacks.erase(m_id);
  m_state.reset();
}

CancellationRegistration CancellationToken::onCancel(std::function<void()> callback) const {
  if (!m_state)
    return {};
  if (m_state->cancelled) {
    callback();
    return {};
  }
  const std::uint64_t id = ++m_state->nextId;
  m_state->callbacks.emplace(id, std::move(callback));
  return CancellationRegistration(m_state, id);
}

void CancellationSource::cancel() {
  if (m_state->cancelled)
    return;
  m_state->cancelled = true;
  // Taken out first: a callback may resume work that drops its registration
  // or registers again while this loop runs.
  auto callbacks = std::move(m_state->callbacks);
  m_state->callbacks.clear();
  for (auto &[id, callback] : callbacks)
    callback();
}

} // namespace varnel
