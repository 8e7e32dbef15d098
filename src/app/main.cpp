#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Varnel"));
  QApplication::setOrganizationDomain(QStringLiteral("varnel.app"));
  varnel::MainWindow window;
  window.show();
  return app.exec();
}
