#pragma once
// The "Verificar Atualizações..." command: checks the update feed and tells
// the user what it found. Installing is left to the user's browser.

#include "base/Tasks.h"
#include "platform/UpdateChecker.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace varnel {

class AppUpdater : public QObject {
  Q_OBJECT
public:
  AppUpdater(std::unique_ptr<UpdateChecker> checker, bool automaticChecks, QObject *parent = nullptr);
  // The checker over the build's feed URL and version.
  static std::unique_ptr<UpdateChecker> makeBuildChecker();

  // Asks the feed now and shows the answer over parent.
  void checkForUpdates(QWidget *parent);
  // At start: only when the build enables automatic checks, and it speaks
  // up only when a newer version exists.
  void checkInBackground(QWidget *parent);
  bool isChecking() const { return m_tasks.isRunning(); }

  // The title and text of the answer dialog.
  static QString resultTitle(const UpdateCheckResult &result);
  static QString resultText(const UpdateCheckResult &result, const QString &currentVersion);

signals:
  void checkFinished();
  // The answer is on screen (tests and the screenshot tour close it).
  void resultShown(QWidget *dialog);

private:
  void run(QPointer<QWidget> parent, bool quiet);
  // Opens the answer window-modal over parent and returns at once; the
  // answer's buttons act when pressed.
  void present(QWidget *parent, const UpdateCheckResult &result);

  std::unique_ptr<UpdateChecker> m_checker;
  bool m_automaticChecks;
  Tasks m_tasks{this};
};

} // namespace varnel
