#pragma once

#include "Db.h"

#include <map>
#include <string>
#include <vector>

namespace devserver {

struct Column {
  std::string name;
  std::string type; // as PostgreSQL's format_type writes it
};

struct Table {
  std::string name;
  std::vector<Column> columns;
  const Column *find(const std::string &column) const;
};

// The tables and columns of the public schema, read from the system catalog.
// Every name that arrives in a request is looked up here before it is used.
class Catalog {
public:
  void load(Connection &c);
  const Table *find(const std::string &table) const;

private:
  std::map<std::string, Table> m_tables;
};

} // namespace devserver
