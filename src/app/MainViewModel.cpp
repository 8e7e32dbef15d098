#include "app/MainViewModel.h"

#include "backend/SessionStore.h"

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

void MainViewModel::signOut() {
  // The store outlives every screen and decides what is shown next; a failed
  // sign-out shows nothing.
  m_tasks.run(
      m_sessionStore.signOut(), [] {}, Tasks::ignoreFailure);
}

} // namespace varnel
