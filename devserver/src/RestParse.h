#pragma once

#include "Catalog.h"
#include "Db.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace devserver {

// An error answered in PostgREST's shape: {"code","details","hint","message"}.
class RestError : public std::runtime_error {
public:
  RestError(int status, std::string code, std::string message, std::optional<std::string> details = std::nullopt,
            std::optional<std::string> hint = std::nullopt)
      : std::runtime_error(message), status(status), code(std::move(code)), message(std::move(message)),
        details(std::move(details)), hint(std::move(hint)) {}
  int status;
  std::string code;
  std::string message;
  std::optional<std::string> details;
  std::optional<std::string> hint;
};

struct SelectItem {
  bool star = false;
  std::string column;
  std::string alias;
};

// One node of a filter: a comparison on a column, or an and/or group.
struct Condition {
  enum class Kind { Leaf, And, Or };
  Kind kind = Kind::Leaf;
  bool negate = false;
  std::string column;
  std::string op;
  std::string value;
  std::vector<std::string> list; // values of "in"
  std::vector<Condition> children;
};

struct OrderTerm {
  std::string column;
  bool descending = false;
  std::optional<bool> nullsFirst;
};

std::vector<SelectItem> parseSelect(const std::string &text);
// "op.value" or "not.op.value", the right-hand side of column=...
Condition parseColumnFilter(const std::string &column, const std::string &text);
// "(cond,cond,...)", the value of or=/and=.
Condition parseLogic(Condition::Kind kind, bool negate, const std::string &text);
std::vector<OrderTerm> parseOrder(const std::string &text);

// Collects bound parameters while SQL text is assembled from checked names.
class SqlParams {
public:
  std::string add(std::string value);
  std::string add(std::nullopt_t);
  const std::vector<Param> &params() const { return m_params; }

private:
  std::vector<Param> m_params;
};

// SQL for the checked select list, each column written as qualifier."col".
std::string selectSql(const Table &t, const std::vector<SelectItem> &items, const std::string &qualifier);
std::string conditionSql(const Table &t, const Condition &c, const std::string &qualifier, SqlParams &params);
std::string orderSql(const Table &t, const std::vector<OrderTerm> &terms, const std::string &qualifier);

// The error for a column name that the table does not have.
RestError unknownColumn(const Table &t, const std::string &column);

} // namespace devserver
