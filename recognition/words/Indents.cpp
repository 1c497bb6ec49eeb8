#include "recognition/words/Indents.h"

#include <algorithm>
#include <cmath>

#include "recognition/words/CodeBars.h"
#include "recognition/words/CodeQuotes.h"

namespace ocr {

namespace {

constexpr size_t kLeastLines = 3;  // long lines a block needs
constexpr double kMemberShare = 0.6;  // of the long lines
constexpr qsizetype kLongLine = 8;  // characters of a line long enough to tell its pitch
// Lines of one pitch agree within this share of it (a misread character in
// a line of 30 is 3 %); a proportional face's lines vary more.
constexpr double kSamePitch = 0.04;
// A line's glyph starts up to a third of a cell into it ('"', '(' and '.'
// stand in the middle of theirs).
constexpr double kOnGrid = 0.35;
// The share of the block's lines that must start on its grid.
constexpr double kGridShare = 0.8;
// Words of four characters and more: a monospace face's are as wide as their
// characters' cells within this share (the room a comma or bracket leaves
// at the ends of its cell), in at least kWordShare of them.
constexpr double kWordPitch = 0.15;
constexpr double kWordShare = 0.85;
constexpr size_t kLeastWords = 6;
constexpr int kMostCells = 160;
// A short line (a brace, a docstring's quotes) stands at most this many
// cells deeper than the block's long lines: a title centred above a
// terminal's text lands on its grid by chance, far out.
constexpr int kShortDeeper = 8;

struct Line {
  size_t row = 0;
  PixelRect box;
  qsizetype chars = 0;
  double pitch = 0;  // 0: too short to tell
};

// The pitch of a stretch of `chars` characters `width` wide: from the first
// glyph's ink to the last's, about 0.4 of a cell short of their cells.
double pitchOf(double width, qsizetype chars) { return width / (double(chars) - 0.4); }

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

// A monospace face draws code's quotes straight; the engine reads some of
// them as typographic ones, which no compiler takes.
QString straightQuotes(QString s) {
  for (QChar& c : s) {
    const char16_t u = c.unicode();
    if (u == 0x201C || u == 0x201D || u == 0x201E || u == 0x2033) c = QLatin1Char('"');
    else if (u == 0x2018 || u == 0x2019 || u == 0x201A || u == 0x2032) c = QLatin1Char('\'');
  }
  return s;
}

bool samePitch(double a, double pitch) { return std::abs(a - pitch) <= kSamePitch * pitch; }

// Whether the words of the block's lines are as wide as monospace words of
// `pitch`, enough of them to tell.
bool wordsFit(const std::vector<Line>& members, const std::vector<std::vector<Piece>>& words, double pitch) {
  size_t told = 0, fit = 0;
  for (const auto& row : words)
    for (const Piece& w : row) {
      const qsizetype chars = text::trimWhitespace(w.text).size();
      if (chars < 4 || w.rect.width <= 0) continue;
      const bool inBlock = std::any_of(members.begin(), members.end(), [&](const Line& l) {
        return w.rect.midY() > l.box.minY() && w.rect.midY() < l.box.maxY() && w.rect.midX() > l.box.minX() &&
               w.rect.midX() < l.box.maxX();
      });
      if (!inBlock) continue;
      ++told;
      fit += std::abs(pitchOf(w.rect.width, chars) - pitch) <= kWordPitch * pitch;
    }
  return told >= kLeastWords && double(fit) >= kWordShare * double(told);
}

}  // namespace

void indentCode(std::vector<std::vector<Piece>>& rows, const std::vector<std::vector<Piece>>& words, const QImage& image) {
  std::vector<Line> lines;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].empty()) continue;
    const Piece& first = rows[r].front();
    // Indented already: nothing to count again.
    if (!first.text.isEmpty() && text::isWhitespace(first.text.front())) return;
    const qsizetype chars = text::trimWhitespace(first.text).size();
    if (chars == 0 || first.rect.width <= 0 || first.rect.height <= 0) continue;
    lines.push_back({r, first.rect, chars, chars >= kLongLine ? pitchOf(first.rect.width, chars) : 0});
  }
  // The pitch most long lines share, then the middle one of theirs.
  double pitch = 0;
  size_t support = 0;
  for (const Line& a : lines) {
    if (a.pitch <= 0) continue;
    const auto n = size_t(std::count_if(lines.begin(), lines.end(), [&](const Line& b) { return samePitch(b.pitch, a.pitch); }));
    if (n > support) support = n, pitch = a.pitch;
  }
  if (support < kLeastLines) return;
  std::vector<double> pitches;
  for (const Line& l : lines)
    if (samePitch(l.pitch, pitch)) pitches.push_back(l.pitch);
  pitch = median(pitches);
  std::vector<Line> members;
  std::vector<double> heights;
  for (const Line& l : lines)
    if (l.pitch > 0 && samePitch(l.pitch, pitch)) members.push_back(l), heights.push_back(l.box.height);
  // Most long lines: three labels of a dialog may agree by chance.
  const auto longLines = std::count_if(lines.begin(), lines.end(), [](const Line& l) { return l.pitch > 0; });
  if (members.size() < kLeastLines || double(members.size()) < kMemberShare * double(longLines)) return;
  if (!words.empty() && !wordsFit(members, words, pitch)) return;
  double base = members.front().box.minX();
  for (const Line& l : members) base = std::min(base, l.box.minX());
  auto offGrid = [&](const Line& l) {
    const double cells = (l.box.minX() - base) / pitch;
    return std::abs(cells - std::round(cells));
  };
  const auto onGrid = std::count_if(members.begin(), members.end(), [&](const Line& l) { return offGrid(l) <= kOnGrid; });
  if (double(onGrid) < kGridShare * double(members.size())) return;

  // The block reaches a few lines beyond its first and last long lines (a
  // closing brace, a docstring's quotes). Its other lines are no higher than
  // its lines, on its grid, and hold about as many characters as their
  // width has cells: a few more are spaces the engine put in ("Cache
  // (Error) :"), one fewer a misread ("_all__"), fewer still a run of
  // spaces read as one; many more, a proportional face.
  const double height = median(heights);
  double top = members.front().box.maxY(), bottom = members.front().box.minY();
  for (const Line& l : members) top = std::max(top, l.box.maxY()), bottom = std::min(bottom, l.box.minY());
  top += 3 * height, bottom -= 3 * height;
  std::vector<const Line*> block;
  // Lines of the block but for a mark read at their start ("—_all__"): the
  // repairs below may put them on its grid.
  std::vector<size_t> near;
  for (const Line& l : lines) {
    if (l.box.midY() > top || l.box.midY() < bottom || l.box.height > 1.6 * height) continue;
    const double cells = l.box.width / pitch + 0.4;
    const bool spaced = rows[l.row].front().text.contains(QLatin1Char(' '));
    if (l.chars >= kLongLine && (double(l.chars) > cells + std::max(2.5, 0.1 * cells) || (double(l.chars) < cells - 1.5 && !spaced)))
      continue;
    near.push_back(l.row);
    if (offGrid(l) > kOnGrid) continue;
    block.push_back(&l);
    base = std::min(base, l.box.minX());
  }
  // The quotes and underscores the engine lost change the block's rows:
  // it is found again.
  if (!image.isNull()) {
    const CodeGrid grid{pitch, base, height, near};
    // Underscores first: quotes may add rows, and the grid's rows move.
    const bool bars = restoreUnderscores(rows, grid, image);
    if (restoreQuotes(rows, grid, image) || bars) return indentCode(rows, words);
  }
  auto cellsOf = [&](const Line& l) { return int(std::lround((l.box.minX() - base) / pitch)); };
  int deepest = 0;
  for (const Line* l : block)
    if (l->chars >= kLongLine) deepest = std::max(deepest, cellsOf(*l));
  for (const Line* l : block) {
    const int cells = cellsOf(*l);
    if (l->chars < kLongLine && cells > deepest + kShortDeeper) continue;
    for (Piece& piece : rows[l->row]) piece.text = straightQuotes(piece.text);
    if (cells > 0 && cells <= kMostCells) rows[l->row].front().text.prepend(QString(cells, QLatin1Char(' ')));
  }
}

}  // namespace ocr
