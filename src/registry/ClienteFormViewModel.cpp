#include "registry/ClienteFormViewModel.h"

namespace varnel {

namespace {

Cliente freshCliente() {
  Cliente cliente;
  cliente.id = QUuid::createUuid();
  return cliente;
}

std::optional<QString> digitsOrAbsent(const std::optional<QString> &text) {
  if (!text)
    return std::nullopt;
  QString digits = documentDigits(*text);
  if (digits.isEmpty())
    return std::nullopt;
  return digits;
}

} // namespace

ClienteFormViewModel::ClienteFormViewModel(std::optional<Cliente> editing, std::optional<QString> failure,
                                           QObject *parent)
    : QObject(parent), m_cliente(editing ? std::move(*editing) : freshCliente()), m_failure(std::move(failure)) {}

QString ClienteFormViewModel::title() const {
  return m_cliente.nomeRazao.trimmed().isEmpty() ? QStringLiteral("Novo Cliente") : QStringLiteral("Editar Cliente");
}

bool ClienteFormViewModel::canSave() const { return !m_cliente.nomeRazao.trimmed().isEmpty(); }

std::optional<QString> &ClienteFormViewModel::slot(Field field) {
  switch (field) {
  case Field::NomeFantasia:
    return m_cliente.nomeFantasia;
  case Field::Email:
    return m_cliente.email;
  case Field::Telefone:
    return m_cliente.telefone;
  case Field::Whatsapp:
    return m_cliente.whatsapp;
  case Field::Endereco:
    return m_cliente.endereco;
  case Field::Bairro:
    return m_cliente.bairro;
  case Field::Cidade:
    return m_cliente.cidade;
  case Field::Uf:
    return m_cliente.uf;
  case Field::Cep:
    return m_cliente.cep;
  case Field::CodigoExterno:
    return m_cliente.codigoExterno;
  }
  Q_UNREACHABLE();
}

QString ClienteFormViewModel::text(Field field) const {
  return const_cast<ClienteFormViewModel *>(this)->slot(field).value_or(QString());
}

void ClienteFormViewModel::setNomeRazao(const QString &text) {
  if (text == m_cliente.nomeRazao)
    return;
  m_cliente.nomeRazao = text;
  emit changed();
}

void ClienteFormViewModel::setText(Field field, const QString &text) {
  std::optional<QString> value = text.isEmpty() ? std::nullopt : std::optional<QString>(text);
  std::optional<QString> &stored = slot(field);
  if (stored == value)
    return;
  stored = std::move(value);
  emit changed();
}

MaskedEdit ClienteFormViewModel::editCpf(const QString &typed, int cursor) {
  MaskedEdit edit = varnel::editCpf(typed, cursor);
  if (edit.digits.isEmpty()) {
    m_cliente.cpf.reset();
  } else {
    m_cliente.cpf = edit.digits;
    m_cliente.cnpj.reset();
  }
  emit changed();
  return edit;
}

MaskedEdit ClienteFormViewModel::editCnpj(const QString &typed, int cursor) {
  MaskedEdit edit = varnel::editCnpj(typed, cursor);
  if (edit.digits.isEmpty()) {
    m_cliente.cnpj.reset();
  } else {
    m_cliente.cnpj = edit.digits;
    m_cliente.cpf.reset();
  }
  emit changed();
  return edit;
}

Cliente ClienteFormViewModel::finished() const {
  Cliente cliente = m_cliente;
  cliente.cpf = digitsOrAbsent(cliente.cpf);
  cliente.cnpj = digitsOrAbsent(cliente.cnpj);
  return cliente;
}

} // namespace varnel
