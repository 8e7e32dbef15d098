#include "app/MainWindow.h"

#include <QLabel>

namespace varnel {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Varnel"));
  auto *label = new QLabel(QStringLiteral("Varnel"), this);
  label->setAlignment(Qt::AlignCenter);
  setCentralWidget(label);
  resize(520, 460);
}

} // namespace varnel
