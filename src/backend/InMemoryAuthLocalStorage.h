#pragma once
// Where the auth layer keeps the serialized session: memory only, so a
// session never outlives the process.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

namespace varnel {

class InMemoryAuthLocalStorage {
public:
  void store(const QString &key, const QByteArray &value);
  std::optional<QByteArray> retrieve(const QString &key) const;
  void remove(const QString &key);

private:
  mutable QMutex m_lock;
  QHash<QString, QByteArray> m_storage;
};

} // namespace varnel
