#include "recognition/clean/CodeGaps.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace ocr {

namespace {

// Whether the space between the words `a` and `b` is the room a narrow mark
// leaves in its cell: beside an underscore, or in "::", when the gap is
// hardly one or well under the line's other spaces (`reference`, 0 when
// there are none); after the dot of a dotted name ("os.path. join") only
// when it is well under them, or under a character's `pitch` without them.
// A colon ending a label ("Copies: 2") and the full stop ending a sentence
// keep their space.
bool codeSpace(const QString& a, const QString& b, int gap, int h, double reference, double pitch) {
  const QChar last = a.back(), next = b.front();
  const bool narrow = gap < 0.15 * h || gap < 0.6 * reference;
  if (last == QLatin1Char('_') || next == QLatin1Char('_')) return narrow;
  // The two dots of "::" stand in the middles of their cells, three
  // quarters of one apart; a space is more than a whole cell.
  if (last == QLatin1Char(':') && next == QLatin1Char(':')) return narrow || gap < 0.8 * reference;
  // A colon written close to what follows it ("localhost :8080"): the room
  // before it is its own cell's. A colon set apart on both sides stays so.
  if (next == QLatin1Char(':') && b.size() > 1 && b[1].isLetterOrNumber() && a.back().isLetterOrNumber())
    return narrow;
  if (last == QLatin1Char('.') && next.isLetterOrNumber()) {
    // A name with marks in it (a path, "report-2024. pdf"), not a word or
    // a number ending a sentence or a date ("12. März").
    const QString name = a.chopped(1);
    const bool dotted = std::any_of(name.begin(), name.end(), [](QChar ch) { return QStringLiteral("._/-").contains(ch); });
    // With no other space in the line to go by, a monospace cell's: a
    // space is a whole one, the room beside a dot under half. Only before a
    // small letter (an extension), not a capital starting a sentence.
    if (reference <= 0) return dotted && next.isLower() && gap < 0.7 * pitch;
    return dotted && gap < 0.6 * reference;
  }
  return false;
}

// How many underscores `word` starts with, or ends with (`atEnd`).
int underscores(const QString& word, bool atEnd) {
  qsizetype n = 0;
  while (n < word.size() && word[atEnd ? word.size() - 1 - n : n] == QLatin1Char('_')) ++n;
  return int(n);
}

cv::Mat view(const QImage& grey8, const QRect& r) {
  return {r.height(), r.width(), CV_8U, const_cast<uchar*>(grey8.constScanLine(r.y())) + r.x(), size_t(grey8.bytesPerLine())};
}

// The underscores at the foot of the line boxed `line`: flat bars on or
// under its baseline with nothing standing right above them (the low stroke
// of "=" has the other above it, a link's underline the letters).
std::vector<QRect> underscoreBars(const QImage& grey8, int ground, const QRect& line) {
  const int h = line.height();
  std::vector<QRect> bars;
  const QRect area = QRect(QPoint(line.left() - h, line.top()), QPoint(line.right() + h, line.bottom() + int(0.35 * h))) &
                     grey8.rect();
  if (h < 6 || area.isEmpty()) return bars;
  const cv::Mat pixels = view(grey8, area);
  double darkest = 255;
  cv::minMaxLoc(pixels, &darkest);
  if (ground - darkest < 60) return bars;
  const cv::Mat ink = pixels < ground - 0.25 * (ground - darkest);
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  // The baseline: where most letters end.
  std::vector<int> feet;
  for (int i = 1; i < n; ++i)
    if (stats.at<int>(i, cv::CC_STAT_HEIGHT) >= 0.35 * h)
      feet.push_back(stats.at<int>(i, cv::CC_STAT_TOP) + stats.at<int>(i, cv::CC_STAT_HEIGHT) - 1);
  if (feet.empty()) return bars;
  std::nth_element(feet.begin(), feet.begin() + std::ptrdiff_t(feet.size() / 2), feet.end());
  const int baseline = feet[feet.size() / 2];
  const int thick = std::max(2, int(std::lround(0.15 * h)));
  for (int i = 1; i < n; ++i) {
    const cv::Rect c(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
                     stats.at<int>(i, cv::CC_STAT_HEIGHT));
    // What the area's foot cuts is the top of the next line.
    if (c.y + c.height >= area.height() && area.bottom() < grey8.height() - 1) continue;
    if (c.height > thick || c.width < 3 * c.height || c.width < 0.25 * h || c.y < baseline - 0.05 * h) continue;
    // Its ends are left out: scaled small text blurs a bar into the foot of
    // the letter beside it.
    const int reach = std::min(c.y, int(std::lround(0.4 * h)));
    const int end = std::max(1, c.width / 6);
    if (reach > 0 && cv::countNonZero(ink(cv::Rect(c.x + end, c.y - reach, c.width - 2 * end, reach))) > 0) continue;
    bars.emplace_back(area.x() + c.x, area.y() + c.y, c.width, c.height);
  }
  std::sort(bars.begin(), bars.end(), [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
  return bars;
}

// The widest run of columns without ink between the columns `x0` and `x1`
// over the rows of `line`: the room between two words as it shows, whatever
// the engine's boxes leave out of them (a word's last dot, as a rule).
int openRoom(const QImage& grey8, int ground, const QRect& line, int x0, int x1) {
  const QRect area = QRect(QPoint(x0, line.top()), QPoint(x1, line.bottom())) & grey8.rect();
  if (area.isEmpty() || (line & grey8.rect()).isEmpty()) return std::max(0, x1 - x0 + 1);
  const cv::Mat pixels = view(grey8, area);
  double darkest = 255;
  cv::minMaxLoc(view(grey8, line & grey8.rect()), &darkest);
  const cv::Mat ink = pixels < ground - 0.25 * (ground - darkest);
  int widest = 0, run = 0;
  for (int x = 0; x < ink.cols; ++x) {
    run = cv::countNonZero(ink.col(x)) > 0 ? 0 : run + 1;
    widest = std::max(widest, run);
  }
  return widest;
}

}  // namespace

void closeCodeGaps(EngineLine& line, const QImage& grey8, int ground) {
  if (line.words.size() < 2 || grey8.format() != QImage::Format_Grayscale8) return;
  // Where each word stands in the text, left to right on the image.
  std::vector<qsizetype> at;
  QRect united;
  qsizetype pos = 0;
  // A word's own spaces belong to the gaps beside it.
  for (EngineWord& w : line.words) w.text = w.text.trimmed();
  for (const EngineWord& w : line.words) {
    const qsizetype found = w.text.isEmpty() ? -1 : line.text.indexOf(w.text, pos);
    if (found < 0 || !w.box || w.box->isEmpty()) return;
    if (!at.empty() && w.box->left() < line.words[at.size() - 1].box->left()) return;
    at.push_back(found);
    pos = found + w.text.size();
    united |= *w.box;
  }
  const qsizetype first = at.front(), last = pos;  // the words' stretch of the text
  const int h = united.height();
  // The character pitch: a monospace line's cells, each space one of them.
  // The stretch runs from the first glyph's ink to the last's, about half a
  // cell short of the cells' own width.
  const double pitch = double(united.width()) / std::max(1.0, double(last - first) - 0.4);

  // Underscores read as spaces, or left out: each gap between two words
  // takes as many as the bars in it have cells, with a space only where
  // blank room of most of a cell is left beside them. Counted from the gap
  // and not from the text's cells: the engine leaves out the "__" of
  // "__init__" altogether at times, and the cells after it no longer match.
  const std::vector<QRect> bars = underscoreBars(grey8, ground, united);
  std::vector<bool> used(bars.size(), false);
  const std::vector<qsizetype> read = at;
  QString text = line.text.left(first) + line.words.front().text;
  for (size_t i = 1; i < line.words.size(); ++i) {
    const QRect& a = *line.words[i - 1].box;
    const QRect& b = *line.words[i].box;
    QString between = line.text.mid(read[i - 1] + line.words[i - 1].text.size(),
                                     read[i] - read[i - 1] - line.words[i - 1].text.size());
    // The bars over the gap or in the first and last half cells of the
    // words beside it, whole, each counted once: the engine's boxes reach
    // over the underscores it left out of the words.
    int width = 0, left = b.left(), right = a.right();
    // Where the engine's boxes overlap, the stretch they share.
    const int reach = int(pitch / 2);
    const int x0 = std::min(a.right() + 1, b.left()) - reach, x1 = std::max(b.left() - 1, a.right()) + reach;
    for (size_t k = 0; k < bars.size(); ++k) {
      const QRect& bar = bars[k];
      if (used[k] || std::min(bar.right(), x1) < std::max(bar.left(), x0)) continue;
      used[k] = true;
      width += bar.width(), left = std::min(left, bar.left()), right = std::max(right, bar.right());
    }
    // A bar counted at the gap before runs on under this one: no space.
    const bool under = std::any_of(bars.begin(), bars.end(), [&](const QRect& bar) {
      return bar.left() <= a.right() + 1 && bar.right() >= b.left() - 1 - reach;
    });
    const bool blank = std::all_of(between.begin(), between.end(), [](QChar c) { return c.isSpace(); });
    if (blank && width == 0 && under && !between.isEmpty()) between.clear();
    if (blank && width > 0) {
      // Less those the words beside it read over the bar.
      int cells = std::max(1, int(std::lround(width / pitch)));
      if (left <= a.right()) cells -= underscores(line.words[i - 1].text, true);
      if (right >= b.left()) cells -= underscores(line.words[i].text, false);
      if (cells > 0) {
        between = QString(cells, QLatin1Char('_'));
        if (left - a.right() - 1 > 0.6 * pitch) between.prepend(QLatin1Char(' '));
        if (b.left() - 1 - right > 0.6 * pitch) between.append(QLatin1Char(' '));
      }
    }
    at[i] = text.size() + between.size();
    text += between + line.words[i].text;
  }
  text += line.text.mid(last);

  // The words again: those now joined by underscores are one.
  std::vector<EngineWord> words;
  qsizetype from = at.front();
  for (size_t i = 0; i < line.words.size(); ++i) {
    const qsizetype end = at[i] + line.words[i].text.size();
    const bool joined = i > 0 && std::all_of(text.begin() + at[i - 1] + line.words[i - 1].text.size(),
                                             text.begin() + at[i], [](QChar c) { return c == QLatin1Char('_'); });
    if (joined) {
      words.back().text = text.mid(from, end - from);
      words.back().box = *words.back().box | *line.words[i].box;
    } else {
      from = at[i];
      words.push_back({text.mid(from, end - from), line.words[i].box});
    }
  }

  // A space beside a narrow mark, hardly a gap or well under the line's
  // other spaces, is the room the mark leaves in its cell.
  auto room = [&](const QRect& a, const QRect& b) { return openRoom(grey8, ground, united, a.right() + 1, b.left() - 1); };
  std::vector<int> gaps;
  for (size_t i = 1; i < words.size(); ++i) gaps.push_back(room(*words[i - 1].box, *words[i].box));
  std::vector<EngineWord> out{words.front()};
  QString rebuilt = text.left(first) + words.front().text;
  qsizetype cursor = text.indexOf(words.front().text, first) + words.front().text.size();
  for (size_t i = 1; i < words.size(); ++i) {
    const qsizetype next = text.indexOf(words[i].text, cursor);
    const QString between = text.mid(cursor, next - cursor);
    cursor = next + words[i].text.size();
    EngineWord& a = out.back();
    const EngineWord& b = words[i];
    const int gap = room(*a.box, *b.box);
    std::vector<int> others;
    for (size_t j = 0; j < gaps.size(); ++j)
      if (j != i - 1) others.push_back(gaps[j]);
    double reference = 0;
    if (!others.empty()) {
      std::nth_element(others.begin(), others.begin() + std::ptrdiff_t(others.size() / 2), others.end());
      reference = others[others.size() / 2];
    }
    const bool blank = std::all_of(between.begin(), between.end(), [](QChar c) { return c.isSpace(); });
    if (blank && codeSpace(a.text, b.text, gap, h, reference, pitch)) {
      a.text += b.text;
      a.box = *a.box | *b.box;
      rebuilt += b.text;
    } else {
      out.push_back(b);
      rebuilt += between + b.text;
    }
  }
  rebuilt += text.mid(cursor);
  if (rebuilt == line.text) return;
  line.text = rebuilt;
  line.words = std::move(out);
}

int darkenFaintBars(QImage& grey8, int ground, double lineHeight) {
  if (grey8.format() != QImage::Format_Grayscale8 || lineHeight <= 0) return 0;
  cv::Mat g(grey8.height(), grey8.width(), CV_8U, grey8.bits(), size_t(grey8.bytesPerLine()));
  double darkest = 255;
  cv::minMaxLoc(g, &darkest);
  if (ground - darkest < 60) return 0;
  // A fifth of the way from the ground to the ink keeps the anti-aliased
  // halves of the bar together.
  const cv::Mat faint = g < ground - 0.2 * (ground - darkest);
  const double ink = (ground + darkest) / 2;
  // The text's own strokes reach close to the darkest grey.
  const double solid = darkest + 0.3 * (ground - darkest);
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(faint, labels, stats, centroids, 8, CV_32S);
  const int thick = std::max(2, int(std::lround(0.15 * lineHeight)));
  int count = 0;
  for (int i = 1; i < n; ++i) {
    const cv::Rect r(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
                     stats.at<int>(i, cv::CC_STAT_HEIGHT));
    if (r.height > thick || r.width < 3 * r.height || r.width < 0.4 * lineHeight || r.width > 2.5 * lineHeight) continue;
    const cv::Mat own = labels(r) == i;
    double deepest = 0, above = 0;
    cv::minMaxLoc(g(r), &deepest, nullptr, nullptr, nullptr, own);
    if (deepest <= solid) continue;  // as dark as the text: a dash, a rule the engine sees
    // Nothing right above it: the cell of an underscore is empty, where the
    // thin strokes of a Chinese character stand over one another.
    const int over = std::min(r.y, int(std::lround(0.4 * lineHeight)));
    if (over > 0 && cv::countNonZero(faint(cv::Rect(r.x, r.y - over, r.width, over))) > 0) continue;
    // Text above it, in its own cell or the ones beside: the foot of a line,
    // not a mark of the chrome.
    const int reach = int(std::lround(lineHeight));
    const cv::Rect region = cv::Rect(r.x - reach, r.y - reach, r.width + 2 * reach, reach) & cv::Rect(0, 0, g.cols, g.rows);
    if (region.area() == 0) continue;
    cv::minMaxLoc(g(region), &above);
    if (above >= ink) continue;
    g(r).setTo(int(darkest), own);
    ++count;
  }
  return count;
}

}  // namespace ocr
