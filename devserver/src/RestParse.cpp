#include "RestParse.h"

#include <algorithm>
#include <cctype>

namespace devserver {

namespace {

RestError parseError(const std::string &what, const std::string &text, const std::string &detail) {
  return RestError(400, "PGRST100", "\"failed to parse " + what + " (" + text + ")\"", detail);
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string trim(const std::string &s) {
  std::size_t b = 0, e = s.size();
  while (b < e && isSpace(s[b]))
    ++b;
  while (e > b && isSpace(s[e - 1]))
    --e;
  return s.substr(b, e - b);
}

// Reads a double-quoted value starting at text[pos] == '"'; a backslash
// takes the next character literally. Leaves pos after the closing quote.
std::optional<std::string> readQuoted(const std::string &text, std::size_t &pos) {
  std::string out;
  ++pos;
  while (pos < text.size()) {
    char c = text[pos++];
    if (c == '\\') {
      if (pos >= text.size())
        return std::nullopt;
      out += text[pos++];
    } else if (c == '"') {
      return out;
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

// Splits "a,b,(c,d),e" at the commas that are outside parentheses and quotes.
std::optional<std::vector<std::string>> splitTopLevel(const std::string &text) {
  std::vector<std::string> parts;
  std::string cur;
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      cur += c;
      if (c == '\\' && i + 1 < text.size()) {
        cur += text[++i];
      } else if (c == '"') {
        quoted = false;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0)
        return std::nullopt;
    } else if (c == ',' && depth == 0) {
      parts.push_back(cur);
      cur.clear();
      continue;
    }
    cur += c;
  }
  if (quoted || depth != 0)
    return std::nullopt;
  parts.push_back(cur);
  return parts;
}

// A value inside a logic group or a list: quoted with escapes, or raw.
std::optional<std::string> unquoteValue(const std::string &raw) {
  if (!raw.empty() && raw.front() == '"') {
    std::size_t pos = 0;
    auto v = readQuoted(raw, pos);
    if (!v || pos != raw.size())
      return std::nullopt;
    return v;
  }
  return raw;
}

const std::vector<std::string> &comparisonOps() {
  static const std::vector<std::string> ops = {"eq",    "neq",   "gt",     "gte", "lt", "lte",       "like",
                                               "ilike", "match", "imatch", "is",  "in", "isdistinct"};
  return ops;
}

// Parses "[not.]op.value"; in a logic group the value may be quoted.
Condition parseOpValue(const std::string &column, const std::string &text, bool insideLogic) {
  Condition c;
  c.column = column;
  std::string rest = text;
  if (rest.rfind("not.", 0) == 0) {
    c.negate = true;
    rest = rest.substr(4);
  }
  auto dot = rest.find('.');
  if (dot == std::string::npos)
    throw parseError("filter", text, "expecting an operator and a value, as in eq.value");
  c.op = rest.substr(0, dot);
  std::string value = rest.substr(dot + 1);
  if (std::find(comparisonOps().begin(), comparisonOps().end(), c.op) == comparisonOps().end())
    throw parseError("filter", text, "unknown operator \"" + c.op + "\"");
  if (c.op == "in") {
    if (value.size() < 2 || value.front() != '(' || value.back() != ')')
      throw parseError("filter", text, "expecting a list as in in.(a,b)");
    std::string inner = value.substr(1, value.size() - 2);
    auto parts = splitTopLevel(inner);
    if (!parts)
      throw parseError("filter", text, "unbalanced quotes or parentheses");
    if (!(parts->size() == 1 && (*parts)[0].empty())) {
      for (const auto &p : *parts) {
        auto v = unquoteValue(trim(p));
        if (!v)
          throw parseError("filter", text, "unterminated quoted value");
        c.list.push_back(*v);
      }
    }
  } else if (insideLogic) {
    auto v = unquoteValue(value);
    if (!v)
      throw parseError("logic tree", text, "unterminated quoted value");
    c.value = *v;
  } else {
    c.value = value;
  }
  if (c.op == "is") {
    std::string v = lower(c.value);
    if (v != "null" && v != "not_null" && v != "true" && v != "false" && v != "unknown")
      throw parseError("filter", text, "is accepts null, not_null, true, false or unknown");
    c.value = v;
  }
  return c;
}

Condition parseGroupItem(const std::string &item) {
  std::string s = item;
  bool negate = false;
  if (s.rfind("not.", 0) == 0 && (s.rfind("not.and(", 0) == 0 || s.rfind("not.or(", 0) == 0)) {
    negate = true;
    s = s.substr(4);
  }
  if (s.rfind("and(", 0) == 0)
    return parseLogic(Condition::Kind::And, negate, s.substr(3));
  if (s.rfind("or(", 0) == 0)
    return parseLogic(Condition::Kind::Or, negate, s.substr(2));
  auto dot = s.find('.');
  if (dot == std::string::npos || dot == 0)
    throw parseError("logic tree", item, "expecting column.operator.value");
  return parseOpValue(s.substr(0, dot), s.substr(dot + 1), true);
}

} // namespace

std::vector<SelectItem> parseSelect(const std::string &text) {
  std::vector<SelectItem> items;
  auto parts = splitTopLevel(text);
  if (!parts)
    throw parseError("select", text, "unbalanced quotes or parentheses");
  for (const auto &rawPart : *parts) {
    std::string part = trim(rawPart);
    if (part.empty())
      throw parseError("select", text, "empty column name");
    if (part.find('(') != std::string::npos || part.find("->") != std::string::npos ||
        part.find("::") != std::string::npos)
      throw parseError("select", text, "only column names and aliases are supported");
    SelectItem item;
    std::string name = part;
    std::size_t colon = std::string::npos;
    if (part.front() != '"')
      colon = part.find(':');
    if (colon != std::string::npos) {
      item.alias = trim(part.substr(0, colon));
      name = trim(part.substr(colon + 1));
    }
    if (name == "*") {
      if (!item.alias.empty())
        throw parseError("select", text, "* cannot have an alias");
      item.star = true;
    } else if (!name.empty() && name.front() == '"') {
      std::size_t pos = 0;
      auto v = readQuoted(name, pos);
      if (!v || pos != name.size())
        throw parseError("select", text, "unterminated quoted name");
      item.column = *v;
    } else {
      item.column = name;
    }
    if (item.alias.empty())
      item.alias = item.column;
    items.push_back(item);
  }
  return items;
}

Condition parseColumnFilter(const std::string &column, const std::string &text) {
  return parseOpValue(column, text, false);
}

Condition parseLogic(Condition::Kind kind, bool negate, const std::string &text) {
  if (text.size() < 2 || text.front() != '(' || text.back() != ')')
    throw parseError("logic tree", text, "expecting a parenthesised list of conditions");
  auto parts = splitTopLevel(text.substr(1, text.size() - 2));
  if (!parts)
    throw parseError("logic tree", text, "unbalanced quotes or parentheses");
  Condition c;
  c.kind = kind;
  c.negate = negate;
  for (const auto &p : *parts) {
    if (p.empty())
      throw parseError("logic tree", text, "empty condition");
    c.children.push_back(parseGroupItem(p));
  }
  return c;
}

std::vector<OrderTerm> parseOrder(const std::string &text) {
  std::vector<OrderTerm> terms;
  auto parts = splitTopLevel(text);
  if (!parts)
    throw parseError("order", text, "unbalanced quotes or parentheses");
  for (const auto &raw : *parts) {
    std::string p = trim(raw);
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
      auto dot = p.find('.', start);
      pieces.push_back(p.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
      if (dot == std::string::npos)
        break;
      start = dot + 1;
    }
    OrderTerm term;
    term.column = pieces[0];
    if (term.column.empty() || pieces.size() > 3)
      throw parseError("order", text, "expecting column[.asc|.desc][.nullsfirst|.nullslast]");
    for (std::size_t i = 1; i < pieces.size(); ++i) {
      const auto &m = pieces[i];
      if (m == "asc" && i == 1)
        term.descending = false;
      else if (m == "desc" && i == 1)
        term.descending = true;
      else if (m == "nullsfirst")
        term.nullsFirst = true;
      else if (m == "nullslast")
        term.nullsFirst = false;
      else
        throw parseError("order", text, "unknown modifier \"" + m + "\"");
    }
    terms.push_back(term);
  }
  return terms;
}

std::string SqlParams::add(std::string value) {
  m_params.emplace_back(std::move(value));
  return "$" + std::to_string(m_params.size());
}

std::string SqlParams::add(std::nullopt_t) {
  m_params.emplace_back(std::nullopt);
  return "$" + std::to_string(m_params.size());
}

RestError unknownColumn(const Table &t, const std::string &column) {
  return RestError(400, "42703", "column " + t.name + "." + column + " does not exist");
}

namespace {

const Column &checkedColumn(const Table &t, const std::string &name) {
  const Column *c = t.find(name);
  if (!c)
    throw unknownColumn(t, name);
  return *c;
}

// Text of a PostgreSQL array literal holding the given elements.
std::string arrayLiteral(const std::vector<std::string> &values) {
  std::string out = "{";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i)
      out += ',';
    out += '"';
    for (char ch : values[i]) {
      if (ch == '"' || ch == '\\')
        out += '\\';
      out += ch;
    }
    out += '"';
  }
  return out + "}";
}

std::string likePattern(std::string v) {
  std::replace(v.begin(), v.end(), '*', '%');
  return v;
}

} // namespace

std::string selectSql(const Table &t, const std::vector<SelectItem> &items, const std::string &qualifier) {
  std::string out;
  for (const auto &item : items) {
    if (!out.empty())
      out += ", ";
    if (item.star) {
      out += qualifier + ".*";
    } else {
      const Column &c = checkedColumn(t, item.column);
      out += qualifier + "." + quoteIdent(c.name) + " as " + quoteIdent(item.alias);
    }
  }
  return out;
}

std::string conditionSql(const Table &t, const Condition &c, const std::string &qualifier, SqlParams &params) {
  std::string expr;
  if (c.kind != Condition::Kind::Leaf) {
    const char *joiner = c.kind == Condition::Kind::And ? " and " : " or ";
    for (const auto &child : c.children) {
      if (!expr.empty())
        expr += joiner;
      expr += conditionSql(t, child, qualifier, params);
    }
    expr = "(" + expr + ")";
  } else {
    const Column &col = checkedColumn(t, c.column);
    std::string ref = qualifier + "." + quoteIdent(col.name);
    std::string cast = " as " + col.type + ")";
    static const std::vector<std::pair<std::string, std::string>> binary = {{"eq", "="},
                                                                            {"neq", "<>"},
                                                                            {"gt", ">"},
                                                                            {"gte", ">="},
                                                                            {"lt", "<"},
                                                                            {"lte", "<="},
                                                                            {"isdistinct", "is distinct from"}};
    auto it = std::find_if(binary.begin(), binary.end(), [&](const auto &p) { return p.first == c.op; });
    if (it != binary.end()) {
      expr = ref + " " + it->second + " cast(" + params.add(c.value) + cast;
    } else if (c.op == "like" || c.op == "ilike") {
      expr = ref + "::text " + (c.op == "like" ? "like " : "ilike ") + params.add(likePattern(c.value));
    } else if (c.op == "match" || c.op == "imatch") {
      expr = ref + "::text " + (c.op == "match" ? "~ " : "~* ") + params.add(c.value);
    } else if (c.op == "is") {
      if (c.value == "null")
        expr = ref + " is null";
      else if (c.value == "not_null")
        expr = ref + " is not null";
      else
        expr = ref + " is " + c.value; // true, false or unknown, checked by the parser
    } else if (c.op == "in") {
      expr = ref + " = any(cast(" + params.add(arrayLiteral(c.list)) + " as " + col.type + "[]))";
    }
    expr = "(" + expr + ")";
  }
  if (c.negate)
    expr = "(not " + expr + ")";
  return expr;
}

std::string orderSql(const Table &t, const std::vector<OrderTerm> &terms, const std::string &qualifier) {
  std::string out;
  for (const auto &term : terms) {
    const Column &col = checkedColumn(t, term.column);
    if (!out.empty())
      out += ", ";
    out += qualifier + "." + quoteIdent(col.name) + (term.descending ? " desc" : " asc");
    if (term.nullsFirst)
      out += *term.nullsFirst ? " nulls first" : " nulls last";
  }
  return out;
}

} // namespace devserver
