#pragma once
// A fixture that points the temporary location (TMPDIR) at a throwaway
// folder for the length of one test.

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

// Points the temporary location at a throwaway folder for one test.
class TemporaryLocation : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_root.isValid());
    m_previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_root.path()));
  }
  void TearDown() override {
    if (m_previous.isEmpty())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", m_previous);
  }
  QString root() const { return m_root.path(); }
  QString privatePath() const { return root() + QStringLiteral("/varnel-") + QString::number(::geteuid()); }

private:
  QTemporaryDir m_root;
  QByteArray m_previous;
};
