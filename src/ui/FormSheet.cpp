#include "ui/FormSheet.h"

#include "ui/ButtonStyles.h"
#include "ui/MessageLine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

FormSheet::FormSheet(int minimumWidth, int spacing, CancelPlacement placement, QWidget *parent) : QDialog(parent) {
  setMinimumWidth(minimumWidth);
  auto *column = new QVBoxLayout(this);
  column->setSpacing(spacing);

  m_title = new QLabel(this);
  m_title->setObjectName(QStringLiteral("formTitle"));
  QFont titleFont = m_title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
  titleFont.setBold(true);
  m_title->setFont(titleFont);
  column->addWidget(m_title);

  m_failure = new MessageLine(MessageLine::Tone::Error, this);
  column->addWidget(m_failure);

  m_fields = new QVBoxLayout;
  m_fields->setSpacing(spacing);
  column->addLayout(m_fields);

  auto *buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 8, 0, 0);
  m_cancel = new QPushButton(QStringLiteral("Cancelar"), this);
  m_cancel->setObjectName(QStringLiteral("cancel"));
  m_cancel->setAutoDefault(false);
  m_save = new QPushButton(QStringLiteral("Salvar"), this);
  m_save->setObjectName(QStringLiteral("save"));
  m_save->setDefault(true);
  styleProminent(m_save);
  if (placement == CancelPlacement::Leading) {
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
  } else {
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
  }
  buttons->addWidget(m_save);
  column->addLayout(buttons);

  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_save, &QPushButton::clicked, this, [this] {
    if (m_save->isEnabled())
      emit saveRequested();
  });
}

void FormSheet::setTitle(const QString &title) {
  m_title->setText(title);
  setWindowTitle(title);
}

void FormSheet::setFailure(const std::optional<QString> &failure) { m_failure->setMessage(failure); }

void FormSheet::setCanSave(bool canSave) { m_save->setEnabled(canSave); }

} // namespace varnel
