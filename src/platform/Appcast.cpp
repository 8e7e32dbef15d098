#include "platform/Appcast.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <stdexcept>

namespace varnel {

namespace {

const QString sparkleNs = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(const QXmlStreamReader &xml, const char *name) {
  return xml.name() == QLatin1String(name) &&
         (xml.namespaceUri() == sparkleNs || xml.qualifiedName() == QLatin1String("sparkle:") + QLatin1String(name));
}

QString sparkleAttribute(const QXmlStreamAttributes &attributes, const char *name) {
  for (const auto &attribute : attributes) {
    if (attribute.name() == QLatin1String(name) &&
        (attribute.namespaceUri() == sparkleNs || attribute.prefix() == QLatin1String("sparkle")))
      return attribute.value().toString().trimmed();
  }
  return {};
}

bool isWebUrl(const QUrl &url) {
  return url.isValid() && !url.host().isEmpty() &&
         (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

std::vector<long long> versionParts(const QString &version) {
  std::vector<long long> parts;
  static const QRegularExpression leadingDigits(QStringLiteral("^\\d+"));
  for (const QString &part : version.trimmed().split(QLatin1Char('.'))) {
    const auto match = leadingDigits.match(part);
    parts.push_back(match.hasMatch() ? match.captured().left(15).toLongLong() : 0);
  }
  while (!parts.empty() && parts.back() == 0)
    parts.pop_back();
  return parts;
}

} // namespace

std::vector<AppcastItem> parseAppcast(const QByteArray &bytes) {
  QXmlStreamReader xml(bytes);
  std::vector<AppcastItem> items;
  bool sawChannel = false;
  std::optional<AppcastItem> current;
  QUrl link;
  QUrl enclosure;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      if (xml.name() == QLatin1String("rss") || xml.name() == QLatin1String("channel")) {
        sawChannel = true;
      } else if (xml.name() == QLatin1String("item")) {
        current = AppcastItem{};
        link = QUrl();
        enclosure = QUrl();
      } else if (current) {
        if (isSparkle(xml, "version")) {
          current->version = xml.readElementText().trimmed();
        } else if (isSparkle(xml, "shortVersionString")) {
          current->displayVersion = xml.readElementText().trimmed();
        } else if (xml.name() == QLatin1String("link") && xml.namespaceUri().isEmpty()) {
          link = QUrl(xml.readElementText().trimmed());
        } else if (xml.name() == QLatin1String("title") && xml.namespaceUri().isEmpty()) {
          current->title = xml.readElementText().trimmed();
        } else if (xml.name() == QLatin1String("enclosure")) {
          const auto attributes = xml.attributes();
          enclosure = QUrl(attributes.value(QLatin1String("url")).toString().trimmed());
          if (current->version.isEmpty())
            current->version = sparkleAttribute(attributes, "version");
          if (current->displayVersion.isEmpty())
            current->displayVersion = sparkleAttribute(attributes, "shortVersionString");
        }
      }
    } else if (xml.isEndElement() && xml.name() == QLatin1String("item") && current) {
      // A web page to read about the release beats the bare file.
      current->downloadUrl = isWebUrl(link) ? link : (isWebUrl(enclosure) ? enclosure : QUrl());
      if (current->displayVersion.isEmpty())
        current->displayVersion = current->version;
      if (!current->version.isEmpty() && !current->downloadUrl.isEmpty())
        items.push_back(*current);
      current.reset();
    }
  }
  if (xml.hasError())
    throw std::runtime_error(QStringLiteral("feed de atualizações ilegível (%1)").arg(xml.errorString()).toStdString());
  if (!sawChannel)
    throw std::runtime_error("o endereço não contém um feed de atualizações");
  return items;
}

int compareVersions(const QString &a, const QString &b) {
  const auto left = versionParts(a);
  const auto right = versionParts(b);
  const std::size_t n = std::max(left.size(), right.size());
  for (std::size_t i = 0; i < n; ++i) {
    const long long l = i < left.size() ? left[i] : 0;
    const long long r = i < right.size() ? right[i] : 0;
    if (l != r)
      return l < r ? -1 : 1;
  }
  return 0;
}

std::optional<AppcastItem> newestItemAbove(const std::vector<AppcastItem> &items, const QString &current) {
  std::optional<AppcastItem> best;
  for (const auto &item : items) {
    if (compareVersions(item.version, current) <= 0)
      continue;
    if (!best || compareVersions(item.version, best->version) > 0)
      best = item;
  }
  return best;
}

} // namespace varnel
