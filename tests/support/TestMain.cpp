// GoogleTest inside a QApplication, so tasks, timers and widgets work.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setOrganizationDomain(QStringLiteral("test.varnel.app"));
  QApplication::setApplicationName(QStringLiteral("varnel-tests"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
