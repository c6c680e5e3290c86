// The default character code follows the system code page, which the POSIX build takes
// from VESKO_CODEPAGE (932 when unset).
#include <gtest/gtest.h>

#include <cstdlib>

#include "regex/bmRExp.h"

namespace vesko {
namespace {

TEST(TbmRExp, DefaultCodeFollowsTheCodePage) {
  struct TCase {
    const char* code_page;  // nullptr: unset
    int code;               // -1: the constructor refuses the page
  };
  const TCase cases[] = {
      {nullptr, kbmccShiftJIS}, {"932", kbmccShiftJIS}, {"1252", kbmccWestern},
      {"1200", kbmccUniCode},   {"437", -1},            {"65001", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code_page ? c.code_page : "unset");
    if (c.code_page) {
      ::setenv("VESKO_CODEPAGE", c.code_page, 1);
    } else {
      ::unsetenv("VESKO_CODEPAGE");
    }
    if (c.code < 0) {
      try {
        TbmRExp regexp;
        ADD_FAILURE() << "no error";
      } catch (const EVeskoError& e) {
        EXPECT_STREQ(e.what(), "bmccCodePage2CharCode: unknown code page");
      }
    } else {
      EXPECT_EQ(TbmRExp().GetCharCode(), c.code);
    }
  }
  ::unsetenv("VESKO_CODEPAGE");
}

}  // namespace
}  // namespace vesko
