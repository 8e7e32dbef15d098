#include "Seed.h"

#include "Png.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>

namespace devserver {

void seedAccount(Connection &c, Account &a) {
  auto r = c.exec("select id from auth.users where lower(email) = lower($1)", {a.email});
  if (r.rows() == 0) {
    r = c.exec("select auth.create_user($1, $2, jsonb_build_object('nome', $3::text, 'role', $4::text))",
               {a.email, a.password, a.nome, a.role});
  } else {
    c.exec("update auth.users set encrypted_password = crypt($2, gen_salt('bf')), "
           "email_confirmed_at = coalesce(email_confirmed_at, now()) where id = $1::uuid",
           {r.text(0, 0), a.password});
  }
  a.id = r.text(0, 0);
  c.exec("insert into public.profiles (user_id, nome, email, role) values ($1::uuid, $2, $3, $4) "
         "on conflict (user_id) do nothing",
         {a.id, a.nome, a.email, a.role});
  c.exec("insert into public.responsavel_pelo_atendimento (id, nome, email, role) values ($1::uuid, $2, $3, $4) "
         "on conflict (id) do nothing",
         {a.id, a.nome, a.email, a.role});
}

namespace {

std::mt19937 rng(20250307);

int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

template <typename T, std::size_t N> const T &pickFrom(const T (&items)[N]) { return items[pick(static_cast<int>(N))]; }

bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }

std::string digits(int n) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += static_cast<char>('0' + pick(10));
  return s;
}

std::string cpf() {
  std::string s = digits(9);
  for (int len = 9; len <= 10; ++len) {
    int sum = 0;
    for (int i = 0; i < len; ++i)
      sum += (s[i] - '0') * (len + 1 - i);
    int d = (sum * 10) % 11;
    s += static_cast<char>('0' + (d == 10 ? 0 : d));
  }
  return s;
}

std::string cnpj() {
  std::string s = digits(8) + "0001";
  static const int w1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int w2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  for (int round = 0; round < 2; ++round) {
    const int *w = round == 0 ? w1 : w2;
    int sum = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
      sum += (s[i] - '0') * w[i];
    int r = sum % 11;
    s += static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
  }
  return s;
}

std::string uuid(Connection &c) { return c.exec("select gen_random_uuid()").text(0, 0); }

struct City {
  const char *name;
  const char *uf;
  const char *cepPrefix;
  double lat;
  double lon;
};

const City kCities[] = {
    {"Uberaba", "MG", "380", -19.7472, -47.9381},        {"Uberlândia", "MG", "384", -18.9186, -48.2772},
    {"Ribeirão Preto", "SP", "140", -21.1775, -47.8103}, {"Goiânia", "GO", "740", -16.6869, -49.2648},
    {"Rio Verde", "GO", "759", -17.7923, -50.9192},      {"Londrina", "PR", "860", -23.3045, -51.1696},
    {"Chapecó", "SC", "898", -27.1004, -52.6152},        {"Campo Grande", "MS", "790", -20.4697, -54.6201},
    {"Rondonópolis", "MT", "787", -16.4673, -54.6372},   {"Passo Fundo", "RS", "990", -28.2576, -52.4091},
};

const char *kFirst[] = {"Ana",    "João",      "Maria",  "José",     "Francisca", "Antônio",  "Luiza",
                        "Carlos", "Juliana",   "Paulo",  "Fernanda", "Marcos",    "Patrícia", "Rafael",
                        "Camila", "Sebastião", "Helena", "Ricardo",  "Beatriz",   "Geraldo"};
const char *kLast[] = {"Silva",   "Santos",   "Oliveira", "Souza",   "Rodrigues", "Ferreira", "Alves",
                       "Pereira", "Lima",     "Gomes",    "Costa",   "Ribeiro",   "Martins",  "Carvalho",
                       "Almeida", "Nogueira", "Teixeira", "Moreira", "Barbosa",   "Cardoso"};
const char *kFarm[] = {"Boa Esperança", "Santa Luzia", "São Sebastião", "Três Irmãos",  "Bela Vista",  "Água Limpa",
                       "Monte Alegre",  "Santa Rita",  "Recanto Verde", "Capão Bonito", "Sete Lagoas", "Pôr do Sol"};
const char *kKind[] = {"Fazenda", "Agropecuária", "Granja", "Sítio", "Laticínios", "Haras"};
const char *kStreet[] = {"Rua das Palmeiras",    "Avenida Brasil",         "Rodovia BR-050, km", "Estrada Municipal",
                         "Rua Sete de Setembro", "Avenida Getúlio Vargas", "Rua Tiradentes",     "Rodovia MG-427, km"};
const char *kBairro[] = {"Centro", "Zona Rural", "Distrito Industrial", "Jardim América", "Vila Nova", "Santa Mônica"};

const char *kReport[] = {
    "Avaliação geral do rebanho realizada. Animais em bom estado corporal, sem sinais clínicos relevantes.",
    "Revisado o calendário de vacinação. Recomendada a aplicação do reforço contra clostridioses em 30 dias.",
    "Identificados casos de mastite subclínica em quatro vacas. Orientado o teste da caneca diário e tratamento.",
    "Acompanhamento da estação de monta. Taxa de prenhez estimada em 78%, dentro da meta da propriedade.",
    "Orientações sobre manejo de pastagem e suplementação mineral no período seco.",
    "Verificado o protocolo de biosseguridade do galpão. Sugerida a troca do pedilúvio e controle de roedores.",
    "Apresentação da nova linha de produtos. Cliente interessado em orçamento para o próximo trimestre.",
    "Treinamento da equipe de ordenha sobre higiene de tetos e pré-dipping.",
    "Necropsia de dois leitões. Suspeita de colibacilose; amostras enviadas ao laboratório.",
    "Casqueamento preventivo em 12 animais e avaliação de claudicação no lote de produção.",
};
const char *kNotes[] = {"Fotos do lote avaliado.", "Registro das instalações.", "Lesões observadas no exame clínico.",
                        "Estado da pastagem no piquete 3.", "Bebedouros após a limpeza."};

std::string fmtCoord(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  return buf;
}

// Extended WKB of a point with SRID 4326, in upper-case hex.
std::string ewkbHex(double lon, double lat) {
  std::string out = "0101000020E6100000";
  char buf[3];
  for (double v : {lon, lat}) {
    unsigned char bytes[8];
    std::memcpy(bytes, &v, 8); // little-endian hosts only, as Debian's are
    for (unsigned char b : bytes) {
      std::snprintf(buf, sizeof buf, "%02X", b);
      out += buf;
    }
  }
  return out;
}

// A position in one of the forms the mobile client has stored over time.
std::optional<std::string> position(const City &city) {
  double lat = city.lat + std::uniform_real_distribution<double>(-0.2, 0.2)(rng);
  double lon = city.lon + std::uniform_real_distribution<double>(-0.2, 0.2)(rng);
  switch (pick(4)) {
  case 0:
    return "\"POINT(" + fmtCoord(lon) + " " + fmtCoord(lat) + ")\"";
  case 1:
    return "{\"type\":\"Point\",\"coordinates\":[" + fmtCoord(lon) + "," + fmtCoord(lat) + "]}";
  case 2:
    return "\"" + ewkbHex(lon, lat) + "\"";
  default:
    return std::nullopt;
  }
}

std::string image(int seed) {
  const int w = 96, h = 72;
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 3);
  int r0 = 60 + (seed * 37) % 160, g0 = 80 + (seed * 53) % 140, b0 = 40 + (seed * 71) % 180;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      auto *p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
      bool stripe = ((x + y + seed) / 12) % 2 == 0;
      p[0] = static_cast<std::uint8_t>((r0 + x) % 256);
      p[1] = static_cast<std::uint8_t>((g0 + y * 2) % 256);
      p[2] = static_cast<std::uint8_t>(stripe ? b0 : 255 - b0);
    }
  }
  return encodePng(w, h, px);
}

std::string isoDaysAgo(double days) {
  using namespace std::chrono;
  auto t = system_clock::now() - duration_cast<seconds>(duration<double>(days * 86400.0));
  std::time_t tt = system_clock::to_time_t(t);
  std::tm tm{};
  gmtime_r(&tt, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

} // namespace

void seedDemo(Connection &c, const std::vector<Account> &responsibles) {
  inTransaction(c, [&] {
    auto catalog = [&](const char *table, std::vector<std::string> items, const char *archived) {
      std::vector<std::string> ids;
      for (const auto &d : items) {
        ids.push_back(uuid(c));
        c.exec(std::string("insert into public.") + table + " (id, descricao) values ($1::uuid, $2)", {ids.back(), d});
      }
      c.exec(std::string("insert into public.") + table +
                 " (descricao, deleted_at) values ($1, now() - interval '30 days')",
             {archived});
      return ids;
    };
    auto objetivos =
        catalog("objetivo",
                {"Visita técnica", "Acompanhamento de rebanho", "Vacinação", "Venda de produtos", "Pós-venda",
                 "Treinamento de equipe", "Diagnóstico de problema sanitário", "Prospecção de cliente"},
                "Campanha antiga (arquivada)");
    auto classificacoes = catalog("classificacao",
                                  {"Bovinos de corte", "Bovinos de leite", "Suínos", "Aves", "Equinos",
                                   "Ovinos e caprinos", "Animais de companhia"},
                                  "Classificação descontinuada");

    struct Customer {
      std::string id;
      const City *city;
    };
    std::vector<Customer> customers;
    for (int i = 0; i < 41; ++i) {
      const City &city = pickFrom(kCities);
      bool company = i % 3 != 0;
      std::string first = pickFrom(kFirst), last = pickFrom(kLast), last2 = pickFrom(kLast);
      std::string razao, fantasia;
      std::optional<std::string> docCpf, docCnpj;
      if (company) {
        std::string farm = pickFrom(kFarm);
        std::string kind = pickFrom(kKind);
        razao = kind + " " + farm + " " + (chance(0.5) ? "Ltda" : "EIRELI");
        fantasia = kind + " " + farm;
        docCnpj = cnpj();
      } else {
        razao = first + " " + last + " " + last2;
        fantasia = "Sítio " + std::string(pickFrom(kFarm));
        docCpf = cpf();
      }
      std::string ddd = std::to_string(11 + pick(80));
      std::string phone = "(" + ddd + ") 3" + digits(3) + "-" + digits(4);
      std::string mobile = "(" + ddd + ") 9" + digits(4) + "-" + digits(4);
      std::string mailUser = first + "." + last;
      for (auto &ch : mailUser)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      std::string mail;
      for (unsigned char ch : mailUser)
        mail += ch < 0x80 ? static_cast<char>(ch) : 'a'; // keep the e-mail ASCII
      mail += "@exemplo.com.br";
      Customer cu{uuid(c), &city};
      bool archived = i == 40;
      c.exec("insert into public.cliente (id, nome_razao, nome_fantasia, cpf, cnpj, endereco, bairro, cep, "
             "cidade, uf, telefone, whatsapp, email, codigo_externo, deleted_at) values ($1::uuid, $2, $3, $4, "
             "$5, $6, $7, $8, $9, $10, $11, $12, $13, $14, case when $15 then now() - interval '10 days' end)",
             {cu.id, razao, chance(0.85) ? Param(fantasia) : Param(std::nullopt),
              docCpf ? Param(*docCpf) : Param(std::nullopt), docCnpj ? Param(*docCnpj) : Param(std::nullopt),
              std::string(pickFrom(kStreet)) + ", " + std::to_string(10 + pick(1900)), pickFrom(kBairro),
              std::string(city.cepPrefix) + digits(2) + "-" + digits(3), city.name, city.uf, phone, mobile, mail,
              chance(0.5) ? Param("ERP-" + digits(5)) : Param(std::nullopt), archived ? "true" : "false"});
      if (!archived)
        customers.push_back(cu);
    }

    for (int i = 0; i < 300; ++i) {
      const Customer &cu = customers[static_cast<std::size_t>(pick(static_cast<int>(customers.size())))];
      const Account &resp = responsibles[static_cast<std::size_t>(pick(static_cast<int>(responsibles.size())))];
      double daysAgo = std::uniform_real_distribution<double>(0.1, 730)(rng);
      bool finished = daysAgo > 3 ? chance(0.8) : chance(0.3);
      std::string id = uuid(c);
      std::string participants = std::string(pickFrom(kFirst)) + " " + pickFrom(kLast);
      if (chance(0.6))
        participants += ", " + std::string(pickFrom(kFirst)) + " " + pickFrom(kLast);
      std::string report = pickFrom(kReport);
      if (chance(0.4))
        report += "\n" + std::string(pickFrom(kReport));
      int images = chance(0.35) ? 1 + pick(4) : 0;
      std::vector<std::optional<std::string>> paths(4);
      for (int k = 0; k < images; ++k) {
        std::string name = id + "/imagem_" + std::to_string(k + 1) + ".png";
        c.exec("insert into storage.objects (bucket_id, name, mimetype, content) values "
               "('atendimento_imagem', $1, 'image/png', $2)",
               {name, Param::binary(image(i * 4 + k))});
        paths[static_cast<std::size_t>(k)] = name;
      }
      auto opt = [](const std::optional<std::string> &v) { return v ? Param(*v) : Param(std::nullopt); };
      bool useOther = chance(0.1);
      c.exec("insert into public.atendimento_externo (id, user_id, cliente_id, responsavel_id, data_visita, "
             "data_relatorio, datahorafinalizandoatendimento, objetivo_id, objetivo_outros, classificacao_id, "
             "relatorio, participantes, localizacao, geofinalizado, imagem_1_path, imagem_2_path, "
             "imagem_3_path, imagem_4_path, imagens_observacoes, created_at, deleted_at) values ($1::uuid, "
             "$2::uuid, $3::uuid, $4::uuid, $5::timestamptz, "
             "case when $6 then $5::timestamptz + interval '2 hours' end, "
             "case when $6 then $5::timestamptz + interval '1 hour 40 minutes' end, $7::uuid, $8, $9::uuid, "
             "$10, $11, $12::jsonb, case when $6 then $13::jsonb end, $14, $15, $16, $17, $18, "
             "$5::timestamptz, case when $19 then now() - interval '5 days' end)",
             {id, resp.id, cu.id, resp.id, isoDaysAgo(daysAgo), finished ? "true" : "false",
              useOther ? Param(std::nullopt) : Param(objetivos[static_cast<std::size_t>(pick(8))]),
              useOther ? Param("Entrega de material técnico") : Param(std::nullopt),
              classificacoes[static_cast<std::size_t>(pick(7))], report, participants, opt(position(*cu.city)),
              opt(position(*cu.city)), opt(paths[0]), opt(paths[1]), opt(paths[2]), opt(paths[3]),
              images > 0 && chance(0.7) ? Param(pickFrom(kNotes)) : Param(std::nullopt), i == 299 ? "true" : "false"});
    }
  });
}

} // namespace devserver
