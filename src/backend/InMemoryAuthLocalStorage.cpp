#include "backend/InMemoryAuthLocalStorage.h"

#include <QMutexLocker>

namespace varnel {

void InMemoryAuthLocalStorage::store(const QString &key, const QByteArray &value) {
  QMutexLocker locker(&m_lock);
  m_storage.insert(key, value);
}

std::optional<QByteArray> InMemoryAuthLocalStorage::retrieve(const QString &key) const {
  QMutexLocker locker(&m_lock);
  const auto it = m_storage.constFind(key);
  if (it == m_storage.constEnd())
    return std::nullopt;
  return *it;
}

void InMemoryAuthLocalStorage::remove(const QString &key) {
  QMutexLocker locker(&m_lock);
  m_storage.remove(key);
}

} // namespace varnel
