// Server functions under /functions/v1/{name}.
#include "Service.h"

#include <regex>

namespace devserver {

namespace {

void functionError(httplib::Response &res, int status, const std::string &message) {
  sendJson(res, status, {{"error", message}});
}

std::optional<std::string> optionalText(const nlohmann::json &body, const char *key, bool &wrongType) {
  auto it = body.find(key);
  if (it == body.end() || it->is_null())
    return std::nullopt;
  if (!it->is_string()) {
    wrongType = true;
    return std::nullopt;
  }
  return it->get<std::string>();
}

bool isUuid(const std::string &s) {
  static const std::regex re("^[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}$");
  return std::regex_match(s, re);
}

Param orNull(const std::optional<std::string> &v) {
  if (!v || v->empty())
    return Param(std::nullopt);
  return Param(*v);
}

// An administrator changes another user's name, e-mail, city, signature,
// role and, optionally, password: the account, the profile and the
// responsible row together, or none of them.
void adminUpdateUserPassword(Context &ctx, const httplib::Request &req, httplib::Response &res) {
  Bearer b = readBearer(ctx, req);
  std::optional<Caller> caller;
  if (b.present && b.check.ok())
    caller = callerFromClaims(b.check.claims);
  if (!caller || caller->role != "authenticated")
    return functionError(res, 401, "Invalid credentials");

  auto parsed = parseJsonObject(req.body);
  if (auto *fault = std::get_if<JsonFault>(&parsed)) {
    return functionError(res, 400,
                         fault->kind == JsonFault::Kind::Nul
                             ? "Os campos não podem conter o caractere NUL."
                             : "Corpo da requisição inválido: esperado um objeto JSON.");
  }
  auto *body = &std::get<nlohmann::json>(parsed);
  bool wrongType = false;
  auto userId = optionalText(*body, "userId", wrongType);
  auto nome = optionalText(*body, "nome", wrongType);
  auto email = optionalText(*body, "email", wrongType);
  auto cidade = optionalText(*body, "cidade", wrongType);
  auto assinatura = optionalText(*body, "assinatura", wrongType);
  auto role = optionalText(*body, "role", wrongType);
  auto password = optionalText(*body, "password", wrongType);
  if (wrongType)
    return functionError(res, 400, "Todos os campos devem ser textos.");
  if (!userId || !isUuid(*userId))
    return functionError(res, 400, "Campo userId ausente ou inválido.");
  if (!nome || nome->find_first_not_of(" \t\r\n") == std::string::npos)
    return functionError(res, 400, "Campo nome é obrigatório.");
  if (!email || email->find('@') == std::string::npos || email->find_first_of(" \t\r\n") != std::string::npos)
    return functionError(res, 400, "Campo email ausente ou inválido.");
  if (password && password->size() < 6)
    return functionError(res, 400, "A senha deve ter pelo menos 6 caracteres.");

  auto lease = ctx.adminPool.acquire();
  // A token whose session has ended (signed out) is no longer a credential.
  if (!sessionIsLive(*lease, *caller))
    return functionError(res, 401, "Invalid credentials");
  std::string normalizedRole;
  if (role) {
    auto r = lease->exec("select lower(unaccent(btrim($1, E' \\t\\r\\n')))", {*role});
    normalizedRole = r.text(0, 0);
  }
  if (normalizedRole != "veterinario" && normalizedRole != "administrador")
    return functionError(res, 400, "Campo role deve ser \"veterinario\" ou \"administrador\".");

  struct Outcome {
    int status;
    std::string error;
  };
  auto outcome = inTransaction(*lease, [&]() -> Outcome {
    auto admin = lease->exec("select lower(unaccent(btrim(coalesce(role, ''), E' \\t\\r\\n'))) = 'administrador' "
                             "from public.profiles where user_id = $1::uuid",
                             {caller->userId()});
    if (admin.rows() == 0 || admin.text(0, 0) != "t")
      return {403, "Apenas Administradores podem alterar dados e senha de outros usuários."};
    auto target = lease->exec("select 1 from auth.users where id = $1::uuid for update", {*userId});
    if (target.rows() == 0)
      return {404, "Usuário não encontrado."};
    std::string mail = *email;
    for (auto &ch : mail)
      ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    auto taken = lease->exec("select 1 from auth.users where lower(email) = lower(btrim($1)) and id <> $2::uuid",
                             {mail, *userId});
    if (taken.rows() > 0)
      return {409, "Já existe um usuário com este e-mail."};
    lease->exec("update auth.users set email = lower(btrim($2)), "
                "encrypted_password = case when $3::text is null then encrypted_password "
                "                     else crypt($3, gen_salt('bf')) end, "
                "raw_user_meta_data = raw_user_meta_data || jsonb_build_object('nome', $4::text, 'role', $5::text), "
                "updated_at = now() where id = $1::uuid",
                {*userId, mail, password ? Param(*password) : Param(std::nullopt), *nome, normalizedRole});
    lease->exec("insert into public.profiles (user_id, nome, email, cidade, assinatura, role) "
                "values ($1::uuid, $2, lower(btrim($3)), $4, $5, $6) "
                "on conflict (user_id) do update set nome = excluded.nome, email = excluded.email, "
                "cidade = excluded.cidade, assinatura = excluded.assinatura, role = excluded.role",
                {*userId, *nome, mail, orNull(cidade), orNull(assinatura), normalizedRole});
    lease->exec("insert into public.responsavel_pelo_atendimento (id, nome, email, cidade, role) "
                "values ($1::uuid, $2, lower(btrim($3)), $4, $5) "
                "on conflict (id) do update set nome = excluded.nome, email = excluded.email, "
                "cidade = excluded.cidade, role = excluded.role",
                {*userId, *nome, mail, orNull(cidade), normalizedRole});
    return {200, ""};
  });
  if (outcome.status != 200)
    return functionError(res, outcome.status, outcome.error);
  sendJson(res, 200, {{"success", true}});
}

} // namespace

void registerFunctions(httplib::Server &svr, Context &ctx) {
  svr.Post(R"(/functions/v1/(.+))", [&ctx](const httplib::Request &req, httplib::Response &res) {
    std::string name = req.matches[1];
    if (name != "admin-update-user-password") {
      sendJson(res, 404, {{"code", "NOT_FOUND"}, {"message", "Requested function was not found"}});
      return;
    }
    try {
      adminUpdateUserPassword(ctx, req, res);
    } catch (const std::exception &e) {
      functionError(res, 500, e.what());
    }
  });
}

} // namespace devserver
