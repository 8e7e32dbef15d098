#include "registry/ClientePickerView.h"

#include "registry/ClientePickerViewModel.h"
#include "ui/BusySpinner.h"
#include "ui/MessageLine.h"
#include "ui/RowListView.h"
#include "ui/TextRowListModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

ClientePickerView::ClientePickerView(BackendClient &client, QWidget *parent)
    : QDialog(parent), m_model(new ClientePickerViewModel(ClienteRepository(client), this)) {
  setObjectName(QStringLiteral("ClientePickerView"));
  setWindowTitle(QStringLiteral("Selecionar Cliente"));
  setMinimumSize(640, 560);

  auto *column = new QVBoxLayout(this);
  column->setSpacing(12);

  auto *title = new QLabel(QStringLiteral("Selecionar Cliente"), this);
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
  titleFont.setBold(true);
  title->setFont(titleFont);
  column->addWidget(title);

  auto *searchRow = new QHBoxLayout;
  searchRow->setSpacing(8);
  m_search = new QLineEdit(this);
  m_search->setObjectName(QStringLiteral("search"));
  m_search->setPlaceholderText(QStringLiteral("Pesquisar cliente..."));
  m_search->setMinimumHeight(28);
  searchRow->addWidget(m_search, 1);
  m_searchButton = new QPushButton(QStringLiteral("Buscar"), this);
  m_searchButton->setObjectName(QStringLiteral("searchButton"));
  m_searchButton->setAutoDefault(false);
  searchRow->addWidget(m_searchButton);
  column->addLayout(searchRow);

  m_busy = new BusySpinner(this);
  m_busy->hide();
  column->addWidget(m_busy, 0, Qt::AlignHCenter);
  m_error = new MessageLine(MessageLine::Tone::Error, this);
  column->addWidget(m_error);

  m_list = new RowListView(this);
  column->addWidget(m_list, 1);

  auto *bottom = new QHBoxLayout;
  bottom->addStretch(1);
  m_close = new QPushButton(QStringLiteral("Fechar"), this);
  m_close->setObjectName(QStringLiteral("close"));
  m_close->setAutoDefault(false);
  bottom->addWidget(m_close);
  column->addLayout(bottom);

  connect(m_search, &QLineEdit::textEdited, m_model, &ClientePickerViewModel::setSearchText);
  // Return in the field searches (and never closes the sheet).
  connect(m_search, &QLineEdit::returnPressed, m_model, &ClientePickerViewModel::search);
  connect(m_searchButton, &QPushButton::clicked, m_model, &ClientePickerViewModel::search);
  connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_list, &RowListView::rowClicked, this, [this](int row) {
    if (row < 0 || row >= m_shown.size())
      return;
    const Cliente picked = m_shown.at(row);
    emit selected(picked);
    accept();
  });
  connect(m_model, &ClientePickerViewModel::changed, this, &ClientePickerView::render);
  render();
}

void ClientePickerView::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (!m_searchedOnce) {
    m_searchedOnce = true;
    m_model->search();
  }
  m_search->setFocus();
}

void ClientePickerView::render() {
  if (m_search->text() != m_model->searchText())
    m_search->setText(m_model->searchText());
  m_searchButton->setEnabled(!m_model->isLoading());
  m_busy->setVisible(m_model->isLoading());
  m_error->setMessage(m_model->errorMessage());
  m_shown = m_model->clientes();
  QList<TextRow> rows;
  rows.reserve(m_shown.size());
  for (const Cliente &cliente : m_shown) {
    TextRow row{cliente.nomeRazao, cliente.nomeFantasia.value_or(QString()), {}};
    if (cliente.cidade && !cliente.cidade->isEmpty())
      row.caption << *cliente.cidade;
    rows.push_back(std::move(row));
  }
  m_list->setRows(std::move(rows));
}

} // namespace varnel
