#include "reports/ReportFiles.h"

#include "TemporaryLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace varnel;

namespace {

QByteArray readAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeText(const QString &path, const QByteArray &data) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(data);
}

mode_t modeOf(const QString &path) {
  struct stat info {};
  EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0);
  return info.st_mode;
}

using PrivateReportDirectory = TemporaryLocation;

TEST_F(PrivateReportDirectory, IsCreatedForTheOwnerOnly) {
  EXPECT_EQ(QDir(privateReportDirectory()), QDir(privatePath()));
  const mode_t mode = modeOf(privatePath());
  EXPECT_TRUE(S_ISDIR(mode));
  EXPECT_EQ(mode & 0777, 0700u);
  // A second call finds the folder and keeps it.
  EXPECT_EQ(QDir(privateReportDirectory()), QDir(privatePath()));
}

TEST_F(PrivateReportDirectory, TightensAnOpenFolderOfItsOwn) {
  ASSERT_EQ(::mkdir(QFile::encodeName(privatePath()).constData(), 0777), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(privatePath()).constData(), 0777), 0);
  privateReportDirectory();
  EXPECT_EQ(modeOf(privatePath()) & 0777, 0700u);
}

TEST_F(PrivateReportDirectory, RefusesALinkOrAFileInItsPlace) {
  const QString elsewhere = root() + QStringLiteral("/elsewhere");
  ASSERT_TRUE(QDir().mkdir(elsewhere));
  ASSERT_TRUE(QFile::link(elsewhere, privatePath()));
  EXPECT_THROW(privateReportDirectory(), ReportWriteError);
  EXPECT_TRUE(S_ISLNK(modeOf(privatePath())));

  ASSERT_TRUE(QFile::remove(privatePath()));
  writeText(privatePath(), "not a folder");
  try {
    privateReportDirectory();
    FAIL() << "a plain file was taken for the report folder";
  } catch (const ReportWriteError &error) {
    EXPECT_TRUE(error.description().contains(privatePath())) << error.description().toStdString();
  }
}

class AtomicWrite : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
  QString dir() const { return m_dir.path(); }
  QStringList entries() const { return QDir(dir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

private:
  QTemporaryDir m_dir;
};

TEST_F(AtomicWrite, WritesAndReplacesTheWholeFile) {
  const QString path = writeFileAtomically(dir(), QStringLiteral("a.pdf"), QByteArray("first, longer contents"));
  EXPECT_EQ(path, dir() + QStringLiteral("/a.pdf"));
  EXPECT_EQ(readAll(path), "first, longer contents");
  writeFileAtomically(dir(), QStringLiteral("a.pdf"), QByteArray("second"));
  EXPECT_EQ(readAll(path), "second");
  EXPECT_EQ(entries(), QStringList{QStringLiteral("a.pdf")});
}

TEST_F(AtomicWrite, TakesTheLongestNameTheFolderAllows) {
  const QString longest = QString(251, u'a') + QStringLiteral(".pdf");
  EXPECT_EQ(readAll(writeFileAtomically(dir(), longest, QByteArray("report"))), "report");
}

TEST_F(AtomicWrite, ReplacesAPlantedLinkWithoutWritingThroughIt) {
  const QString victim = dir() + QStringLiteral("/victim");
  writeText(victim, "keep me");
  const QString path = dir() + QStringLiteral("/a.pdf");
  ASSERT_TRUE(QFile::link(victim, path));

  writeFileAtomically(dir(), QStringLiteral("a.pdf"), QByteArray("report"));

  EXPECT_EQ(readAll(victim), "keep me");
  EXPECT_FALSE(QFileInfo(path).isSymLink());
  EXPECT_EQ(readAll(path), "report");
}

TEST_F(AtomicWrite, FailureIsReportedAndLeavesNothingBehind) {
  // A folder with the report's name cannot be replaced by a file.
  ASSERT_TRUE(QDir(dir()).mkdir(QStringLiteral("a.pdf")));
  try {
    writeFileAtomically(dir(), QStringLiteral("a.pdf"), QByteArray("report"));
    FAIL() << "the write was reported as done";
  } catch (const ReportWriteError &error) {
    EXPECT_TRUE(error.description().contains(dir() + QStringLiteral("/a.pdf"))) << error.description().toStdString();
  }
  EXPECT_EQ(entries(), QStringList{QStringLiteral("a.pdf")});
  EXPECT_TRUE(QFileInfo(dir() + QStringLiteral("/a.pdf")).isDir());

  EXPECT_THROW(writeFileAtomically(dir() + QStringLiteral("/missing"), QStringLiteral("b.pdf"), QByteArray("x")),
               ReportWriteError);
}

} // namespace
