#include "reports/ReportFiles.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

namespace {

QString systemError(int error) { return qt_error_string(error); }

[[noreturn]] void failWrite(const QString &path, int error) {
  throw ReportWriteError(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(path, systemError(error)));
}

} // namespace

QString privateReportDirectory() {
  const uid_t uid = ::geteuid();
  const QString directory = QDir::tempPath() + QStringLiteral("/varnel-") + QString::number(uid);
  const QByteArray path = QFile::encodeName(directory);

  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
    throw ReportWriteError(QStringLiteral("Não foi possível criar a pasta %1: %2").arg(directory, systemError(errno)));

  // lstat, not stat: a link planted under this name must not be followed.
  struct stat info {};
  if (::lstat(path.constData(), &info) != 0)
    throw ReportWriteError(QStringLiteral("Não foi possível abrir a pasta %1: %2").arg(directory, systemError(errno)));
  if (!S_ISDIR(info.st_mode) || info.st_uid != uid)
    throw ReportWriteError(
        QStringLiteral("A pasta %1 não é uma pasta particular deste usuário; o relatório não foi gravado.")
            .arg(directory));
  if ((info.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
    throw ReportWriteError(
        QStringLiteral("Não foi possível proteger a pasta %1: %2").arg(directory, systemError(errno)));
  return directory;
}

QString writeFileAtomically(const QString &directory, const QString &fileName, const QByteArray &data) {
  const QString target = directory + u'/' + fileName;
  const QByteArray targetPath = QFile::encodeName(target);
  // A short temporary name, so that any target name the folder accepts can
  // be written.
  QByteArray temporaryPath = QFile::encodeName(directory + QStringLiteral("/.report-XXXXXX"));

  // mkostemp creates a new file (O_EXCL, mode 0600), so nothing that already
  // exists under the temporary name is ever opened.
  const int fd = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
  if (fd < 0)
    failWrite(target, errno);

  const auto discard = [&](int error) {
    ::close(fd);
    ::unlink(temporaryPath.constData());
    failWrite(target, error);
  };

  const char *next = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, next, static_cast<size_t>(left));
    if (written < 0) {
      if (errno == EINTR)
        continue;
      discard(errno);
    }
    next += written;
    left -= written;
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temporaryPath.constData());
    failWrite(target, error);
  }
  // rename replaces whatever entry has the target name, a link included,
  // without following it.
  if (::rename(temporaryPath.constData(), targetPath.constData()) != 0) {
    const int error = errno;
    ::unlink(temporaryPath.constData());
    failWrite(target, error);
  }
  return target;
}

} // namespace varnel
