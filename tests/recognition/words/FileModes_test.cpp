// The file mode at the start of an `ls -l` line, put right from the
// look-alikes terminal faces give its letters, and nothing else touched.
#include <gtest/gtest.h>

#include "recognition/words/FileModes.h"

namespace {

// A line of words one space apart, each with a box of its own.
ocr::EngineLine lineOf(const QString& text) {
  ocr::EngineLine line{text, 0.9, std::nullopt, {}};
  int x = 0;
  for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    line.words.push_back({w, QRect(x, 0, 8 * int(w.size()), 14)});
    x += 8 * int(w.size() + 1);
  }
  return line;
}

TEST(FileModes, ModesArePutRightAndOtherWordsLeftAlone) {
  const struct {
    const char* read;
    const char* expected;
  } cases[] = {
      {"-rwxr-xr-x 1 root root 14720 Feb 29 2020 appres", "-rwxr-xr-x 1 root root 14720 Feb 29 2020 appres"},
      {"Lrwxrwxrwx 1 root root 6 Mar 12 2023 apropos", "lrwxrwxrwx 1 root root 6 Mar 12 2023 apropos"},
      {"-ruxr-xr-x 1 root root 3472 May 26 2022 activate", "-rwxr-xr-x 1 root root 3472 May 26 2022 activate"},
      {"rwxr-xr-x 1 root root 31040 Nov 21 2024 addpart", "-rwxr-xr-x 1 root root 31040 Nov 21 2024 addpart"},
      // An "x" beside a dash read three times, the leading dash lost.
      {"rwxr-XxXr-X 1 root root 18752 May 25 2023 apt", "-rwxr-xr-x 1 root root 18752 May 25 2023 apt"},
      // A mode read as three words.
      {"Lrwx rwx rwx 1 root root 28 Feb 17 2023 FileCheck-14", "lrwxrwxrwx 1 root root 28 Feb 17 2023 FileCheck-14"},
      // One look-alike in every triad counts once; so does a mode in capitals
      // apart from its type.
      {"-Pwxr-xXr-xX 1 root root 22856 Jan 11 2023 ambiguous_words", "-rwxr-xr-x 1 root root 22856 Jan 11 2023 ambiguous_words"},
      {"- PWXP-XP-X 1 root root 3472 May 26 2022 activate", "-rwxr-xr-x 1 root root 3472 May 26 2022 activate"},
      {"drwxr-xr-x. 2 root root 4096 Dec 25 2023 Documents", "drwxr-xr-x. 2 root root 4096 Dec 25 2023 Documents"},
      // No mode: words of a language, a mode's letters alone, too many repairs.
      {"Lorem ipsum dolor sit amet", "Lorem ipsum dolor sit amet"},
      {"rwxr-xr-x", "rwxr-xr-x"},
      {"rwx rwx", "rwx rwx"},
      {"LuuXuuXuuX 1 root root", "LuuXuuXuuX 1 root root"},
      {"rwxrwxrwxrwx 1 root root", "rwxrwxrwxrwx 1 root root"},
      {"LPUXxPUXPUX 1 root root", "LPUXxPUXPUX 1 root root"},  // five kinds of repair
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.read);
    ocr::EngineLine line = lineOf(QString::fromLatin1(c.read));
    const size_t words = line.words.size();
    ocr::repairFileMode(line);
    EXPECT_EQ(line.text, QString::fromLatin1(c.expected));
    // The words follow the text: a mode of several words is one word whose
    // box holds theirs.
    const QStringList expectedWords = QString::fromLatin1(c.expected).split(QLatin1Char(' '));
    ASSERT_EQ(line.words.size(), size_t(expectedWords.size()));
    EXPECT_EQ(line.words.front().text, expectedWords.front());
    if (line.words.size() < words) {
      const QStringList read = QString::fromLatin1(c.read).split(QLatin1Char(' '));
      const auto merged = qsizetype(words - line.words.size() + 1);
      EXPECT_EQ(line.words.front().box, QRect(0, 0, 8 * int(read.mid(0, merged).join(QLatin1Char(' ')).size()), 14));
    }
  }
}

}  // namespace
