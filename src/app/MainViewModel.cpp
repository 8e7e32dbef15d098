#include "app/MainViewModel.h"

#include "backend/SessionStore.h"

#include <QPointer>

namespace varnel {

MainViewModel::MainViewModel(SessionStore &sessionStore, QObject *parent)
    : QObject(parent), m_sessionStore(sessionStore) {}

void MainViewModel::select(MainTab tab) {
  if (tab == MainTab::Atendimentos) {
    m_atendimentosRefreshToken = QUuid::createUuid();
    emit atendimentosRefreshTokenChanged(m_atendimentosRefreshToken);
  }
  if (tab == m_selected)
    return;
  m_selected = tab;
  emit selectedChanged(tab);
}

void MainViewModel::signOut() { m_signOut.emplace(runSignOut()); }

QCoro::Task<> MainViewModel::runSignOut() {
  // The store outlives every screen; this model may not (the shell is torn
  // down as soon as the session is gone), so it is not touched afterwards.
  SessionStore &store = m_sessionStore;
  try {
    co_await store.signOut();
  } catch (...) {
    // A failed sign-out shows nothing.
  }
}

} // namespace varnel
