#pragma once
// The signed-in shell: the header bar with the section buttons and "Sair",
// a divider, and the selected section's screen.

#include "app/MainTab.h"

#include <QWidget>

#include <map>

class QPushButton;
class QVBoxLayout;

namespace varnel {

class MainViewModel;
class SessionStore;

class MainView : public QWidget {
  Q_OBJECT
public:
  explicit MainView(SessionStore &sessionStore, QWidget *parent = nullptr);

  MainViewModel &model() { return *m_model; }
  QPushButton *tabButton(MainTab tab) const { return m_tabButtons.at(tab); }
  QPushButton *signOutButton() const { return m_signOut; }
  QWidget *currentScreen() const { return m_screen; }

  static constexpr QSize minimumShellSize{1180, 760};

private:
  void showSelectedSection();
  void renderTabButtons();

  SessionStore &m_sessionStore;
  MainViewModel *m_model;
  std::map<MainTab, QPushButton *> m_tabButtons;
  QPushButton *m_signOut;
  QVBoxLayout *m_layout;
  QWidget *m_screen = nullptr;
};

} // namespace varnel
