#include "backend/HttpTransport.h"

namespace varnel {

QString cancelledRequestDescription() { return QStringLiteral("Requisição cancelada."); }

void HttpHeaders::set(const QByteArray &name, const QByteArray &value) {
  for (auto &entry : m_entries) {
    if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
      entry.second = value;
      return;
    }
  }
  m_entries.push_back({name, value});
}

void HttpHeaders::remove(const QByteArray &name) {
  m_entries.removeIf([&](const auto &entry) { return entry.first.compare(name, Qt::CaseInsensitive) == 0; });
}

std::optional<QByteArray> HttpHeaders::value(const QByteArray &name) const {
  for (const auto &entry : m_entries)
    if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
      return entry.second;
  return std::nullopt;
}

} // namespace varnel
