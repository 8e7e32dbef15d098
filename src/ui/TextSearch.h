#pragma once
// The local search of the list screens: the typed text trimmed of blanks and
// line breaks and lower-cased, matched as a substring of lower-cased fields.
// Accents are compared as written.

#include <QString>

#include <optional>

namespace varnel {

// The query of a search field; empty means "show everything".
QString searchQuery(const QString &typed);
// Whether field contains query (already made by searchQuery), ignoring case.
bool matchesQuery(const QString &field, const QString &query);
bool matchesQuery(const std::optional<QString> &field, const QString &query);

} // namespace varnel
