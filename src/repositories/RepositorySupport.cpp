#include "repositories/RepositorySupport.h"

#include "backend/RestQuery.h"

#include <QLocale>

namespace varnel::repo {

std::optional<QString> searchTerm(const std::optional<QString> &search) {
  if (!search)
    return std::nullopt;
  QString term = search->trimmed();
  if (term.isEmpty())
    return std::nullopt;
  return term;
}

QString ilikeCondition(const QString &column, const QString &term) {
  // Two layers: the database's LIKE reads a backslash as its escape
  // character, so a literal one is doubled first; then the value is quoted
  // for the filter syntax, where quotes and backslashes take one more each.
  QString escaped;
  escaped.reserve(term.size() + 8);
  for (const QChar c : term) {
    if (c == QLatin1Char('\\'))
      escaped.append(QStringLiteral("\\\\\\\\"));
    else if (c == QLatin1Char('"'))
      escaped.append(QStringLiteral("\\\""));
    else
      escaped.append(c);
  }
  return column + QStringLiteral(".ilike.\"%") + escaped + QStringLiteral("%\"");
}

QString archiveStamp(const QDateTime &instant) {
  return QLocale::c().toString(instant.toUTC(), QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

QString localDateTimeText(const QDateTime &value) {
  const QDateTime local = value.toLocalTime();
  QString text = QLocale::c().toString(local, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz"));
  const int offset = local.offsetFromUtc();
  if (offset == 0)
    return text + QLatin1Char('Z');
  const int minutes = std::abs(offset) / 60;
  text += offset < 0 ? QLatin1Char('-') : QLatin1Char('+');
  text += QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
  return text;
}

QCoro::Task<void> archiveRow(BackendClient *client, QString table, QUuid id) {
  RestQuery query = client->from(table);
  query.update(ArchivePatch{archiveStamp()}).eq(QStringLiteral("id"), wire::uuidText(id));
  co_await query.execute();
}

std::optional<QString> documentDigits(const std::optional<QString> &text) {
  if (!text)
    return std::nullopt;
  QString digits;
  for (const char32_t c : text->toUcs4()) {
    if (QChar::isNumber(c))
      digits.append(QString::fromUcs4(&c, 1));
  }
  if (digits.isEmpty())
    return std::nullopt;
  return digits;
}

std::optional<QString> nonEmpty(const QString &text) {
  if (text.isEmpty())
    return std::nullopt;
  return text;
}

} // namespace varnel::repo
