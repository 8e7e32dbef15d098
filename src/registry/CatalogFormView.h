#pragma once
// The form of a catalog entry, shown in a sheet: its title follows the
// description as it is typed; "Salvar" hands the entry over and closes.

#include "registry/CatalogAccess.h"
#include "ui/FormSheet.h"

class QLineEdit;

namespace varnel {

class CatalogFormViewModel;

class CatalogFormView : public FormSheet {
  Q_OBJECT
public:
  // Takes model.
  explicit CatalogFormView(CatalogFormViewModel *model, QWidget *parent = nullptr);

  CatalogFormViewModel &model() const { return *m_model; }
  QLineEdit *descricaoField() const { return m_descricao; }

signals:
  void saved(const CatalogItem &item);

private:
  void render();

  CatalogFormViewModel *m_model;
  QLineEdit *m_descricao;
};

} // namespace varnel
