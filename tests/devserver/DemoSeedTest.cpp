// The demo data: enough of every kind of row for trying the program, with
// images that really are images.
#include "HttpSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace varnel::test {
namespace {

std::uint32_t be32(const std::string &s, std::size_t at) {
  return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
         (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint32_t(std::uint8_t(s[at + 3]));
}

class DemoSeedTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    LocalBackendOptions options;
    options.seed = "demo";
    backend = new LocalBackend(options);
  }
  static void TearDownTestSuite() {
    delete backend;
    backend = nullptr;
  }
  static LocalBackend *backend;
};

LocalBackend *DemoSeedTest::backend = nullptr;

TEST_F(DemoSeedTest, HasEveryKindOfRowWithOneArchivedEach) {
  auto &b = *backend;
  EXPECT_GE(std::stoi(b.sqlValue("select count(*) from public.cliente where deleted_at is null")), 35);
  EXPECT_GE(std::stoi(b.sqlValue("select count(*) from public.atendimento_externo")), 250);
  for (const char *table : {"cliente", "classificacao", "objetivo", "atendimento_externo"}) {
    EXPECT_EQ(b.sqlValue(std::string("select count(*) from public.") + table + " where deleted_at is not null"), "1")
        << table;
  }
  EXPECT_EQ(b.sqlValue("select count(*) from public.cliente where cpf is null and cnpj is null"), "0");
  EXPECT_GE(std::stoi(b.sqlValue("select count(distinct responsavel_id) from public.atendimento_externo")), 3);
  EXPECT_EQ(b.sqlValue("select bool_and(n > 0) from (select count(*) n from public.atendimento_externo "
                       "group by datahorafinalizandoatendimento is null) s"),
            "t");
  // Positions in each stored form: WKT text, GeoJSON object, extended WKB hex.
  EXPECT_EQ(b.sqlValue("select count(distinct case when jsonb_typeof(localizacao) = 'object' then 'geojson' "
                       "when localizacao #>> '{}' like 'POINT(%' then 'wkt' "
                       "when localizacao #>> '{}' like '0101000020%' then 'ewkb' end) "
                       "from public.atendimento_externo where localizacao is not null"),
            "3");
  Api api(b);
  Reply signIn = api.signIn(b.adminEmail(), b.adminPassword());
  EXPECT_EQ(signIn.status, 200);
}

TEST_F(DemoSeedTest, VisitImagesDownloadAsValidPngFiles) {
  auto &b = *backend;
  std::string path =
      b.sqlValue("select imagem_1_path from public.atendimento_externo where imagem_1_path is not null limit 1");
  ASSERT_FALSE(path.empty());
  Api api(b);
  api.signInAs(b.consultantEmail(), b.consultantPassword());
  Reply r = api.get("/storage/v1/object/atendimento_imagem/" + path);
  ASSERT_EQ(r.status, 200);
  const std::string &png = r.body;
  ASSERT_GT(png.size(), 33u);
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::uint32_t width = be32(png, 16), height = be32(png, 20);

  // Every chunk's CRC holds, and the image data inflates to one filter byte
  // plus three bytes per pixel for each row.
  std::string idat;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    std::uint32_t len = be32(png, at);
    ASSERT_LE(at + 12 + len, png.size());
    std::string typeAndData = png.substr(at + 4, 4 + len);
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef *>(typeAndData.data()), static_cast<uInt>(typeAndData.size())),
              be32(png, at + 8 + len));
    if (typeAndData.compare(0, 4, "IDAT") == 0)
      idat += typeAndData.substr(4);
    at += 12 + len;
  }
  std::vector<Bytef> pixels(height * (1 + width * 3) + 16);
  uLongf size = pixels.size();
  ASSERT_EQ(uncompress(pixels.data(), &size, reinterpret_cast<const Bytef *>(idat.data()), idat.size()), Z_OK);
  EXPECT_EQ(size, height * (1 + width * 3));
}

} // namespace
} // namespace varnel::test
