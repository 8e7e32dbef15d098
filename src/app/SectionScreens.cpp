#include "app/SectionScreens.h"

#include "backend/SessionStore.h"
#include "dashboard/DashboardView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace varnel {

QWidget *createSectionScreen(MainTab tab, SessionStore &sessionStore, const QUuid &, QWidget *parent) {
  switch (tab) {
  case MainTab::Dashboard:
    return new DashboardView(sessionStore.client(), parent);
  default:
    return createUnavailableSection(tab, parent);
  }
}

QWidget *createUnavailableSection(MainTab tab, QWidget *parent) {
  auto *screen = new QWidget(parent);
  screen->setObjectName(QStringLiteral("unavailableSection"));
  auto *layout = new QVBoxLayout(screen);
  layout->addStretch(1);
  auto *title = new QLabel(mainTabTitle(tab), screen);
  QFont font = title->font();
  font.setPointSizeF(font.pointSizeF() * 1.6);
  font.setBold(true);
  title->setFont(font);
  title->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);
  auto *note = new QLabel(QStringLiteral("Esta seção ainda não está disponível."), screen);
  note->setObjectName(QStringLiteral("unavailableNote"));
  note->setAlignment(Qt::AlignCenter);
  note->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(note);
  layout->addStretch(1);
  return screen;
}

} // namespace varnel
