#include "registry/ClienteFormView.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

namespace {
void setIfDifferent(QLineEdit *field, const QString &text) {
  if (field->text() != text)
    field->setText(text);
}
} // namespace

using Field = ClienteFormViewModel::Field;

ClienteFormView::ClienteFormView(ClienteFormViewModel *model, QWidget *parent)
    : FormSheet(520, 14, CancelPlacement::Leading, parent), m_model(model) {
  setObjectName(QStringLiteral("ClienteFormView"));
  model->setParent(this);

  m_nomeRazao = lineEdit(QStringLiteral("Nome / Razão Social *"), QStringLiteral("nomeRazao"));
  fields()->addWidget(m_nomeRazao);
  fields()->addWidget(textField(Field::NomeFantasia, QStringLiteral("Nome Fantasia"), QStringLiteral("nomeFantasia")));
  auto *documents = new QHBoxLayout;
  documents->setSpacing(10);
  m_cpf = lineEdit(QStringLiteral("CPF"), QStringLiteral("cpf"));
  m_cnpj = lineEdit(QStringLiteral("CNPJ"), QStringLiteral("cnpj"));
  documents->addWidget(m_cpf);
  documents->addWidget(m_cnpj);
  fields()->addLayout(documents);
  fields()->addWidget(textField(Field::Email, QStringLiteral("E-mail"), QStringLiteral("email")));
  fields()->addWidget(textField(Field::Telefone, QStringLiteral("Telefone"), QStringLiteral("telefone")));
  fields()->addWidget(textField(Field::Whatsapp, QStringLiteral("WhatsApp"), QStringLiteral("whatsapp")));

  auto *divider = new QFrame(this);
  divider->setFrameShape(QFrame::HLine);
  divider->setFrameShadow(QFrame::Plain);
  divider->setStyleSheet(QStringLiteral("color: #d8d8dc;"));
  fields()->addWidget(divider);

  fields()->addWidget(textField(Field::Endereco, QStringLiteral("Endereço"), QStringLiteral("endereco")));
  fields()->addWidget(textField(Field::Bairro, QStringLiteral("Bairro"), QStringLiteral("bairro")));
  auto *place = new QHBoxLayout;
  place->setSpacing(10);
  place->addWidget(textField(Field::Cidade, QStringLiteral("Cidade"), QStringLiteral("cidade")));
  QLineEdit *uf = textField(Field::Uf, QStringLiteral("UF"), QStringLiteral("uf"));
  uf->setFixedWidth(70);
  place->addWidget(uf);
  fields()->addLayout(place);
  fields()->addWidget(textField(Field::Cep, QStringLiteral("CEP"), QStringLiteral("cep")));
  fields()->addWidget(
      textField(Field::CodigoExterno, QStringLiteral("Código Externo"), QStringLiteral("codigoExterno")));

  // Tab order follows the fields as they are laid out, then the buttons.
  QList<QWidget *> order{m_nomeRazao,
                         m_fields.at(Field::NomeFantasia),
                         m_cpf,
                         m_cnpj,
                         m_fields.at(Field::Email),
                         m_fields.at(Field::Telefone),
                         m_fields.at(Field::Whatsapp),
                         m_fields.at(Field::Endereco),
                         m_fields.at(Field::Bairro),
                         m_fields.at(Field::Cidade),
                         m_fields.at(Field::Uf),
                         m_fields.at(Field::Cep),
                         m_fields.at(Field::CodigoExterno),
                         cancelButton(),
                         saveButton()};
  for (qsizetype i = 1; i < order.size(); ++i)
    setTabOrder(order.at(i - 1), order.at(i));

  m_nomeRazao->setText(model->cliente().nomeRazao);
  m_cpf->setText(model->cpfText());
  m_cnpj->setText(model->cnpjText());

  connect(m_nomeRazao, &QLineEdit::textEdited, m_model, &ClienteFormViewModel::setNomeRazao);
  connect(m_cpf, &QLineEdit::textEdited, this, [this](const QString &text) {
    const MaskedEdit edit = m_model->editCpf(text, m_cpf->cursorPosition());
    setIfDifferent(m_cpf, edit.text);
    m_cpf->setCursorPosition(edit.cursor);
  });
  connect(m_cnpj, &QLineEdit::textEdited, this, [this](const QString &text) {
    const MaskedEdit edit = m_model->editCnpj(text, m_cnpj->cursorPosition());
    setIfDifferent(m_cnpj, edit.text);
    m_cnpj->setCursorPosition(edit.cursor);
  });
  connect(m_model, &ClienteFormViewModel::changed, this, &ClienteFormView::render);
  connect(this, &FormSheet::saveRequested, this, [this] {
    emit saved(m_model->finished());
    accept();
  });
  setFailure(model->failure());
  render();
  m_nomeRazao->setFocus();
}

QLineEdit *ClienteFormView::lineEdit(const QString &placeholder, const QString &name) {
  auto *field = new QLineEdit(this);
  field->setObjectName(name);
  field->setPlaceholderText(placeholder);
  field->setToolTip(placeholder);
  field->setAccessibleName(placeholder);
  field->setMinimumHeight(28);
  return field;
}

QLineEdit *ClienteFormView::textField(Field which, const QString &placeholder, const QString &name) {
  QLineEdit *field = lineEdit(placeholder, name);
  field->setText(m_model->text(which));
  m_fields[which] = field;
  connect(field, &QLineEdit::textEdited, m_model,
          [this, which](const QString &text) { m_model->setText(which, text); });
  return field;
}

void ClienteFormView::render() {
  setTitle(m_model->title());
  setCanSave(m_model->canSave());
  // Typing into one document field clears the other; the handler of the
  // field being typed into then places its caret.
  setIfDifferent(m_cpf, m_model->cpfText());
  setIfDifferent(m_cnpj, m_model->cnpjText());
}

} // namespace varnel
