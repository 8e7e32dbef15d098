#include "app/LoginView.h"

#include "app/LoginViewModel.h"
#include "ui/BusySpinner.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

namespace varnel {

namespace {

QLabel *headline(const QString &text, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

void setIfDifferent(QLineEdit *field, const QString &text) {
  if (field->text() != text)
    field->setText(text);
}

} // namespace

LoginView::LoginView(LoginViewModel &model, QWidget *parent) : QWidget(parent), m_model(model) {
  setObjectName(QStringLiteral("LoginView"));

  // A fixed 420 × 400 frame, centred in whatever space the window gives.
  auto *frame = new QWidget(this);
  frame->setObjectName(QStringLiteral("LoginFrame"));
  frame->setFixedSize(420, 400);
  auto *outer = new QGridLayout(this);
  outer->addWidget(frame, 0, 0, Qt::AlignCenter);

  auto *column = new QVBoxLayout(frame);
  column->setSpacing(20);

  auto *title = new QLabel(QStringLiteral("Tolva"), frame);
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 2.4);
  titleFont.setBold(true);
  title->setFont(titleFont);
  title->setAlignment(Qt::AlignCenter);
  column->addWidget(title);

  auto *fields = new QVBoxLayout;
  fields->setSpacing(12);
  fields->addWidget(headline(QStringLiteral("E-mail"), frame));
  m_email = new QLineEdit(frame);
  m_email->setObjectName(QStringLiteral("email"));
  m_email->setPlaceholderText(QStringLiteral("nome@exemplo.com.br"));
  m_email->setMinimumHeight(30);
  fields->addWidget(m_email);
  fields->addWidget(headline(QStringLiteral("Senha"), frame));
  m_password = new QLineEdit(frame);
  m_password->setObjectName(QStringLiteral("password"));
  m_password->setPlaceholderText(QStringLiteral("********"));
  m_password->setEchoMode(QLineEdit::Password);
  m_password->setMinimumHeight(30);
  fields->addWidget(m_password);
  m_remember = new QCheckBox(QStringLiteral("Memorizar e-mail e senha"), frame);
  m_remember->setObjectName(QStringLiteral("rememberMe"));
  fields->addWidget(m_remember);
  column->addLayout(fields);

  m_error = new QLabel(frame);
  m_error->setObjectName(QStringLiteral("errorMessage"));
  m_error->setWordWrap(true);
  m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_error->setStyleSheet(QStringLiteral("color: #d70015;"));
  column->addWidget(m_error);

  auto *buttons = new QHBoxLayout;
  buttons->setSpacing(12);
  m_signIn = new QPushButton(QStringLiteral("Entrar"), frame);
  m_signIn->setObjectName(QStringLiteral("signIn"));
  m_signIn->setDefault(true);
  m_signIn->setMinimumHeight(32);
  m_signIn->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  m_signIn->setStyleSheet(
      QStringLiteral("QPushButton { background: palette(highlight); color: palette(highlighted-text); border: none;"
                     " border-radius: 6px; padding: 6px 12px; font-weight: bold; }"
                     "QPushButton:disabled { background: palette(mid); color: palette(window); }"));
  auto *spinnerLayout = new QHBoxLayout(m_signIn);
  spinnerLayout->setContentsMargins(0, 0, 0, 0);
  m_spinner = new BusySpinner(m_signIn);
  spinnerLayout->addWidget(m_spinner, 0, Qt::AlignCenter);
  m_spinner->hide();
  buttons->addWidget(m_signIn);
  m_quit = new QPushButton(QStringLiteral("Sair"), frame);
  m_quit->setObjectName(QStringLiteral("quit"));
  m_quit->setAutoDefault(false);
  m_quit->setMinimumHeight(32);
  m_quit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  m_quit->setStyleSheet(QStringLiteral(
      "QPushButton { color: #d70015; border: 1px solid palette(mid); border-radius: 6px; padding: 6px 12px; }"
      "QPushButton:pressed { background: palette(midlight); }"));
  buttons->addWidget(m_quit);
  column->addLayout(buttons);
  column->addStretch(1);

  connect(m_email, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setEmail(text); });
  connect(m_password, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setPassword(text); });
  connect(m_remember, &QCheckBox::toggled, this, [this](bool on) { m_model.setRememberMe(on); });
  connect(m_signIn, &QPushButton::clicked, this, [this] { m_model.signIn(); });
  connect(m_quit, &QPushButton::clicked, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  connect(&m_model, &LoginViewModel::changed, this, &LoginView::render);

  // Return signs in: from a field under the field rule, elsewhere as the
  // default button.
  for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto *shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, &LoginView::pressReturn);
  }

  render();
}

void LoginView::pressReturn() {
  QWidget *focus = QApplication::focusWidget();
  if (focus == m_email || focus == m_password)
    m_model.submitFromField();
  else
    m_model.signIn();
}

void LoginView::render() {
  setIfDifferent(m_email, m_model.email());
  setIfDifferent(m_password, m_model.password());
  {
    const QSignalBlocker block(m_remember);
    m_remember->setChecked(m_model.rememberMe());
  }
  const auto &error = m_model.errorMessage();
  m_error->setVisible(error.has_value());
  m_error->setText(error.value_or(QString()));
  m_signIn->setEnabled(m_model.canSignIn());
  m_signIn->setText(m_model.isLoading() ? QString() : QStringLiteral("Entrar"));
  m_spinner->setVisible(m_model.isLoading());
}

void LoginView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  m_model.loadSavedCredentials();
  if (m_email->text().isEmpty())
    m_email->setFocus();
  else
    m_password->setFocus();
}

void LoginView::mousePressEvent(QMouseEvent *event) {
  // The window moves when its background is dragged.
  if (event->button() == Qt::LeftButton) {
    if (QWindow *handle = window()->windowHandle(); handle && handle->startSystemMove()) {
      event->accept();
      return;
    }
  }
  QWidget::mousePressEvent(event);
}

} // namespace varnel
