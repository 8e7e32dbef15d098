#pragma once
// Reading an appcast update feed (RSS whose items carry a version and a
// download link) and comparing dotted version numbers.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace varnel {

struct AppcastItem {
  QString version;        // the machine version, e.g. "1.4.2"
  QString displayVersion; // the version shown to people; the version when the feed has none
  QUrl downloadUrl;       // the page or file to open in the browser
  QString title;
};

// The items of a feed that have both a version and an http(s) download link,
// in feed order. Throws std::runtime_error when the text is not a readable feed.
std::vector<AppcastItem> parseAppcast(const QByteArray &xml);

// Compares dotted versions numerically part by part ("1.10" > "1.9",
// "1.2" == "1.2.0"); a non-numeric suffix of a part is ignored ("2rc1" reads as 2).
int compareVersions(const QString &a, const QString &b);

// The item with the highest version, if any is newer than current.
std::optional<AppcastItem> newestItemAbove(const std::vector<AppcastItem> &items, const QString &current);

} // namespace varnel
