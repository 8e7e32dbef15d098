#pragma once
// The "Dashboard" section: the title, the two summary cards and the chart
// section (spinner while loading; then the error, the chart or the empty
// note). It loads when first shown; the shell makes a new one each visit.

#include "ui/MessageLine.h"

#include <QWidget>

class QLabel;

namespace varnel {

class AtendimentosResponsavelBarChart;
class BackendClient;
class DashboardViewModel;
class StatCard;

class DashboardView : public QWidget {
  Q_OBJECT
public:
  explicit DashboardView(BackendClient &client, QWidget *parent = nullptr);

  DashboardViewModel &model() { return *m_model; }
  StatCard *atendimentosCard() const { return m_atendimentosCard; }
  StatCard *responsaveisCard() const { return m_responsaveisCard; }
  AtendimentosResponsavelBarChart *chart() const { return m_chart; }
  QWidget *busyIndicator() const { return m_spinner; }
  QLabel *errorLabel() const { return m_error; }
  QLabel *emptyLabel() const { return m_empty; }

protected:
  void showEvent(QShowEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void refresh();
  // The red of the error and the grey of the empty note, for the palette in use.
  void applyTextColors();

  DashboardViewModel *m_model;
  StatCard *m_atendimentosCard;
  StatCard *m_responsaveisCard;
  QWidget *m_spinner;
  MessageLine *m_error;
  AtendimentosResponsavelBarChart *m_chart;
  QLabel *m_empty;
  bool m_loadStarted = false;
};

} // namespace varnel
