#include "app/MainView.h"

#include "app/MainViewModel.h"
#include "app/SectionScreens.h"
#include "ui/Icons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

namespace {

// Bordered buttons: accent when selected, grey otherwise; "Sair" is filled.
const char *tabStyle = "QPushButton { border: 1px solid %1; color: %2; background: %3; border-radius: 6px;"
                       " padding: 6px 10px; }"
                       "QPushButton:pressed { background: %4; }";

QString tabStyleSheet(const QPalette &palette, bool selected) {
  const QColor accent = palette.color(QPalette::Highlight);
  if (selected) {
    QColor fill = accent;
    fill.setAlpha(40);
    return QString::fromLatin1(tabStyle).arg(accent.name(), accent.darker(115).name(), fill.name(QColor::HexArgb),
                                             fill.name(QColor::HexArgb));
  }
  return QString::fromLatin1(tabStyle).arg(QStringLiteral("#c4c4c8"), QStringLiteral("#5b5b60"),
                                           QStringLiteral("transparent"), QStringLiteral("#e6e6ea"));
}

} // namespace

MainView::MainView(SessionStore &sessionStore, QWidget *parent)
    : QWidget(parent), m_sessionStore(sessionStore), m_model(new MainViewModel(sessionStore, this)) {
  setObjectName(QStringLiteral("MainView"));
  setMinimumSize(minimumShellSize);

  m_layout = new QVBoxLayout(this);
  m_layout->setContentsMargins(0, 0, 0, 0);
  m_layout->setSpacing(0);

  auto *header = new QWidget(this);
  header->setObjectName(QStringLiteral("headerBar"));
  auto *row = new QHBoxLayout(header);
  row->setContentsMargins(12, 12, 12, 12);
  row->setSpacing(10);

  auto *product = new QLabel(QStringLiteral("Varnel"), header);
  QFont productFont = product->font();
  productFont.setPointSizeF(productFont.pointSizeF() * 1.5);
  productFont.setBold(true);
  product->setFont(productFont);
  row->addWidget(product, 0, Qt::AlignVCenter);
  row->addSpacing(6);

  for (MainTab tab : allMainTabs) {
    auto *button = new QPushButton(themedIcon(mainTabIconNames(tab)), mainTabTitle(tab), header);
    button->setObjectName(QStringLiteral("tab-%1").arg(static_cast<int>(tab)));
    button->setIconSize(QSize(16, 16));
    button->setFocusPolicy(Qt::TabFocus);
    connect(button, &QPushButton::clicked, m_model, [this, tab] { m_model->select(tab); });
    row->addWidget(button, 0, Qt::AlignVCenter);
    m_tabButtons[tab] = button;
  }
  row->addStretch(1);

  m_signOut = new QPushButton(themedIcon({QStringLiteral("system-log-out"), QStringLiteral("application-exit")}),
                              QStringLiteral("Sair"), header);
  m_signOut->setObjectName(QStringLiteral("signOut"));
  m_signOut->setIconSize(QSize(16, 16));
  m_signOut->setStyleSheet(
      QStringLiteral("QPushButton { background: palette(highlight); color: palette(highlighted-text); border: none;"
                     " border-radius: 6px; padding: 6px 10px; font-weight: bold; }"
                     "QPushButton:pressed { background: palette(dark); }"));
  connect(m_signOut, &QPushButton::clicked, m_model, &MainViewModel::signOut);
  row->addWidget(m_signOut, 0, Qt::AlignVCenter);

  m_layout->addWidget(header);
  auto *divider = new QFrame(this);
  divider->setFrameShape(QFrame::HLine);
  divider->setFrameShadow(QFrame::Plain);
  divider->setStyleSheet(QStringLiteral("color: #d8d8dc;"));
  m_layout->addWidget(divider);

  connect(m_model, &MainViewModel::selectedChanged, this, [this] {
    renderTabButtons();
    showSelectedSection();
  });
  connect(m_model, &MainViewModel::atendimentosRefreshTokenChanged, this, [this] {
    if (m_model->selected() == MainTab::Atendimentos)
      showSelectedSection();
  });

  renderTabButtons();
  showSelectedSection();
}

void MainView::renderTabButtons() {
  for (auto [tab, button] : m_tabButtons) {
    const bool selected = tab == m_model->selected();
    button->setStyleSheet(tabStyleSheet(palette(), selected));
    button->setProperty("selected", selected);
  }
}

void MainView::showSelectedSection() {
  // A fresh screen each time: screens load what they show when shown.
  if (m_screen) {
    m_layout->removeWidget(m_screen);
    m_screen->hide();
    m_screen->deleteLater();
  }
  m_screen = createSectionScreen(m_model->selected(), m_sessionStore, m_model->atendimentosRefreshToken(), this);
  m_layout->addWidget(m_screen, 1);
  m_screen->show();
}

} // namespace varnel
