#pragma once
// Small texts that several repositories put on the wire: search patterns,
// date stamps and document digits.

#include "backend/BackendClient.h"
#include "model/WireCoding.h"

#include <QCoroTask>
#include <QDateTime>
#include <QString>

#include <optional>

namespace varnel::repo {

// The search text trimmed of white space and line breaks; nothing when it
// is absent or blank.
std::optional<QString> searchTerm(const std::optional<QString> &search);

// column.ilike."%term%" with '"' and '\' escaped, so that commas,
// parentheses, dots and quotes in the term are matched literally instead of
// being read as filter syntax.
QString ilikeCondition(const QString &column, const QString &term);

// 2025-03-07T14:05:09Z: UTC, no fraction. Marks a row as archived.
QString archiveStamp(const QDateTime &instant = QDateTime::currentDateTimeUtc());

// The payload of archiving: deleted_at = now.
struct ArchivePatch {
  QString deletedAt;
  wire::Json toJson() const { return wire::Json{{"deleted_at", wire::utf8(deletedAt)}}; }
};
// Archives the row of table with this id (a soft delete). The coroutine owns
// copies of what it uses.
QCoro::Task<void> archiveRow(BackendClient *client, QString table, QUuid id);

// 2025-03-07T11:05:09.250-03:00: the device's offset, milliseconds, Z at offset zero.
QString localDateTimeText(const QDateTime &value);

// Only the characters Unicode classes as numbers; nothing when none remain.
std::optional<QString> documentDigits(const std::optional<QString> &text);

// Empty text means none.
std::optional<QString> nonEmpty(const QString &text);

} // namespace varnel::repo
