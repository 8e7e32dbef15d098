#include "app/SectionScreens.h"

#include "backend/SessionStore.h"
#include "dashboard/DashboardView.h"
#include "registry/CatalogListView.h"
#include "registry/ClienteListView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace varnel {

namespace {
// The registry sections sit inside the window's default margin.
QWidget *withMargin(QWidget *screen, QWidget *parent) {
  auto *frame = new QWidget(parent);
  frame->setObjectName(QStringLiteral("sectionFrame"));
  auto *layout = new QVBoxLayout(frame);
  layout->setContentsMargins(12, 8, 12, 12);
  screen->setParent(frame);
  layout->addWidget(screen);
  return frame;
}
} // namespace

QWidget *createSectionScreen(MainTab tab, SessionStore &sessionStore, const QUuid &, QWidget *parent) {
  BackendClient &client = sessionStore.client();
  switch (tab) {
  case MainTab::Clientes:
    return withMargin(new ClienteListView(client), parent);
  case MainTab::Objetivos:
    return withMargin(CatalogListView::objetivos(client), parent);
  case MainTab::Classificacoes:
    return withMargin(CatalogListView::classificacoes(client), parent);
  case MainTab::Dashboard:
    return new DashboardView(client, parent);
  case MainTab::Atendimentos:
  case MainTab::Usuarios:
    break;
  }
  return createUnavailableSection(tab, parent);
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
