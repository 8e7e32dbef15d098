#pragma once
// Screen model of a catalog form: a working copy of one entry's description,
// the live title and the rule of "Salvar".

#include "registry/CatalogAccess.h"
#include "registry/CatalogTexts.h"

#include <QObject>

#include <optional>

namespace varnel {

class CatalogFormViewModel : public QObject {
  Q_OBJECT
public:
  // editing absent: a new entry with a fresh id and an empty description.
  CatalogFormViewModel(CatalogTexts texts, std::optional<CatalogItem> editing,
                       std::optional<QString> failure = std::nullopt, QObject *parent = nullptr);

  const CatalogItem &item() const { return m_item; }
  const std::optional<QString> &failure() const { return m_failure; }
  // The new-entry title while the description is empty, otherwise the edit title.
  QString title() const;
  // The description holds more than blanks.
  bool canSave() const;

  void setDescricao(const QString &descricao);

signals:
  void changed();

private:
  CatalogTexts m_texts;
  CatalogItem m_item;
  std::optional<QString> m_failure;
};

} // namespace varnel
