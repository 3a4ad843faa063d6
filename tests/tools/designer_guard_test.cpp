#include "designer_guard.h"

#include <gtest/gtest.h>

namespace bomreport {
namespace {

TEST(DesignerGuard, AnswersOnlyItsOwnPageWithItsToken) {
  const DesignerGuard guard("0123456789abcdef0123456789abcdef", 8080);
  const std::string own = "/0123456789abcdef0123456789abcdef/";
  struct Case {
    const char* method;
    std::string path;
    const char* host;
    const char* origin;
    GuardVerdict verdict;
  };
  const Case cases[] = {
      {"GET", own, "127.0.0.1:8080", "", GuardVerdict::kAllowed},
      {"GET", own + "api/session", "localhost:8080", "", GuardVerdict::kAllowed},
      {"GET", own.substr(0, own.size() - 1), "[::1]:8080", "", GuardVerdict::kAllowed},
      {"POST", own + "api/save", "127.0.0.1:8080", "http://127.0.0.1:8080", GuardVerdict::kAllowed},
      {"GET", "/", "127.0.0.1:8080", "", GuardVerdict::kNoToken},
      {"GET", "/0123456789abcdef0123456789abcdee/", "127.0.0.1:8080", "", GuardVerdict::kNoToken},
      {"GET", own + "../x", "127.0.0.1:8080", "", GuardVerdict::kAllowed},  // names no file: 404
      {"GET", "/0123456789abcdef0123456789abcdef0/", "127.0.0.1:8080", "", GuardVerdict::kNoToken},
      {"GET", own, "evil.example:8080", "", GuardVerdict::kForeignHost},
      {"GET", own, "127.0.0.1:8081", "", GuardVerdict::kForeignHost},
      {"GET", own, "127.0.0.1", "", GuardVerdict::kForeignHost},
      {"GET", own, "", "", GuardVerdict::kForeignHost},
      {"POST", own + "api/save", "127.0.0.1:8080", "", GuardVerdict::kForeignOrigin},
      {"POST", own + "api/save", "127.0.0.1:8080", "http://evil.example", GuardVerdict::kForeignOrigin},
      {"POST", own + "api/save", "127.0.0.1:8080", "https://127.0.0.1:8080", GuardVerdict::kForeignOrigin},
      {"POST", own + "api/save", "127.0.0.1:8080", "null", GuardVerdict::kForeignOrigin},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(guard.check(c.method, c.path, c.host, c.origin), c.verdict)
        << c.method << " " << c.path << " Host " << c.host << " Origin " << c.origin;
  }
  EXPECT_EQ(guard.resource(own + "api/session"), "api/session");
  EXPECT_EQ(guard.resource(own), "");
}

TEST(DesignerGuard, TokensAreLongAndFresh) {
  const std::string first = makeDesignerToken();
  EXPECT_EQ(first.size(), 32u);
  EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(first, makeDesignerToken());
}

}  // namespace
}  // namespace bomreport
