#include "dashboard/DashboardView.h"

#include "dashboard/AtendimentosResponsavelBarChart.h"
#include "dashboard/DashboardFigures.h"
#include "dashboard/DashboardStyle.h"
#include "dashboard/DashboardViewModel.h"
#include "dashboard/StatCard.h"

#include "ui/BusySpinner.h"
#include "ui/MessageLine.h"
#include <QEvent>
#include <QHBoxLayout>

#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace varnel {

using dashboard::TextStyle;

namespace {

// The chart section's translucent rounded card.
class MaterialPanel : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    dashboard::paintMaterial(painter, QRectF(rect()), palette());
  }
};

void setTextColor(QLabel *label, const QColor &color) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
}

} // namespace

DashboardView::DashboardView(BackendClient &client, QWidget *parent)
    : QWidget(parent), m_model(new DashboardViewModel(client, this)) {
  setObjectName(QStringLiteral("dashboardView"));
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto *scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  outer->addWidget(scroll);

  auto *content = new QWidget(scroll);
  content->setAutoFillBackground(false);
  scroll->viewport()->setAutoFillBackground(false);
  scroll->setWidget(content);
  auto *layout = new QVBoxLayout(content);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setSpacing(16);

  auto *title = new QLabel(QStringLiteral("Dashboard"), content);
  title->setObjectName(QStringLiteral("dashboardTitle"));
  title->setFont(dashboard::font(font(), TextStyle::Title));
  layout->addWidget(title);

  auto *cards = new QHBoxLayout;
  cards->setSpacing(12);
  m_atendimentosCard = new StatCard(QStringLiteral("Atendimentos"), content);
  m_atendimentosCard->setObjectName(QStringLiteral("atendimentosCard"));
  m_responsaveisCard = new StatCard(QStringLiteral("Responsáveis"), content);
  m_responsaveisCard->setObjectName(QStringLiteral("responsaveisCard"));
  cards->addWidget(m_atendimentosCard);
  cards->addWidget(m_responsaveisCard);
  cards->addStretch(1);
  layout->addLayout(cards);

  auto *section = new MaterialPanel(content);
  section->setObjectName(QStringLiteral("chartSection"));
  auto *sectionLayout = new QVBoxLayout(section);
  sectionLayout->setContentsMargins(14, 14, 14, 14);
  sectionLayout->setSpacing(14);
  auto *header = new QHBoxLayout;
  auto *heading = new QLabel(QStringLiteral("Atendimentos por Responsável"), section);
  heading->setObjectName(QStringLiteral("chartHeading"));
  heading->setFont(dashboard::font(font(), TextStyle::Headline));
  header->addWidget(heading);
  header->addStretch(1);
  m_spinner = new BusySpinner(section);
  m_spinner->setObjectName(QStringLiteral("dashboardBusy"));
  header->addWidget(m_spinner);
  sectionLayout->addLayout(header);

  m_error = new MessageLine(MessageLine::Tone::Error, section);
  m_error->setObjectName(QStringLiteral("dashboardError"));
  m_error->setFont(dashboard::font(font(), TextStyle::Callout));
  sectionLayout->addWidget(m_error);

  m_chart = new AtendimentosResponsavelBarChart(section);
  m_chart->setObjectName(QStringLiteral("dashboardChart"));
  sectionLayout->addWidget(m_chart);

  m_empty = new QLabel(QStringLiteral("Nenhum atendimento encontrado."), section);
  m_empty->setObjectName(QStringLiteral("dashboardEmpty"));
  m_empty->setAlignment(Qt::AlignCenter);
  m_empty->setMinimumHeight(260);
  m_empty->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  sectionLayout->addWidget(m_empty);

  layout->addWidget(section);
  layout->addStretch(1);

  connect(m_model, &DashboardViewModel::changed, this, &DashboardView::refresh);
  applyTextColors();
  refresh();
}

void DashboardView::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange)
    applyTextColors();
}

void DashboardView::applyTextColors() { setTextColor(m_empty, dashboard::secondaryColor(palette())); }

void DashboardView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!m_loadStarted) {
    m_loadStarted = true;
    m_model->load();
  }
}

void DashboardView::refresh() {
  const auto &stats = m_model->stats();
  m_atendimentosCard->setValue(dashboard::countText(m_model->total()));
  m_responsaveisCard->setValue(dashboard::countText(stats.size()));
  m_spinner->setVisible(m_model->isLoading());
  m_chart->setStats(stats);

  const auto &error = m_model->errorMessage();
  m_error->setMessage(error);
  m_chart->setVisible(!error && (!stats.isEmpty() || m_model->isLoading()));
  m_empty->setVisible(!error && stats.isEmpty() && !m_model->isLoading());
}

} // namespace varnel
