#include "recognition/lines/StrayMarks.h"

#include <gtest/gtest.h>

namespace {

struct Word {
  const char* text;
  int left, width;
};

// A line 20 px high whose words stand where given; the engine's text is in
// reading order (right to left for Arabic).
ocr::EngineLine line(const std::vector<Word>& words, const char* text) {
  ocr::EngineLine out{QString::fromUtf8(text), 0.9, std::nullopt, {}};
  QRect box;
  for (const Word& w : words) {
    out.words.push_back({QString::fromUtf8(w.text), QRect(w.left, 0, w.width, 20)});
    box |= QRect(w.left, 0, w.width, 20);
  }
  out.box = box;
  return out;
}

TEST(StrayMarks, MarksFarFromTheWordsGoPunctuationBulletsAndCodeStay) {
  struct Case {
    const char* what;
    std::vector<Word> words;
    const char* text;
    const char* want;
  };
  for (const Case& c : std::vector<Case>{
           {"a drop-down's arrow", {{"Office", 0, 50}, {"Laser", 58, 40}, {"—", 300, 10}}, "Office Laser —", "Office Laser"},
           {"scroll buttons at both ends", {{"=", 0, 10}, {"Name", 90, 40}, {"Size", 200, 40}, {"=", 500, 10}}, "= Name Size =",
            "Name Size"},
           {"right to left", {{"—", 0, 10}, {"الاسم", 200, 40}}, "الاسم —", "الاسم"},
           {"Chinese keeps its spacing", {{"名称", 0, 30}, {"大小", 100, 30}, {"”", 400, 8}}, "名称大小”", "名称大小"},
           {"code's bar", {{"a", 0, 10}, {"|", 16, 4}, {"b", 26, 10}}, "a | b", "a | b"},
           {"a bullet", {{"•", 0, 8}, {"Open", 16, 40}}, "• Open", "• Open"},
           {"a text table's padded bar", {{"name", 0, 40}, {"|", 90, 4}}, "name |", "name |"},
           {"a letter is no mark", {{"Laser", 0, 40}, {"v", 300, 10}}, "Laser v", "Laser v"},
           {"marks alone", {{"*/", 0, 20}}, "*/", "*/"},
           {"nothing but marks", {{"=", 0, 10}, {"—", 300, 10}}, "= —", "= —"},
       }) {
    SCOPED_TRACE(c.what);
    ocr::EngineLine l = line(c.words, c.text);
    ocr::dropStrayMarks(l);
    EXPECT_EQ(l.text, QString::fromUtf8(c.want));
    // The box keeps what is left, no more.
    QRect kept;
    for (const ocr::EngineWord& w : l.words) kept |= *w.box;
    EXPECT_EQ(*l.box, kept);
  }
}

}  // namespace
