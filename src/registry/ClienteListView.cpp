#include "registry/ClienteListView.h"

#include "registry/ClienteFormView.h"
#include "registry/ClienteFormViewModel.h"
#include "registry/ClienteListViewModel.h"
#include "ui/ConfirmationDialog.h"
#include "ui/ListScreenFrame.h"
#include "ui/RowListView.h"
#include "ui/SheetPresenter.h"
#include "ui/TextRowListModel.h"

#include <QVBoxLayout>

namespace varnel {

namespace {
TextRow rowOf(const Cliente &cliente) {
  TextRow row{cliente.nomeRazao, cliente.nomeFantasia.value_or(QString()), {}};
  for (const auto &part : {cliente.cidade, cliente.email}) {
    if (part && !part->isEmpty())
      row.caption << *part;
  }
  return row;
}
} // namespace

ClienteListView::ClienteListView(BackendClient &client, QWidget *parent)
    : QWidget(parent), m_model(new ClienteListViewModel(ClienteRepository(client), this)) {
  setObjectName(QStringLiteral("ClienteListView"));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_frame = new ListScreenFrame(
      {QStringLiteral("Clientes"), QStringLiteral("Buscar por nome..."), QStringLiteral("Novo Cliente")}, this);
  layout->addWidget(m_frame);
  m_list = new RowListView;
  m_list->enableEditMenu();
  m_frame->setContent(m_list);
  m_sheets = new SheetPresenter(this);

  connect(m_frame, &ListScreenFrame::searchEdited, m_model, &ClienteListViewModel::setSearchText);
  connect(m_frame, &ListScreenFrame::refreshRequested, m_model, &ClienteListViewModel::load);
  connect(m_frame, &ListScreenFrame::newRequested, m_model, &ClienteListViewModel::openNew);
  auto edit = [this](int row) {
    if (const Cliente *cliente = shownAt(row))
      m_model->openEdit(*cliente);
  };
  auto remove = [this](int row) {
    if (const Cliente *cliente = shownAt(row))
      m_model->askDelete(*cliente);
  };
  connect(m_list, &RowListView::rowClicked, this, edit);
  connect(m_list, &RowListView::editRequested, this, edit);
  connect(m_list, &RowListView::deleteRequested, this, remove);
  connect(m_sheets, &SheetPresenter::closed, m_model, &ClienteListViewModel::sheetClosed);
  connect(m_model, &ClienteListViewModel::changed, this, &ClienteListView::render);
  render();
}

ClienteListView::~ClienteListView() {
  // The dialog belongs to the window, which outlives this screen.
  delete m_confirmation.data();
}

void ClienteListView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!m_loadedOnce) {
    m_loadedOnce = true;
    m_model->load();
  }
}

const Cliente *ClienteListView::shownAt(int row) const {
  if (row < 0 || row >= m_shown.size())
    return nullptr;
  return &m_shown.at(row);
}

void ClienteListView::render() {
  m_frame->setSearchText(m_model->searchText());
  m_frame->setLoading(m_model->isLoading());
  m_frame->setError(m_model->errorMessage());
  m_shown = m_model->filtered();
  QList<TextRow> rows;
  rows.reserve(m_shown.size());
  for (const Cliente &cliente : m_shown)
    rows.push_back(rowOf(cliente));
  m_list->setRows(std::move(rows));

  const std::optional<ClienteListViewModel::Route> route = m_model->formRoute();
  m_sheets->sync(route ? std::optional(route->id) : std::nullopt, [this, route] {
    auto *form = new ClienteFormView(new ClienteFormViewModel(route->editing, route->failure));
    connect(form, &ClienteFormView::saved, m_model, &ClienteListViewModel::save);
    return form;
  });
  syncConfirmation();
}

void ClienteListView::syncConfirmation() {
  if (m_model->showDeleteConfirm() == static_cast<bool>(m_confirmation))
    return;
  if (!m_model->showDeleteConfirm()) {
    m_confirmation->close();
    return;
  }
  auto *dialog = new ConfirmationDialog(
      QStringLiteral("Excluir cliente?"),
      QStringLiteral("Essa ação apenas arquiva o cliente (soft delete). Você pode implementar restauração depois."),
      QStringLiteral("Excluir"), this);
  m_confirmation = dialog;
  connect(dialog, &ConfirmationDialog::confirmed, this, [this] {
    m_confirmation = nullptr;
    m_model->confirmDelete();
  });
  connect(dialog, &ConfirmationDialog::cancelled, this, [this] {
    m_confirmation = nullptr;
    m_model->cancelDelete();
  });
  dialog->open();
}

} // namespace varnel
