#include "app/VarnelApp.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  QApplication application(argc, argv);
  varnel::VarnelApp::setUpApplication();
  varnel::VarnelApp app;
  app.start();
  return application.exec();
}
