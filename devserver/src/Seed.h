#pragma once

#include "Db.h"

#include <string>

namespace devserver {

struct Account {
  std::string email;
  std::string password;
  std::string nome;
  std::string role;
  std::string id; // filled in by seedAccount
};

// Creates or resets a confirmed account with its profile and responsible row.
void seedAccount(Connection &c, Account &account);

// Catalogs, customers and two years of visits with images, for trying the
// program by hand. Deterministic apart from the dates, which end today.
void seedDemo(Connection &c, const std::vector<Account> &responsibles);

} // namespace devserver
