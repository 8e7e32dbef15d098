#include "registry/CatalogFormView.h"

#include "registry/CatalogFormViewModel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

CatalogFormView::CatalogFormView(CatalogFormViewModel *model, QWidget *parent)
    : FormSheet(420, 12, CancelPlacement::BesideSave, parent), m_model(model) {
  setObjectName(QStringLiteral("CatalogFormView"));
  model->setParent(this);
  m_descricao = new QLineEdit(this);
  m_descricao->setObjectName(QStringLiteral("descricao"));
  m_descricao->setPlaceholderText(QStringLiteral("Descrição *"));
  m_descricao->setMinimumHeight(28);
  m_descricao->setText(model->item().descricao);
  fields()->addWidget(m_descricao);
  setTabOrder(m_descricao, cancelButton());
  setTabOrder(cancelButton(), saveButton());

  connect(m_descricao, &QLineEdit::textEdited, m_model, &CatalogFormViewModel::setDescricao);
  connect(m_model, &CatalogFormViewModel::changed, this, &CatalogFormView::render);
  connect(this, &FormSheet::saveRequested, this, [this] {
    emit saved(m_model->item());
    accept();
  });
  setFailure(model->failure());
  render();
  m_descricao->setFocus();
}

void CatalogFormView::render() {
  setTitle(m_model->title());
  setCanSave(m_model->canSave());
}

} // namespace varnel
