// The table API under /rest/v1/{table}, answering as PostgREST does.
#include "RestParse.h"
#include "Service.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>

namespace devserver {

namespace {

struct Prefer {
  std::string returning = "minimal";
  bool countExact = false;
};

Prefer readPrefer(const httplib::Request &req) {
  Prefer p;
  for (std::size_t i = 0; i < req.get_header_value_count("Prefer"); ++i) {
    std::string v = req.get_header_value("Prefer", i);
    std::size_t start = 0;
    while (start <= v.size()) {
      auto comma = v.find(',', start);
      std::string item = v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      item.erase(std::remove_if(item.begin(), item.end(), [](char c) { return c == ' ' || c == '\t'; }), item.end());
      if (item.rfind("return=", 0) == 0)
        p.returning = item.substr(7);
      else if (item == "count=exact" || item == "count=planned" || item == "count=estimated")
        p.countExact = true; // an exact count is the best estimate there is
      if (comma == std::string::npos)
        break;
      start = comma + 1;
    }
  }
  return p;
}

std::optional<long long> parseCount(const std::string &text) {
  long long v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 0)
    return std::nullopt;
  return v;
}

int statusForSqlState(const std::string &state, bool anonymous) {
  auto starts = [&](const char *p) { return state.rfind(p, 0) == 0; };
  if (starts("08"))
    return 503;
  if (state == "23503" || state == "23505")
    return 409;
  if (state == "25006")
    return 405;
  if (state == "42501")
    return anonymous ? 401 : 403;
  if (state == "42P01" || state == "42883")
    return 404;
  if (state == "P0001")
    return 400;
  if (starts("0L") || starts("0P") || starts("28"))
    return 403;
  if (state == "53400")
    return 500;
  if (starts("53"))
    return 503;
  for (const char *p : {"09", "25", "2D", "38", "39", "3B", "40", "54", "55", "57", "58", "F0", "HV", "P0", "XX"}) {
    if (starts(p))
      return 500;
  }
  if (state == "42P17")
    return 500;
  return 400;
}

nlohmann::json nullable(const std::optional<std::string> &v) {
  return v && !v->empty() ? nlohmann::json(*v) : nlohmann::json(nullptr);
}

void sendRestError(httplib::Response &res, const RestError &e) {
  nlohmann::json body = {
      {"code", e.code}, {"details", nullable(e.details)}, {"hint", nullable(e.hint)}, {"message", e.message}};
  if (e.status == 401)
    res.set_header("WWW-Authenticate", "Bearer");
  sendJson(res, e.status, body);
}

Caller restCaller(const Context &ctx, const httplib::Request &req) {
  Bearer b = readBearer(ctx, req);
  nlohmann::json claims;
  if (b.present) {
    if (b.check.failure == JwtFailure::Expired)
      throw RestError(401, "PGRST303", "JWT expired");
    if (!b.check.ok())
      throw RestError(401, "PGRST301", "JWT could not be decoded or its signature is invalid");
    claims = b.check.claims;
  } else {
    std::string key = req.has_header("apikey") ? req.get_header_value("apikey") : req.get_param_value("apikey");
    claims = ctx.signer.verify(key).claims;
  }
  auto caller = callerFromClaims(claims);
  if (!caller)
    throw RestError(401, "PGRST301", "JWT role is not allowed or the token has no subject");
  return *caller;
}

void checkProfile(const httplib::Request &req, const char *header) {
  if (req.has_header(header) && req.get_header_value(header) != "public")
    throw RestError(406, "PGRST106", "The schema must be one of the following: public");
}

struct Query {
  std::vector<SelectItem> select;
  std::vector<Condition> filters;
  std::vector<OrderTerm> order;
  std::optional<long long> limit;
  long long offset = 0;
  std::optional<std::vector<std::string>> columns; // ?columns= of an insert
};

// ?columns="a","b" (or a,b): the columns an insert takes from each object.
std::vector<std::string> parseColumns(const Table &t, const std::string &text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    auto comma = text.find(',', start);
    std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    auto b = name.find_first_not_of(" \t");
    auto e = name.find_last_not_of(" \t");
    name = b == std::string::npos ? "" : name.substr(b, e - b + 1);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
      name = name.substr(1, name.size() - 2);
    if (name.empty())
      throw RestError(400, "PGRST100", "\"failed to parse columns parameter (" + text + ")\"");
    if (!t.find(name))
      throw unknownColumn(t, name);
    if (std::find(out.begin(), out.end(), name) == out.end())
      out.push_back(name);
    if (comma == std::string::npos)
      break;
    start = comma + 1;
  }
  return out;
}

// The Range header of a read, "FROM-" or "FROM-TO" in rows, combined with
// limit and offset the way PostgREST intersects them. Other forms (such as
// byte ranges) are not a row range and are ignored.
void applyRangeHeader(const httplib::Request &req, Query &q) {
  if (!req.has_header("Range"))
    return;
  std::string v = req.get_header_value("Range");
  auto dash = v.find('-');
  auto digits = [](const std::string &s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (dash == std::string::npos || dash == 0 || !digits(v.substr(0, dash)) || !digits(v.substr(dash + 1)))
    return;
  auto from = parseCount(v.substr(0, dash));
  std::optional<long long> to;
  if (dash + 1 < v.size())
    to = parseCount(v.substr(dash + 1));
  if (!from || (dash + 1 < v.size() && !to))
    return;
  if (to && *to < *from)
    throw RestError(416, "PGRST103", "Requested range not satisfiable",
                    "The lower boundary must be lower than or equal to the upper boundary in the Range header.");
  // Bounds may be as large as a long long holds: the sums saturate
  // instead of wrapping around into a negative (empty) range.
  auto saturatingAdd = [](long long a, long long b) {
    long long r;
    return __builtin_add_overflow(a, b, &r) ? std::numeric_limits<long long>::max() : r;
  };
  long long lower = std::max(q.offset, *from);
  std::optional<long long> upper = to;
  if (q.limit) {
    long long byLimit = *q.limit == 0 ? q.offset - 1 : saturatingAdd(q.offset, *q.limit - 1);
    upper = upper ? std::min(*upper, byLimit) : byLimit;
  }
  q.offset = lower;
  if (upper)
    q.limit = *upper < lower ? 0 : saturatingAdd(*upper - lower, 1);
}

Query readQuery(const Table &t, const httplib::Request &req) {
  Query q;
  q.select = parseSelect("*");
  for (const auto &[key, value] : req.params) {
    if (key == "select") {
      q.select = parseSelect(value);
    } else if (key == "order") {
      auto terms = parseOrder(value);
      q.order.insert(q.order.end(), terms.begin(), terms.end());
    } else if (key == "limit") {
      q.limit = parseCount(value);
      if (!q.limit)
        throw RestError(400, "PGRST100", "\"failed to parse limit (" + value + ")\"");
    } else if (key == "offset") {
      auto v = parseCount(value);
      if (!v)
        throw RestError(400, "PGRST100", "\"failed to parse offset (" + value + ")\"");
      q.offset = *v;
    } else if (key == "columns") {
      q.columns = parseColumns(t, value);
    } else if (key == "apikey" || key == "on_conflict") {
      continue;
    } else if (key == "or" || key == "and" || key == "not.or" || key == "not.and") {
      bool negate = key.rfind("not.", 0) == 0;
      auto kind = key.find("or") != std::string::npos ? Condition::Kind::Or : Condition::Kind::And;
      q.filters.push_back(parseLogic(kind, negate, value));
    } else {
      if (!t.find(key))
        throw unknownColumn(t, key);
      q.filters.push_back(parseColumnFilter(key, value));
    }
  }
  // Names are checked here, before any statement is built or run.
  SqlParams dummy;
  selectSql(t, q.select, "_t");
  for (const auto &f : q.filters)
    conditionSql(t, f, "_t", dummy);
  orderSql(t, q.order, "_t");
  return q;
}

std::string whereSql(const Table &t, const std::vector<Condition> &filters, SqlParams &params) {
  std::string w;
  for (const auto &f : filters) {
    w += w.empty() ? " where " : " and ";
    w += conditionSql(t, f, "_t", params);
  }
  return w;
}

bool wantsSingle(const httplib::Request &req) {
  return req.get_header_value("Accept").find("application/vnd.pgrst.object") != std::string::npos;
}

// Final projection shared by every statement: row count and JSON body.
std::string projection(bool single) {
  return single ? "select count(*), coalesce((json_agg(_out) -> 0)::text, 'null')"
                : "select count(*), coalesce(json_agg(_out), '[]')::text";
}

void requireOneRow(long long rows) {
  if (rows != 1)
    throw RestError(406, "PGRST116", "JSON object requested, multiple (or no) rows returned",
                    "The result contains " + std::to_string(rows) + " rows");
}

std::string contentRange(long long offset, long long rows, std::optional<long long> total) {
  std::string range = rows > 0 ? std::to_string(offset) + "-" + std::to_string(offset + rows - 1) : "*";
  return range + "/" + (total ? std::to_string(*total) : "*");
}

void sendRows(httplib::Response &res, int status, bool single, const std::string &body) {
  res.status = status;
  res.set_content(body,
                  single ? "application/vnd.pgrst.object+json; charset=utf-8" : "application/json; charset=utf-8");
}

void handleGet(Context &ctx, const Table &t, const Caller &caller, const httplib::Request &req,
               httplib::Response &res) {
  checkProfile(req, "Accept-Profile");
  Query q = readQuery(t, req);
  applyRangeHeader(req, q);
  if (ctx.config.maxRows > 0 && (!q.limit || *q.limit > ctx.config.maxRows))
    q.limit = ctx.config.maxRows;
  Prefer prefer = readPrefer(req);
  bool single = wantsSingle(req);

  SqlParams params;
  std::string from = " from public." + quoteIdent(t.name) + " as _t";
  std::string where = whereSql(t, q.filters, params);
  std::string sql = "with _src as (select " + selectSql(t, q.select, "_t") + from + where;
  if (!q.order.empty())
    sql += " order by " + orderSql(t, q.order, "_t");
  if (q.limit)
    sql += " limit " + params.add(std::to_string(*q.limit)) + "::bigint";
  if (q.offset)
    sql += " offset " + params.add(std::to_string(q.offset)) + "::bigint";
  sql += ") " + projection(single);
  sql += prefer.countExact ? ", (select count(*)" + from + where + ")" : ", null::bigint";
  sql += " from _src as _out";

  auto lease = ctx.restPool.acquire();
  auto [rows, body, total] = inTransaction(
      *lease,
      [&] {
        assumeCaller(*lease, caller);
        auto r = lease->exec(sql, params.params());
        std::optional<long long> total;
        if (!r.isNull(0, 2))
          total = std::stoll(r.text(0, 2));
        return std::make_tuple(std::stoll(r.text(0, 0)), r.text(0, 1), total);
      },
      "begin isolation level read committed read only");
  if (single)
    requireOneRow(rows);
  if (total && q.offset > 0 && q.offset >= *total && rows == 0)
    throw RestError(416, "PGRST103", "Requested range not satisfiable",
                    "An offset of " + std::to_string(q.offset) + " was requested, but there are only " +
                        std::to_string(*total) + " rows.");
  res.set_header("Content-Range", contentRange(q.offset, rows, total));
  bool partial = total && rows < *total;
  sendRows(res, partial ? 206 : 200, single, body);
}

// Keys of the JSON body, checked against the table's columns.
std::vector<std::string> bodyColumns(const Table &t, const nlohmann::json &body) {
  std::vector<std::string> columns;
  auto collect = [&](const nlohmann::json &obj) {
    std::vector<std::string> keys;
    for (const auto &[k, v] : obj.items()) {
      if (!t.find(k))
        throw RestError(400, "PGRST204",
                        "Could not find the '" + k + "' column of '" + t.name + "' in the schema cache");
      keys.push_back(k);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
  };
  if (body.is_object())
    return collect(body);
  bool first = true;
  for (const auto &row : body) {
    if (!row.is_object())
      throw RestError(400, "PGRST102", "Empty or invalid json");
    auto keys = collect(row);
    if (first)
      columns = keys;
    else if (keys != columns)
      throw RestError(400, "PGRST102", "All object keys must match");
    first = false;
  }
  return columns;
}

void handleWrite(Context &ctx, const Table &t, const Caller &caller, const httplib::Request &req,
                 httplib::Response &res, const std::string &method) {
  checkProfile(req, "Content-Profile");
  Query q = readQuery(t, req);
  Prefer prefer = readPrefer(req);
  bool single = wantsSingle(req);
  SqlParams params;
  std::string target = "public." + quoteIdent(t.name);
  std::string sql;

  if (method == "POST" || method == "PATCH") {
    auto parsed = readJsonBody(req.body);
    if (auto *fault = std::get_if<JsonFault>(&parsed))
      throw RestError(400, "PGRST102",
                      fault->kind == JsonFault::Kind::Invalid ? "Empty or invalid json" : fault->message);
    auto &body = std::get<nlohmann::json>(parsed);
    bool shapeOk = method == "POST" ? (body.is_object() || body.is_array()) : body.is_object();
    if (!shapeOk)
      throw RestError(400, "PGRST102", "Empty or invalid json");
    // With ?columns= the objects may differ in their keys: the listed
    // columns are taken from each one, and a missing key is a null.
    auto columns = method == "POST" && q.columns ? *q.columns : bodyColumns(t, body);
    if (method == "POST" && q.columns) {
      for (const auto &row : body.is_array() ? body : nlohmann::json::array({body}))
        if (!row.is_object())
          throw RestError(400, "PGRST102", "Empty or invalid json");
    }
    std::string list;
    for (const auto &c : columns)
      list += (list.empty() ? "" : ", ") + quoteIdent(c);
    if (method == "POST") {
      nlohmann::json rows = body.is_array() ? body : nlohmann::json::array({body});
      if (rows.empty()) {
        sql = "with _w as (select * from " + target + " where false)";
      } else if (columns.empty()) {
        sql = "with _w as (insert into " + target + " as _t default values returning _t.*)";
      } else {
        std::string p = params.add(rows.dump());
        sql = "with _w as (insert into " + target + " as _t (" + list + ") select " + list +
              " from json_populate_recordset(null::" + target + ", " + p + "::json) returning _t.*)";
      }
    } else if (columns.empty()) {
      // Nothing to change: an empty object updates no row.
      sql = "with _w as (select * from " + target + " where false)";
    } else {
      std::string p = params.add(body.dump());
      std::string set;
      for (const auto &c : columns)
        set += (set.empty() ? "" : ", ") + quoteIdent(c) + " = _p." + quoteIdent(c);
      std::string where = whereSql(t, q.filters, params);
      sql = "with _w as (update " + target + " as _t set " + set + " from json_populate_record(null::" + target + ", " +
            p + "::json) as _p" + where + " returning _t.*)";
    }
  } else { // DELETE: the row rules refuse it; the statement is still the caller's to try.
    std::string where = whereSql(t, q.filters, params);
    sql = "with _w as (delete from " + target + " as _t" + where + " returning _t.*)";
  }
  sql += " " + projection(single) + " from (select " + selectSql(t, q.select, "_t") + " from _w as _t) as _out";

  auto lease = ctx.restPool.acquire();
  auto [rows, out] = inTransaction(*lease, [&] {
    assumeCaller(*lease, caller);
    auto r = lease->exec(sql, params.params());
    long long n = std::stoll(r.text(0, 0));
    // A single-object request that does not hit exactly one row changes nothing.
    if (single)
      requireOneRow(n);
    return std::make_pair(n, r.text(0, 1));
  });

  bool representation = prefer.returning == "representation";
  if (method == "POST") {
    res.set_header("Content-Range", "*/*");
    if (representation)
      sendRows(res, 201, single, out);
    else
      res.status = 201;
  } else {
    res.set_header("Content-Range", contentRange(0, rows, std::nullopt));
    if (representation)
      sendRows(res, 200, single, out);
    else
      res.status = 204;
  }
}

} // namespace

void serveRest(Context &ctx, const std::string &table, const std::string &method, const httplib::Request &req,
               httplib::Response &res) {
  std::optional<Caller> caller;
  try {
    const Table *t = ctx.catalog.find(table);
    caller = restCaller(ctx, req);
    if (!t)
      throw RestError(404, "PGRST205", "Could not find the table 'public." + table + "' in the schema cache");
    if (method == "GET")
      handleGet(ctx, *t, *caller, req, res);
    else
      handleWrite(ctx, *t, *caller, req, res, method);
  } catch (const RestError &e) {
    sendRestError(res, e);
  } catch (const SessionEnded &e) {
    sendRestError(res, RestError(401, "PGRST303", e.what()));
  } catch (const DbError &e) {
    bool anonymous = !caller || caller->role == "anon";
    sendRestError(res, RestError(statusForSqlState(e.sqlstate, anonymous), e.sqlstate, e.message, e.detail, e.hint));
  } catch (const std::exception &e) {
    sendRestError(res, RestError(500, "PGRST000", e.what()));
  }
}

void registerRest(httplib::Server &svr, Context &ctx) {
  const char *pattern = R"(/rest/v1/([A-Za-z0-9_\-]+))";
  svr.Get(pattern, [&ctx](const httplib::Request &req, httplib::Response &res) {
    serveRest(ctx, req.matches[1], "GET", req, res);
  });
  svr.Post(pattern, [&ctx](const httplib::Request &req, httplib::Response &res) {
    serveRest(ctx, req.matches[1], "POST", req, res);
  });
  svr.Patch(pattern, [&ctx](const httplib::Request &req, httplib::Response &res) {
    serveRest(ctx, req.matches[1], "PATCH", req, res);
  });
  svr.Delete(pattern, [&ctx](const httplib::Request &req, httplib::Response &res) {
    serveRest(ctx, req.matches[1], "DELETE", req, res);
  });
}

} // namespace devserver
