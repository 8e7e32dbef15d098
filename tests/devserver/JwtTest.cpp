#include "Jwt.h"

#include <gtest/gtest.h>

using namespace devserver;

TEST(Base64Url, DecodesOnlyTheCanonicalUrlSafeForm) {
  EXPECT_EQ(base64UrlDecode("Pz8-"), std::optional<std::string>("?"
                                                                "?>"));
  EXPECT_EQ(base64UrlDecode("Pz8_"), std::optional<std::string>("???"));
  EXPECT_EQ(base64UrlDecode("YQ"), std::optional<std::string>("a"));
  for (const char *bad : {"Pz8+", "Pz8/", "YQ==", "YQ=garbage", "YR", "Y", "YQ\n", "Y Q"})
    EXPECT_FALSE(base64UrlDecode(bad)) << bad;
}

TEST(Jwt, RefusesTokensThatDifferFromTheSignedTextInAnyWay) {
  JwtSigner signer("a-test-secret-that-is-long-enough-0123456789");
  // A payload whose text holds both '-' and '_' once encoded.
  std::string token = signer.sign(nlohmann::json{{"role", "anon"},
                                                 {"x", "?"
                                                       "?>>?"
                                                       "?"}});
  ASSERT_TRUE(signer.verify(token).ok());
  std::string standard = token;
  std::replace(standard.begin(), standard.end(), '-', '+');
  std::replace(standard.begin(), standard.end(), '_', '/');
  ASSERT_NE(standard, token);
  for (const std::string &bad : {token + "=garbage", token + "=", standard, token.substr(0, token.size() - 1)})
    EXPECT_FALSE(signer.verify(bad).ok()) << bad;
}
