#pragma once
// FormRoute: what a list screen sets to open its form in a sheet. Each
// opening gets a fresh id, so asking again (even for the same record) builds
// a fresh form; editing is the record to edit, absent for a new one.

#include <QString>
#include <QUuid>

#include <optional>

namespace varnel {

template <class T> struct FormRoute {
  QUuid id = QUuid::createUuid();
  std::optional<T> editing;
  // Why the last save of this record failed; the form shows it so that the
  // user can correct and retry what was typed.
  std::optional<QString> failure;

  static FormRoute create() { return FormRoute{}; }
  static FormRoute edit(T record) { return FormRoute{QUuid::createUuid(), std::move(record), std::nullopt}; }
  static FormRoute retry(T record, QString failure) {
    return FormRoute{QUuid::createUuid(), std::move(record), std::move(failure)};
  }
};

} // namespace varnel
