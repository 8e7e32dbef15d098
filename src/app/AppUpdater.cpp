#include "app/AppUpdater.h"

#include "BuildConfig.h"
#include "backend/QtHttpTransport.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace varnel {

AppUpdater::AppUpdater(std::unique_ptr<UpdateChecker> checker, bool automaticChecks, QObject *parent)
    : QObject(parent), m_checker(std::move(checker)), m_automaticChecks(automaticChecks) {}

std::unique_ptr<UpdateChecker> AppUpdater::makeBuildChecker() {
  return std::make_unique<UpdateChecker>(std::make_shared<QtHttpTransport>(), QString::fromUtf8(build::updateFeedUrl),
                                         QString::fromUtf8(build::version));
}

void AppUpdater::checkForUpdates(QWidget *parent) {
  if (m_running)
    return;
  m_running.emplace(run(parent, false));
}

void AppUpdater::checkInBackground(QWidget *parent) {
  if (!m_automaticChecks || !m_checker->hasFeed() || m_running)
    return;
  m_running.emplace(run(parent, true));
}

QCoro::Task<> AppUpdater::run(QPointer<QWidget> parent, bool quiet) {
  QPointer<AppUpdater> self(this);
  auto result = co_await m_checker->check();
  if (!self)
    co_return;
  // Done before the dialog, whose own event loop may run for a long time.
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_running.reset();
        emit checkFinished();
      },
      Qt::QueuedConnection);
  if (quiet && !std::holds_alternative<UpdateAvailable>(result))
    co_return;
  present(parent, result);
}

QString AppUpdater::resultTitle(const UpdateCheckResult &result) {
  if (std::holds_alternative<UpdateAvailable>(result))
    return QStringLiteral("Nova versão disponível");
  if (std::holds_alternative<UpToDate>(result))
    return QStringLiteral("Nenhuma atualização");
  return QStringLiteral("Falha ao verificar atualizações");
}

QString AppUpdater::resultText(const UpdateCheckResult &result, const QString &currentVersion) {
  if (const auto *available = std::get_if<UpdateAvailable>(&result))
    return QStringLiteral("O Varnel %1 está disponível. Você tem a versão %2.")
        .arg(available->item.displayVersion, currentVersion);
  if (std::holds_alternative<UpToDate>(result))
    return QStringLiteral("Você já tem a versão mais recente do Varnel (%1).").arg(currentVersion);
  return QStringLiteral("Não foi possível verificar se há atualizações.\n%1")
      .arg(std::get<UpdateCheckFailed>(result).reason);
}

void AppUpdater::present(QWidget *parent, const UpdateCheckResult &result) {
  const auto *available = std::get_if<UpdateAvailable>(&result);
  QMessageBox box(available
                      ? QMessageBox::Information
                      : (std::holds_alternative<UpToDate>(result) ? QMessageBox::Information : QMessageBox::Warning),
                  resultTitle(result), resultText(result, m_checker->currentVersion()), QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("updateResult"));
  QPushButton *download = nullptr;
  if (available) {
    download = box.addButton(QStringLiteral("Abrir página de download"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Agora não"), QMessageBox::RejectRole);
    box.setDefaultButton(download);
  } else {
    box.addButton(QMessageBox::Ok);
  }
  box.exec();
  if (available && box.clickedButton() == download)
    QDesktopServices::openUrl(available->item.downloadUrl);
}

} // namespace varnel
