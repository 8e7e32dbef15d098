#pragma once
// Screen model of the signed-in shell: the selected section, the identity
// of the visit list, and signing out.

#include "app/MainTab.h"

#include "base/Tasks.h"

#include <QObject>
#include <QUuid>

#include <optional>

namespace varnel {

class SessionStore;

class MainViewModel : public QObject {
  Q_OBJECT
public:
  explicit MainViewModel(SessionStore &sessionStore, QObject *parent = nullptr);

  MainTab selected() const { return m_selected; }
  // A new value makes the visit list start over.
  QUuid atendimentosRefreshToken() const { return m_atendimentosRefreshToken; }
  SessionStore &sessionStore() { return m_sessionStore; }

  // Pressing a section button. "Atendimentos" always gets a new identity,
  // even when it is already shown, which reloads the visit list.
  void select(MainTab tab);
  // "Sair": signs out; a failure is dropped and the session store decides
  // what is shown next.
  void signOut();

signals:
  void selectedChanged(varnel::MainTab tab);
  void atendimentosRefreshTokenChanged(const QUuid &token);

private:
  SessionStore &m_sessionStore;
  MainTab m_selected = MainTab::Dashboard;
  QUuid m_atendimentosRefreshToken = QUuid::createUuid();
  Tasks m_tasks{this};
};

} // namespace varnel
