#include "core/Console.h"

#include <gtest/gtest.h>

TEST(Console, TextWritesOutEveryControlCharacterAndLeavesTheRestAlone) {
  const std::pair<QString, const char*> cases[] = {
      {QStringLiteral("\x1B]0;owned\x07"), "\\x1B]0;owned\\x07"},
      {QString::fromUtf16(u"a\0b\nc\rd\te\x7F", 10), "a\\x00b\\nc\\rd\\te\\x7F"},
      {QString::fromUtf16(u"\u009B2J \u0085 \u2028\u2029"), "\\u009B2J \\u0085 \\u2028\\u2029"},
      {QString::fromUtf16(u"\u202Etxt.exe\u2066\u200F"), "\\u202Etxt.exe\\u2066\\u200F"},
      {QStringLiteral("C:\\path 코드 ½ — ok"), "C:\\path 코드 ½ — ok"},
  };
  for (const auto& [raw, shown] : cases) EXPECT_EQ(console::escaped(raw), QString::fromUtf8(shown));
}
