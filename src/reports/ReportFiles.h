#pragma once
// Where reports are written and how: a folder only this user can enter, and
// a whole-file replace so that no reader ever sees half a report.

#include "base/Errors.h"

#include <QByteArray>
#include <QString>

namespace varnel {

// Writing a report failed; the description names the file and the cause.
class ReportWriteError : public VarnelError {
public:
  using VarnelError::VarnelError;
};

// The per-user report folder inside the temporary directory, created with
// owner-only permissions when missing. A folder of that name that is a link,
// not a folder, or belongs to someone else is refused with a
// ReportWriteError, since another local user could read or swap the reports
// in it.
QString privateReportDirectory();

// Writes data to directory/fileName by writing a fresh temporary file in the
// same folder and renaming it over the name. An earlier file, or a link, of
// that name is replaced and never written through. Returns the file's path;
// throws ReportWriteError, leaving nothing behind, when any step fails.
QString writeFileAtomically(const QString &directory, const QString &fileName, const QByteArray &data);

} // namespace varnel
