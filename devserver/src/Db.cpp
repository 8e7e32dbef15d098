#include "Db.h"

namespace devserver {

namespace {

std::string field(const PGresult *r, int code) {
  const char *v = PQresultErrorField(r, code);
  return v ? v : "";
}

} // namespace

Connection::~Connection() { PQfinish(m_conn); }

Result Connection::exec(const std::string &sql, const std::vector<Param> &params, bool binaryResult) {
  std::vector<const char *> values;
  std::vector<int> lengths;
  std::vector<int> formats;
  for (const auto &p : params) {
    values.push_back(p.value ? p.value->data() : nullptr);
    lengths.push_back(p.value ? static_cast<int>(p.value->size()) : 0);
    formats.push_back(p.isBinary ? 1 : 0);
  }
  PGresult *r = PQexecParams(m_conn, sql.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                             lengths.data(), formats.data(), binaryResult ? 1 : 0);
  Result res(r);
  auto status = PQresultStatus(r);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    std::string state = field(r, PG_DIAG_SQLSTATE);
    std::string message = field(r, PG_DIAG_MESSAGE_PRIMARY);
    if (state.empty()) {
      state = "08006";
      message = PQerrorMessage(m_conn);
      while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    }
    throw DbError(state, message, field(r, PG_DIAG_MESSAGE_DETAIL), field(r, PG_DIAG_MESSAGE_HINT));
  }
  return res;
}

void Connection::execScript(const std::string &sql) {
  PGresult *r = PQexec(m_conn, sql.c_str());
  Result res(r);
  auto status = PQresultStatus(r);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw DbError(field(r, PG_DIAG_SQLSTATE), field(r, PG_DIAG_MESSAGE_PRIMARY), field(r, PG_DIAG_MESSAGE_DETAIL),
                  field(r, PG_DIAG_MESSAGE_HINT));
  }
}

Pool::Pool(std::string conninfo, std::string user, int maxSize)
    : m_conninfo(std::move(conninfo)), m_user(std::move(user)), m_maxSize(maxSize) {}

Pool::~Pool() = default;

std::unique_ptr<Connection> Pool::connect() {
  const char *keys[] = {"dbname", "user", "application_name", nullptr};
  const char *values[] = {m_conninfo.c_str(), m_user.c_str(), "varnel-devserver", nullptr};
  PGconn *c = PQconnectdbParams(keys, values, 1);
  if (PQstatus(c) != CONNECTION_OK) {
    std::string message = PQerrorMessage(c);
    PQfinish(c);
    throw DbError("08006", "could not connect to the database: " + message, "", "");
  }
  auto conn = std::make_unique<Connection>(c);
  conn->exec("set time zone 'UTC'");
  conn->exec("set datestyle to 'ISO'");
  conn->exec("set client_min_messages to warning");
  return conn;
}

Pool::Lease Pool::acquire() {
  std::unique_lock lock(m_mutex);
  m_available.wait(lock, [&] { return !m_idle.empty() || m_open < m_maxSize; });
  if (!m_idle.empty()) {
    auto c = std::move(m_idle.back());
    m_idle.pop_back();
    return Lease(*this, std::move(c));
  }
  ++m_open;
  lock.unlock();
  try {
    return Lease(*this, connect());
  } catch (...) {
    std::lock_guard relock(m_mutex);
    --m_open;
    m_available.notify_one();
    throw;
  }
}

void Pool::release(std::unique_ptr<Connection> c) {
  std::lock_guard lock(m_mutex);
  if (c && c->healthy() && !c->inTransaction()) {
    m_idle.push_back(std::move(c));
  } else {
    --m_open;
  }
  m_available.notify_one();
}

Pool::Lease::~Lease() { m_pool.release(std::move(m_conn)); }

std::string quoteIdent(const std::string &name) {
  std::string out = "\"";
  for (char ch : name) {
    if (ch == '"')
      out += '"';
    out += ch;
  }
  out += '"';
  return out;
}

} // namespace devserver
