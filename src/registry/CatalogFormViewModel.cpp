#include "registry/CatalogFormViewModel.h"

namespace varnel {

namespace {
CatalogItem freshItem() {
  CatalogItem item;
  item.id = QUuid::createUuid();
  return item;
}
} // namespace

CatalogFormViewModel::CatalogFormViewModel(CatalogTexts texts, std::optional<CatalogItem> editing,
                                           std::optional<QString> failure, QObject *parent)
    : QObject(parent), m_texts(std::move(texts)), m_item(editing ? std::move(*editing) : freshItem()),
      m_failure(std::move(failure)) {}

QString CatalogFormViewModel::title() const {
  return m_item.descricao.isEmpty() ? m_texts.newTitle : m_texts.editTitle;
}

bool CatalogFormViewModel::canSave() const { return !m_item.descricao.trimmed().isEmpty(); }

void CatalogFormViewModel::setDescricao(const QString &descricao) {
  if (descricao == m_item.descricao)
    return;
  m_item.descricao = descricao;
  emit changed();
}

} // namespace varnel
