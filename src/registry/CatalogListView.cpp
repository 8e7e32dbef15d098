#include "registry/CatalogListView.h"

#include "registry/CatalogFormView.h"
#include "registry/CatalogFormViewModel.h"
#include "registry/CatalogListViewModel.h"
#include "ui/ConfirmationDialog.h"
#include "ui/ListScreenFrame.h"
#include "ui/RowListView.h"
#include "ui/SheetPresenter.h"
#include "ui/TextRowListModel.h"

#include <QVBoxLayout>

namespace varnel {

CatalogListView::CatalogListView(CatalogAccess access, CatalogTexts texts, QWidget *parent)
    : QWidget(parent), m_model(new CatalogListViewModel(std::move(access), texts, this)) {
  setObjectName(QStringLiteral("CatalogListView"));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_frame = new ListScreenFrame({texts.listTitle, QStringLiteral("Buscar..."), texts.newTitle}, this);
  layout->addWidget(m_frame);
  m_list = new RowListView;
  m_list->enableEditMenu();
  m_frame->setContent(m_list);
  m_sheets = new SheetPresenter(this);

  connect(m_frame, &ListScreenFrame::searchEdited, m_model, &CatalogListViewModel::setSearchText);
  connect(m_frame, &ListScreenFrame::refreshRequested, m_model, &CatalogListViewModel::load);
  connect(m_frame, &ListScreenFrame::newRequested, m_model, &CatalogListViewModel::openNew);
  auto edit = [this](int row) {
    if (const CatalogItem *item = shownAt(row))
      m_model->openEdit(*item);
  };
  auto remove = [this](int row) {
    if (const CatalogItem *item = shownAt(row))
      m_model->askDelete(*item);
  };
  connect(m_list, &RowListView::rowClicked, this, edit);
  connect(m_list, &RowListView::editRequested, this, edit);
  connect(m_list, &RowListView::deleteRequested, this, remove);
  connect(m_sheets, &SheetPresenter::closed, m_model, &CatalogListViewModel::sheetClosed);
  connect(m_model, &CatalogListViewModel::changed, this, &CatalogListView::render);
  render();
}

CatalogListView *CatalogListView::classificacoes(BackendClient &client, QWidget *parent) {
  return new CatalogListView(CatalogAccess(ClassificacaoRepository(client)), CatalogTexts::classificacoes(), parent);
}

CatalogListView *CatalogListView::objetivos(BackendClient &client, QWidget *parent) {
  return new CatalogListView(CatalogAccess(ObjetivoRepository(client)), CatalogTexts::objetivos(), parent);
}

CatalogListView::~CatalogListView() {
  // The dialog belongs to the window, which outlives this screen.
  delete m_confirmation.data();
}

void CatalogListView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!m_loadedOnce) {
    m_loadedOnce = true;
    m_model->load();
  }
}

const CatalogItem *CatalogListView::shownAt(int row) const {
  if (row < 0 || row >= m_shown.size())
    return nullptr;
  return &m_shown.at(row);
}

void CatalogListView::render() {
  m_frame->setSearchText(m_model->searchText());
  m_frame->setLoading(m_model->isLoading());
  m_frame->setError(m_model->errorMessage());
  m_shown = m_model->filtered();
  QList<TextRow> rows;
  rows.reserve(m_shown.size());
  for (const CatalogItem &item : m_shown)
    rows.push_back(TextRow{item.descricao, {}, {}});
  m_list->setRows(std::move(rows));

  const std::optional<CatalogListViewModel::Route> route = m_model->formRoute();
  m_sheets->sync(route ? std::optional(route->id) : std::nullopt, [this, route] {
    auto *form = new CatalogFormView(new CatalogFormViewModel(m_model->texts(), route->editing, route->failure));
    connect(form, &CatalogFormView::saved, m_model, &CatalogListViewModel::save);
    return form;
  });
  syncConfirmation();
}

void CatalogListView::syncConfirmation() {
  if (m_model->showDeleteConfirm() == static_cast<bool>(m_confirmation))
    return;
  if (!m_model->showDeleteConfirm()) {
    m_confirmation->close();
    return;
  }
  const CatalogTexts &texts = m_model->texts();
  auto *dialog = new ConfirmationDialog(texts.alertTitle, texts.alertMessage, QStringLiteral("Excluir"), this);
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
