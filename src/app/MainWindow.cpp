#include "app/MainWindow.h"

#include "BuildConfig.h"
#include "app/AppIdentity.h"
#include "app/AppUpdater.h"
#include "app/RootView.h"
#include "app/WindowConfiguration.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

namespace varnel {

MainWindow::MainWindow(SessionStore &sessionStore, CredentialStore &credentials, LoginPreferences &preferences,
                       AppUpdater &updater, QWidget *parent)
    : QMainWindow(parent), m_root(new RootView(sessionStore, credentials, preferences, this)) {
  setObjectName(QStringLiteral("MainWindow"));
  setCentralWidget(m_root);

  QMenu *appMenu = menuBar()->addMenu(applicationDisplayName());
  QAction *about = appMenu->addAction(QStringLiteral("Sobre o Varnel"));
  about->setMenuRole(QAction::AboutRole);
  connect(about, &QAction::triggered, this, [this] {
    QMessageBox::about(this, QStringLiteral("Sobre o Varnel"),
                       QStringLiteral("<b>Varnel</b> %1<br>Atendimentos externos veterinários.")
                           .arg(QString::fromUtf8(build::version)));
  });
  m_checkForUpdates = appMenu->addAction(QStringLiteral("Verificar Atualizações..."));
  m_checkForUpdates->setMenuRole(QAction::ApplicationSpecificRole);
  connect(m_checkForUpdates, &QAction::triggered, this, [this, &updater] { updater.checkForUpdates(this); });
  appMenu->addSeparator();
  m_fullScreen = appMenu->addAction(QStringLiteral("Tela Cheia"));
  m_fullScreen->setShortcut(QKeySequence::FullScreen);
  m_fullScreen->setCheckable(true);
  connect(m_fullScreen, &QAction::toggled, this, [this](bool on) {
    if (on && !isFullScreen())
      showFullScreen();
    else if (!on && isFullScreen())
      showNormal();
  });
  appMenu->addSeparator();
  QAction *quit = appMenu->addAction(QStringLiteral("Encerrar o Varnel"));
  quit->setShortcut(QKeySequence::Quit);
  quit->setMenuRole(QAction::QuitRole);
  connect(quit, &QAction::triggered, this, &QWidget::close);

  m_fullScreen->setEnabled(false);
  connect(m_root, &RootView::signedInChanged, this, [this] { scheduleConfiguration(); });
}

void MainWindow::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  if (windowHandle() == m_configuredHandle)
    return;
  m_configuredHandle = windowHandle();
  scheduleConfiguration();
}

void MainWindow::scheduleConfiguration() {
  if (m_configurationPending)
    return;
  m_configurationPending = true;
  QTimer::singleShot(0, this, &MainWindow::configureNow);
}

void MainWindow::configureNow() {
  m_configurationPending = false;
  const bool signedIn = m_root->isSignedIn();
  if (!signedIn) {
    const QSignalBlocker block(m_fullScreen);
    m_fullScreen->setChecked(false);
  }
  m_fullScreen->setEnabled(signedIn);
  configureWindow(*this, signedIn);
  emit configured(signedIn);
}

} // namespace varnel
