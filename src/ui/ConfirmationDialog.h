#pragma once
// The question before an action that cannot be taken back from the screen:
// a title, a message, "Cancelar" and a destructive button in red. Escape and
// the window's close button cancel; the destructive button is never the
// default, so Return on an untouched dialog cancels too. Shown with open(),
// window-modal over the parent's window; it deletes itself when closed.

#include <QMessageBox>

namespace varnel {

class ConfirmationDialog : public QMessageBox {
  Q_OBJECT
public:
  ConfirmationDialog(const QString &title, const QString &message, const QString &destructiveText, QWidget *parent);

  QPushButton *cancelButton() const { return m_cancel; }
  QPushButton *destructiveButton() const { return m_destructive; }

signals:
  void confirmed();
  void cancelled();

private:
  QPushButton *m_cancel;
  QPushButton *m_destructive;
};

} // namespace varnel
