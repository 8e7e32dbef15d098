#pragma once
// The login screen: e-mail, password, the remember box, "Entrar" and "Sair".

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varnel {

class BusySpinner;
class LoginViewModel;

class LoginView : public QWidget {
  Q_OBJECT
public:
  // The model must outlive the view (the root view owns both).
  explicit LoginView(LoginViewModel &model, QWidget *parent = nullptr);

  LoginViewModel &model() { return m_model; }

protected:
  void showEvent(QShowEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private:
  void render();
  void pressReturn();

  LoginViewModel &m_model;
  QLineEdit *m_email;
  QLineEdit *m_password;
  QCheckBox *m_remember;
  QLabel *m_error;
  QPushButton *m_signIn;
  BusySpinner *m_spinner;
  QPushButton *m_quit;
};

} // namespace varnel
