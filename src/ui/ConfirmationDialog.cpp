#include "ui/ConfirmationDialog.h"

#include "ui/ButtonStyles.h"

#include <QPushButton>

namespace varnel {

ConfirmationDialog::ConfirmationDialog(const QString &title, const QString &message, const QString &destructiveText,
                                       QWidget *parent)
    : QMessageBox(parent ? parent->window() : nullptr) {
  setObjectName(QStringLiteral("confirmation"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowModality(Qt::WindowModal);
  setIcon(QMessageBox::Warning);
  setWindowTitle(title);
  setText(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()));
  setTextFormat(Qt::RichText);
  setInformativeText(message.toHtmlEscaped());
  m_cancel = addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
  m_cancel->setObjectName(QStringLiteral("cancel"));
  m_destructive = addButton(destructiveText, QMessageBox::DestructiveRole);
  m_destructive->setObjectName(QStringLiteral("destructive"));
  m_destructive->setAutoDefault(false);
  styleDestructive(m_destructive);
  setDefaultButton(m_cancel);
  setEscapeButton(m_cancel);
  connect(this, &QMessageBox::finished, this, [this] {
    if (clickedButton() == m_destructive)
      emit confirmed();
    else
      emit cancelled();
  });
}

} // namespace varnel
