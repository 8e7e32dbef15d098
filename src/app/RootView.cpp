#include "app/RootView.h"

#include "app/LoginView.h"
#include "app/LoginViewModel.h"
#include "app/MainView.h"
#include "backend/SessionStore.h"

#include <QMessageBox>
#include <QPointer>
#include <QVBoxLayout>

namespace varnel {

RootView::RootView(SessionStore &sessionStore, CredentialStore &credentials, LoginPreferences &preferences,
                   QWidget *parent)
    : QWidget(parent), m_sessionStore(sessionStore), m_credentials(credentials), m_preferences(preferences) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  connect(&m_sessionStore, &SessionStore::sessionChanged, this, &RootView::follow);
  show(m_sessionStore.isAuthenticated());
}

void RootView::follow() {
  const bool signedIn = m_sessionStore.isAuthenticated();
  if (signedIn == m_signedIn)
    return;
  show(signedIn);
  emit signedInChanged(signedIn);
}

void RootView::show(bool signedIn) {
  m_signedIn = signedIn;
  if (m_current) {
    // The old screen may be in the middle of the call that switched us
    // (a sign-in or "Sair"), so it goes away once that call has returned.
    layout()->removeWidget(m_current);
    m_current->hide();
    m_current->deleteLater();
  }
  m_login = nullptr;
  m_main = nullptr;
  if (signedIn) {
    m_main = new MainView(m_sessionStore, this);
    m_current = m_main;
  } else {
    auto *model = new LoginViewModel(m_sessionStore, m_credentials, m_preferences);
    m_login = new LoginView(*model, this);
    model->setParent(m_login);
    // The login screen is already gone when a password cannot be stored
    // after a successful sign-in, so the shell says it instead.
    connect(model, &LoginViewModel::credentialSaveFailed, this, [this](const QString &message) {
      if (!m_signedIn)
        return;
      auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Varnel"), message, QMessageBox::Ok, this);
      box->setAttribute(Qt::WA_DeleteOnClose);
      box->setWindowModality(Qt::WindowModal);
      box->open();
    });
    m_current = m_login;
  }
  layout()->addWidget(m_current);
  m_current->show();
  m_current->setFocus();
}

} // namespace varnel
