#include "Catalog.h"

namespace devserver {

const Column *Table::find(const std::string &column) const {
  for (const auto &c : columns) {
    if (c.name == column)
      return &c;
  }
  return nullptr;
}

void Catalog::load(Connection &c) {
  auto r = c.exec(R"(
        select cl.relname, a.attname, format_type(a.atttypid, a.atttypmod)
        from pg_class cl
        join pg_namespace n on n.oid = cl.relnamespace
        join pg_attribute a on a.attrelid = cl.oid
        where n.nspname = 'public' and cl.relkind in ('r', 'v', 'p')
          and a.attnum > 0 and not a.attisdropped
        order by cl.relname, a.attnum)");
  m_tables.clear();
  for (int i = 0; i < r.rows(); ++i) {
    auto &t = m_tables[r.text(i, 0)];
    t.name = r.text(i, 0);
    t.columns.push_back({r.text(i, 1), r.text(i, 2)});
  }
}

const Table *Catalog::find(const std::string &table) const {
  auto it = m_tables.find(table);
  return it == m_tables.end() ? nullptr : &it->second;
}

} // namespace devserver
