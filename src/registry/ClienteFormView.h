#pragma once
// The customer form, shown in a sheet: every field of a customer, the CPF
// and CNPJ masked as they are typed or pasted, "Salvar" handing the
// customer over (documents as digits) and closing at once.

#include "model/Cliente.h"
#include "registry/ClienteFormViewModel.h"
#include "ui/FormSheet.h"

#include <map>

class QLineEdit;

namespace varnel {

class ClienteFormView : public FormSheet {
  Q_OBJECT
public:
  // Takes model.
  explicit ClienteFormView(ClienteFormViewModel *model, QWidget *parent = nullptr);

  ClienteFormViewModel &model() const { return *m_model; }
  QLineEdit *nomeRazaoField() const { return m_nomeRazao; }
  QLineEdit *cpfField() const { return m_cpf; }
  QLineEdit *cnpjField() const { return m_cnpj; }
  QLineEdit *field(ClienteFormViewModel::Field field) const { return m_fields.at(field); }

signals:
  void saved(const Cliente &cliente);

private:
  QLineEdit *lineEdit(const QString &placeholder, const QString &name);
  QLineEdit *textField(ClienteFormViewModel::Field field, const QString &placeholder, const QString &name);
  void render();

  ClienteFormViewModel *m_model;
  QLineEdit *m_nomeRazao;
  QLineEdit *m_cpf;
  QLineEdit *m_cnpj;
  std::map<ClienteFormViewModel::Field, QLineEdit *> m_fields;
};

} // namespace varnel
