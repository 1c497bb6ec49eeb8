// Short words repeated down a column are text, though each alone reads like
// chrome; a column of icons standing taller than the text is not.
#include <gtest/gtest.h>

#include "recognition/lines/ChromeColumns.h"

namespace {

TEST(ChromeColumns, TheSameLettersOneAboveTheOtherAreAColumnOfText) {
  const struct {
    const char* name;
    const char* text;
    int count, shift, height;  // the repeated lines; left edges `shift` apart
    bool column;
  } cases[] = {{"dpkg's states", "ii", 4, 0, 12, true},      {"two are no column", "ii", 2, 0, 12, false},
               {"not aligned", "ii", 4, 6, 12, false},         {"icons taller", "Ww", 4, 0, 14, false},
               {"one letter", "B", 4, 0, 12, false},
               {"not letters", "+1", 4, 0, 12, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::optional<ocr::EngineLine>> lines{std::nullopt};
    for (int i = 0; i < c.count; ++i)
      lines.push_back(ocr::EngineLine{QString::fromLatin1(c.text), 0.85, QRect(4 + i * c.shift, 20 * i, 14, c.height), {}});
    for (int i = 0; i < 6; ++i)  // the rest of each row
      lines.push_back(ocr::EngineLine{QStringLiteral("adduser 3.134"), 0.95, QRect(30, 20 * i, 90, 12), {}});
    const std::vector<bool> column = ocr::inRepeatedColumn(lines);
    ASSERT_EQ(column.size(), lines.size());
    EXPECT_FALSE(column.front());
    for (int i = 1; i <= c.count; ++i) EXPECT_EQ(column[size_t(i)], c.column) << i;
    EXPECT_FALSE(column.back());
  }
}

}  // namespace
