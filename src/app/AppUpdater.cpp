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
  if (isChecking())
    return;
  run(parent, false);
}

void AppUpdater::checkInBackground(QWidget *parent) {
  if (!m_automaticChecks || !m_checker->hasFeed() || isChecking())
    return;
  run(parent, true);
}

void AppUpdater::run(QPointer<QWidget> parent, bool quiet) {
  m_tasks.run(
      m_checker->check(),
      [this, parent, quiet](const UpdateCheckResult &result) {
        emit checkFinished();
        if (quiet && !std::holds_alternative<UpdateAvailable>(result))
          return;
        present(parent, result);
      },
      // check() reports its failures as a result; nothing else can fail.
      [this](const QString &) { emit checkFinished(); });
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
  auto *box = new QMessageBox(
      available ? QMessageBox::Information
                : (std::holds_alternative<UpToDate>(result) ? QMessageBox::Information : QMessageBox::Warning),
      resultTitle(result), resultText(result, m_checker->currentVersion()), QMessageBox::NoButton, parent);
  box->setObjectName(QStringLiteral("updateResult"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
  if (available) {
    QPushButton *download = box->addButton(QStringLiteral("Abrir página de download"), QMessageBox::AcceptRole);
    box->addButton(QStringLiteral("Agora não"), QMessageBox::RejectRole);
    box->setDefaultButton(download);
    const QUrl url = available->item.downloadUrl;
    connect(download, &QPushButton::clicked, box, [url] { QDesktopServices::openUrl(url); });
  } else {
    box->addButton(QMessageBox::Ok);
  }
  box->open();
  emit resultShown(box);
}

} // namespace varnel
