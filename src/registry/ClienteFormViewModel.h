#pragma once
// Screen model of the customer form: a working copy of one customer, edited
// field by field, with the CPF and CNPJ masks, the live title and the rule
// of "Salvar". It never calls the back-end; finished() is what it hands back.

#include "model/Cliente.h"
#include "registry/DocumentMask.h"

#include <QObject>

#include <optional>

namespace varnel {

class ClienteFormViewModel : public QObject {
  Q_OBJECT
public:
  // The optional free-text fields, edited the same way.
  enum class Field { NomeFantasia, Email, Telefone, Whatsapp, Endereco, Bairro, Cidade, Uf, Cep, CodigoExterno };

  // editing absent: a new customer with a fresh id, an empty legal name and
  // every other field absent.
  explicit ClienteFormViewModel(std::optional<Cliente> editing, std::optional<QString> failure = std::nullopt,
                                QObject *parent = nullptr);

  const Cliente &cliente() const { return m_cliente; }
  const std::optional<QString> &failure() const { return m_failure; }
  // "Novo Cliente" while the trimmed legal name is empty, "Editar Cliente" otherwise.
  QString title() const;
  bool canSave() const;

  QString text(Field field) const;
  QString cpfText() const { return showCpf(m_cliente.cpf); }
  QString cnpjText() const { return showCnpj(m_cliente.cnpj); }

  void setNomeRazao(const QString &text);
  // An empty text stores the field as absent; any other is kept as typed.
  void setText(Field field, const QString &text);
  // The field's text became typed with the caret at cursor. The digits (at
  // most 11) become the CPF and clear the CNPJ; with no digit left the CPF
  // is absent and the CNPJ stays. Returns what the field shows now.
  MaskedEdit editCpf(const QString &typed, int cursor);
  // The same with 14 digits, clearing the CPF.
  MaskedEdit editCnpj(const QString &typed, int cursor);

  // The customer to save: CPF and CNPJ as digits, absent when none remain.
  Cliente finished() const;

signals:
  void changed();

private:
  std::optional<QString> &slot(Field field);

  Cliente m_cliente;
  std::optional<QString> m_failure;
};

} // namespace varnel
