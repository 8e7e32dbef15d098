#include "ui/TextSearch.h"

namespace varnel {

QString searchQuery(const QString &typed) { return typed.trimmed().toLower(); }

bool matchesQuery(const QString &field, const QString &query) { return field.toLower().contains(query); }

bool matchesQuery(const std::optional<QString> &field, const QString &query) {
  return field && matchesQuery(*field, query);
}

} // namespace varnel
