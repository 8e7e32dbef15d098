#pragma once
// The frame of every form shown in a sheet: a bold title, the red line of a
// save that failed, the form's own fields, and "Cancelar" and "Salvar".
// "Salvar" is the default button, so Return saves while it is enabled;
// Escape and "Cancelar" close the sheet without saving.

#include <QDialog>

#include <optional>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace varnel {

class MessageLine;

class FormSheet : public QDialog {
  Q_OBJECT
public:
  // Where "Cancelar" sits: right before "Salvar", or at the leading edge
  // with the space between the two.
  enum class CancelPlacement { BesideSave, Leading };

  explicit FormSheet(int minimumWidth, int spacing, CancelPlacement placement, QWidget *parent = nullptr);

  // Where the form puts its fields, between the title and the buttons.
  QVBoxLayout *fields() const { return m_fields; }

  void setTitle(const QString &title);
  void setFailure(const std::optional<QString> &failure);
  void setCanSave(bool canSave);

  QLabel *titleLabel() const { return m_title; }
  MessageLine *failureLine() const { return m_failure; }
  QPushButton *saveButton() const { return m_save; }
  QPushButton *cancelButton() const { return m_cancel; }

signals:
  // "Salvar" was pressed (it is enabled); the form hands over its record
  // and closes with accept().
  void saveRequested();

private:
  QLabel *m_title;
  MessageLine *m_failure;
  QVBoxLayout *m_fields;
  QPushButton *m_cancel;
  QPushButton *m_save;
};

} // namespace varnel
