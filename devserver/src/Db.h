#pragma once

#include <libpq-fe.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace devserver {

// A failed statement, carrying PostgreSQL's error fields so replies can be
// built in PostgREST's shape.
class DbError : public std::runtime_error {
public:
  DbError(std::string sqlstate, std::string message, std::string detail, std::string hint)
      : std::runtime_error(message), sqlstate(std::move(sqlstate)), message(std::move(message)),
        detail(std::move(detail)), hint(std::move(hint)) {}
  std::string sqlstate;
  std::string message;
  std::string detail;
  std::string hint;
};

// Owns one PGresult.
class Result {
public:
  explicit Result(PGresult *r) : m_res(r, &PQclear) {}
  int rows() const { return PQntuples(m_res.get()); }
  bool isNull(int row, int col) const { return PQgetisnull(m_res.get(), row, col); }
  std::string text(int row, int col) const { return PQgetvalue(m_res.get(), row, col); }
  std::optional<std::string> optText(int row, int col) const {
    if (isNull(row, col))
      return std::nullopt;
    return text(row, col);
  }
  std::string bytes(int row, int col) const {
    return std::string(PQgetvalue(m_res.get(), row, col), PQgetlength(m_res.get(), row, col));
  }

private:
  std::unique_ptr<PGresult, decltype(&PQclear)> m_res;
};

// A parameter: text, binary bytes, or SQL NULL.
struct Param {
  Param(std::nullopt_t) {}
  Param(std::string v) : value(std::move(v)) {}
  Param(const char *v) : value(std::string(v)) {}
  static Param binary(std::string v) {
    Param p(std::move(v));
    p.isBinary = true;
    return p;
  }
  std::optional<std::string> value;
  bool isBinary = false;
};

class Connection {
public:
  explicit Connection(PGconn *c) : m_conn(c) {}
  ~Connection();
  Connection(const Connection &) = delete;
  Connection &operator=(const Connection &) = delete;

  // Runs one statement with bound parameters; throws DbError on failure.
  Result exec(const std::string &sql, const std::vector<Param> &params = {}, bool binaryResult = false);
  // Runs a script of several statements without parameters.
  void execScript(const std::string &sql);
  bool healthy() const { return PQstatus(m_conn) == CONNECTION_OK; }
  // True while a transaction is open or failed; such a connection must be
  // rolled back before reuse.
  bool inTransaction() const { return PQtransactionStatus(m_conn) != PQTRANS_IDLE; }

private:
  PGconn *m_conn;
};

// A small pool of connections that log in as one database role.
class Pool {
public:
  Pool(std::string conninfo, std::string user, int maxSize);
  ~Pool();

  class Lease {
  public:
    Lease(Pool &pool, std::unique_ptr<Connection> c) : m_pool(pool), m_conn(std::move(c)) {}
    ~Lease();
    Lease(const Lease &) = delete;
    Lease &operator=(const Lease &) = delete;
    Connection *operator->() { return m_conn.get(); }
    Connection &operator*() { return *m_conn; }

  private:
    Pool &m_pool;
    std::unique_ptr<Connection> m_conn;
  };

  Lease acquire();
  std::unique_ptr<Connection> connect();

private:
  void release(std::unique_ptr<Connection> c);

  std::string m_conninfo;
  std::string m_user;
  int m_maxSize;
  int m_open = 0;
  std::mutex m_mutex;
  std::condition_variable m_available;
  std::vector<std::unique_ptr<Connection>> m_idle;
};

// Runs a function inside BEGIN/COMMIT, rolling back when it throws.
template <typename F> auto inTransaction(Connection &c, F &&f, const char *begin = "begin") {
  c.exec(begin);
  try {
    if constexpr (std::is_void_v<decltype(f())>) {
      f();
      c.exec("commit");
    } else {
      auto r = f();
      c.exec("commit");
      return r;
    }
  } catch (...) {
    try {
      c.exec("rollback");
    } catch (...) {
    }
    throw;
  }
}

std::string quoteIdent(const std::string &name);

} // namespace devserver
