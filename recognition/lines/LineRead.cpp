#include "recognition/lines/LineRead.h"

#include <tesseract/baseapi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <future>

#include "recognition/engines/BidiOrder.h"
#include "recognition/lines/ButtonLabels.h"
#include "recognition/words/BitmapDots.h"
#include "recognition/lines/BitmapText.h"
#include "recognition/lines/ChromeColumns.h"
#include "recognition/clean/CodeGaps.h"
#include "recognition/words/DotGaps.h"
#include "recognition/words/LatinRuns.h"
#include "recognition/words/LetterInk.h"
#include "recognition/lines/LineIcons.h"
#include "recognition/base/Median.h"
#include "recognition/lines/NeighbourInk.h"
#include "recognition/clean/Prepare.h"
#include "recognition/lines/ScriptAlone.h"
#include "recognition/base/ScriptLetters.h"
#include "recognition/engines/SideBySide.h"
#include "recognition/engines/Stop.h"
#include "recognition/lines/StrayMarks.h"
#include "recognition/lines/TextBoxes.h"
#include "recognition/words/UnitSpaces.h"
#include "recognition/words/WordEnds.h"
#include "recognition/lines/WordsAlone.h"

namespace ocr {

namespace {

// One box made ready for the engine, and the way back to the source.
struct Cut {
  QImage image;  // Format_Grayscale8, dark on light, scaled and padded
  QRect area;    // the source pixels cut out
  double scale = 1;
  int pad = 0;
  int ground = 255;  // the image's background grey
  // Enlarged pixels a softened bitmap's ink spreads, less than one source
  // pixel: taken off a box's sides on the way back, else every word grows a
  // pixel either way and the 4 px between the fields of a 6x13 listing close.
  int rim = 0;

  QRect toSource(const QRect& r) const {
    const int in = r.width() > 2 * rim && r.height() > 2 * rim ? rim : 0;
    const int x0 = area.x() + int(std::floor((r.left() + in - pad) / scale));
    const int y0 = area.y() + int(std::floor((r.top() + in - pad) / scale));
    const int x1 = area.x() + int(std::ceil((r.right() + 1 - in - pad) / scale));
    const int y1 = area.y() + int(std::ceil((r.bottom() + 1 - in - pad) / scale));
    return QRect(x0, y0, x1 - x0, y1 - y0) & area;
  }
};

// One box cut out and cleaned, at the source's size: what every scale of
// it is made from.
struct CutOut {
  QImage part;       // Format_Grayscale8, dark on light; null: nothing to read
  QRect area;        // the source pixels cut out
  int ground = 255;  // the part's background grey
  double ink = 0;    // the ink height its scale is measured against
  bool bitmap = false;  // drawn without anti-aliasing (BitmapText.h)
};

// Rules at the ends of a line: upright runs of ink (`background` and
// darker or lighter by kRuleContrast) through the line's middle, two and a
// half times its box's height long or more in `grey8`, as no glyph is. A
// window's edge with the desktop behind it, or a table's grid, flush against
// the text read as "|" or "[" before the line and threw the engine's reading
// of its first word ("BASE_DIR" as "Base_pIR"). In `part` (the cut-out of
// `area`), such a column in a side margin is painted with `background`, and
// so is all beyond it; within half the box's height of its ends (the
// detector's box takes in an edge that touches the text), each such column
// alone.
constexpr int kRuleContrast = 48;
constexpr double kRuleHeights = 2.5;
void clearEndRules(QImage& part, const QImage& grey8, const QRect& area, const QRect& box, int background) {
  const int least = int(std::ceil(kRuleHeights * box.height()));
  const int mid = std::clamp(box.center().y(), 0, grey8.height() - 1);
  auto rule = [&](int x) {
    const int gx = area.left() + x;
    auto ink = [&](int y) { return std::abs(int(grey8.constScanLine(y)[gx]) - background) >= kRuleContrast; };
    if (!ink(mid)) return false;
    int top = mid, bottom = mid;
    while (top > 0 && bottom - top + 1 < least && ink(top - 1)) --top;
    while (bottom + 1 < grey8.height() && bottom - top + 1 < least && ink(bottom + 1)) ++bottom;
    return bottom - top + 1 >= least;
  };
  auto paint = [&](int x0, int x1) {
    for (int y = 0; y < part.height(); ++y) std::memset(part.scanLine(y) + x0, background, size_t(x1 - x0));
  };
  const int from = box.left() - area.left(), to = box.right() - area.left();
  for (int x = std::min(from, part.width()) - 1; x >= 0; --x)
    if (rule(x)) {
      paint(0, x + 1);
      break;
    }
  for (int x = std::max(to + 1, 0); x < part.width(); ++x)
    if (rule(x)) {
      paint(x, part.width());
      break;
    }
  const int inner = std::min(std::max(2, box.height() / 2), (to - from + 1) / 2);
  for (int i = 0; i < inner; ++i)
    for (const int x : {from + i, to - i})
      if (x >= 0 && x < part.width() && rule(x)) paint(x, x + 1);
}

// How far from the ground a pixel of a glyph that runs out of a box is.
constexpr int kRunOutContrast = 40;

// `area` widened where the ink crosses its side edges, up to the first
// column of ground beyond: the detector's box of a short word hugs its
// denser characters and leaves a flat one out (the "一" of "一般" in a tab,
// read "AR" without it). A run of ink that reaches `reach` pixels out, or
// into another of `boxes` than boxes[index], or to the image's edge, or
// fills most of a column (a field's edge, a selection's end), is no glyph
// of this box's: that side stays as it was.
QRect widenToInk(const QImage& grey8, QRect area, const std::vector<QRect>& boxes, size_t index, int background) {
  const int reach = boxes[index].height();
  auto taken = [&](int x) {
    for (size_t j = 0; j < boxes.size(); ++j)
      if (j != index && x >= boxes[j].left() && x <= boxes[j].right() && boxes[j].top() <= area.bottom() &&
          boxes[j].bottom() >= area.top())
        return true;
    return false;
  };
  auto inkIn = [&](int x) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) n += std::abs(int(grey8.constScanLine(y)[x]) - background) >= kRunOutContrast;
    return n;
  };
  for (const int step : {-1, +1}) {
    const int edge = step < 0 ? area.left() : area.right();
    int x = edge + step, out = 0;
    for (; x >= 0 && x < grey8.width() && out <= reach; x += step, ++out) {
      const int n = inkIn(x);
      if (n == 0 || 5 * n > 3 * area.height() || taken(x)) break;
    }
    const bool ground = x >= 0 && x < grey8.width() && inkIn(x) == 0 && !taken(x);
    if (out == 0 || out > reach || !ground) continue;
    if (step < 0) area.setLeft(x + 1);
    else area.setRight(x - 1);
  }
  return area;
}

// Cuts out boxes[index] with its margins. Where a margin reaches into
// another box (the next cell of a row, a check box's label), that part is
// painted with the ground: the neighbour's letters would be read as this
// line's.
CutOut cutOut(const QImage& grey8, const std::vector<QRect>& boxes, size_t index, double typicalInk, bool widen,
              const LineReadConfig& config) {
  CutOut c;
  const QRect& box = boxes[index];
  const int my = int(std::lround(config.marginY * box.height()));
  const int mx = int(std::lround(config.marginX * box.height()));
  c.area = box.adjusted(-mx, -my, mx, my) & grey8.rect();
  if (c.area.isEmpty()) return c;
  QImage part = grey8.copy(c.area);
  Measure m = measure(part);
  if (const QRect wider = widen ? widenToInk(grey8, c.area, boxes, index, m.background) : c.area; wider != c.area) {
    c.area = wider;
    part = grey8.copy(c.area);
    m = measure(part);
  }
  const int background = m.background;
  // Before the neighbours' boxes are painted over the margins.
  clearEndRules(part, grey8, c.area, box, background);
  const QRect margins[] = {QRect(QPoint(c.area.left(), c.area.top()), QPoint(box.left() - 1, c.area.bottom())),
                           QRect(QPoint(box.right() + 1, c.area.top()), QPoint(c.area.right(), c.area.bottom())),
                           QRect(QPoint(box.left(), c.area.top()), QPoint(box.right(), box.top() - 1)),
                           QRect(QPoint(box.left(), box.bottom() + 1), QPoint(box.right(), c.area.bottom()))};
  for (size_t j = 0; j < boxes.size(); ++j) {
    if (j == index || !boxes[j].intersects(c.area)) continue;
    for (const QRect& margin : margins) {
      const QRect cover = (boxes[j] & margin).translated(-c.area.topLeft());
      for (int y = cover.top(); y <= cover.bottom() && !cover.isEmpty(); ++y)
        std::memset(part.scanLine(y) + cover.left(), background, size_t(cover.width()));
    }
  }
  // The ink of the lines above and below goes (NeighbourInk.h); half the
  // ink's own contrast takes in the anti-aliased rims of their marks.
  if (m.inkThreshold > 0) {
    clearNeighbourInk(part, c.area, grey8.rect(), boxes, index, background, std::max(12, m.inkThreshold / 2),
                      !m.lightOnDark);
    m.lineHeight = measure(part).lineHeight;
  }
  if (m.lightOnDark) part.invertPixels();
  int ground = m.lightOnDark ? 255 - m.background : m.background;
  // A drop-down's chevron after a button's label read as "v" or "Y".
  clearDropArrow(part, ground);
  // Stretched so that the ground is white and the darkest ink black: text on
  // a grey field or button reads like text on paper.
  int darkest = 255;
  for (int y = 0; y < part.height(); ++y) {
    const uchar* row = part.constScanLine(y);
    for (int x = 0; x < part.width(); ++x) darkest = std::min<int>(darkest, row[x]);
  }
  // A box of nothing but ground (what was in it was its neighbours') holds
  // no line: the engine reads a letter or two into a blank image.
  if (ground - darkest < 16) return {};
  if (ground - darkest >= 32) {
    std::array<uchar, 256> lut;
    for (int v = 0; v < 256; ++v) lut[size_t(v)] = uchar(std::clamp((v - darkest) * 255 / (ground - darkest), 0, 255));
    for (int y = 0; y < part.height(); ++y) {
      uchar* row = part.scanLine(y);
      for (int x = 0; x < part.width(); ++x) row[x] = lut[row[x]];
    }
    ground = 255;
  }
  // The ink's own height decides the scale where it can be measured: the
  // detector's boxes grow by more around short words than around long lines.
  // Given the image's typical ink height, a box is scaled no less than a
  // typical line: a cell whose ink band is taller (a word with tall
  // ascenders, marks above and below) is not shrunk below its neighbours.
  c.ink = m.lineHeight > 0 ? m.lineHeight : box.height() / 1.6;
  if (typicalInk > 0) c.ink = m.lineHeight > 0 ? std::min(c.ink, typicalInk) : typicalInk;
  c.ground = ground;
  c.bitmap = twoLevel(part, ground);
  c.part = std::move(part);
  return c;
}

// The cut-out scaled so that its ink is `inkHeight` high, and padded.
Cut scaled(const CutOut& from, double inkHeight, const LineReadConfig& config) {
  Cut c;
  c.area = from.area;
  c.scale = std::clamp(inkHeight / from.ink, config.minScale, config.maxScale);
  // Bitmap text by a whole factor: xterm's 6x13 face read 1,099 of 1,270
  // words of its listings scaled smoothly, 1,148 so (bench --listings).
  if (from.bitmap) c.scale = std::max(1.0, std::round(c.scale));
  const int w = std::max(1, int(std::lround(from.part.width() * c.scale)));
  const int h = std::max(1, int(std::lround(from.part.height() * c.scale)));
  const QImage part = from.bitmap ? enlargedBitmap(from.part, int(c.scale))
                      : w != from.part.width() || h != from.part.height()
                          ? from.part.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          : from.part;
  c.pad = config.pad;
  c.ground = from.ground;
  if (from.bitmap) c.rim = std::min(softening(int(c.scale)), int(c.scale) - 1);
  QImage out(w + 2 * c.pad, h + 2 * c.pad, QImage::Format_Grayscale8);
  if (out.isNull()) return {};
  out.fill(uint(c.ground));
  for (int y = 0; y < h; ++y) std::memcpy(out.scanLine(y + c.pad) + c.pad, part.constScanLine(y), size_t(w));
  c.image = std::move(out);
  return c;
}

// A mark a widget leaves beside its label (the ring of a radio button, a
// check box's tick), standing apart from the words: a gap of 0.4 line
// heights is more than a word space.
bool widgetMark(const QString& token) {
  static const QString marks = QString::fromUtf8("|©®@○●◉◯〇☐☑✓✔");
  return token.size() == 1 && marks.contains(token[0]);
}


// The engine's single line read of an image made ready, in its pixels;
// nothing when it saw no text there.
std::optional<EngineLine> readImage(EnginePool::Lease& engine, const QImage& image, tesseract::PageSegMode mode) {
  if (!recognizeGrey(engine, image, mode)) return std::nullopt;
  // One line in this mode; should the engine split it all the same, its
  // parts make one line again.
  EngineLine line{QString(), 0, std::nullopt, {}};
  double sum = 0, total = 0;
  for (EngineLine& part : collect(*engine.get(), true)) {
    if (part.text.trimmed().isEmpty()) continue;
    if (!line.text.isEmpty()) line.text += QLatin1Char(' ');
    line.text += part.text;
    sum += part.confidence * double(part.text.size());
    total += double(part.text.size());
    for (EngineWord& word : part.words) line.words.push_back(std::move(word));
  }
  if (line.text.trimmed().isEmpty()) return std::nullopt;
  line.confidence = total > 0 ? sum / total : 0;
  return line;
}

// The soft rims that scaling gives the dots of small Arabic letters make
// one dot read as two ("النظام" as "التظام" on a 13 px dialog): greys lighter
// than this become white (Arabic pages, errors: 1.1 % against 1.7 %).
constexpr int kDottedClip = 200;

// Every grey lighter than `level` made white.
void clipToGround(QImage& grey8, int level) {
  for (int y = 0; y < grey8.height(); ++y) {
    uchar* row = grey8.scanLine(y);
    for (int x = 0; x < grey8.width(); ++x)
      if (row[x] > level) row[x] = 255;
  }
}

// One read of a box at one scale: in the pixels of the source when done.
struct Attempt {
  Cut cut;
  std::vector<DotGap> gaps;
  QImage image;  // what the engine read
  std::optional<EngineLine> line;
};

Attempt attempt(EnginePool::Lease& engine, const CutOut& from, double inkHeight, bool openDots, bool dotted,
                const LineReadConfig& config, tesseract::PageSegMode mode = tesseract::PSM_SINGLE_LINE) {
  Attempt a;
  a.cut = scaled(from, inkHeight, config);
  if (a.cut.image.isNull()) return a;
  if (dotted && a.cut.ground == 255) clipToGround(a.cut.image, kDottedClip);
  if (openDots) a.gaps = innerDots(a.cut.image, a.cut.ground);
  a.image = withGaps(a.cut.image, a.gaps, a.cut.ground);
  a.line = readImage(engine, a.image, mode);
  // The single-line mode looks for a line first and finds none in some
  // words standing alone: one thick with dots (an Arabic button's "تطبيق")
  // looks like a row of specks to it, and reads once that check is off;
  // others (an Arabic table's cell) read as a raw line. An icon reads in
  // these modes too, as Latin letters or marks at low confidence: only
  // letters of another script read fairly well count.
  for (const bool raw : {false, true}) {
    if (a.line || !engine) break;
    if (!raw && !dotted) continue;
    if (!raw) engine->SetVariable("textord_noise_rejrows", "0");
    a.line = readImage(engine, a.image, raw ? tesseract::PSM_RAW_LINE : tesseract::PSM_SINGLE_LINE);
    if (!raw && engine) engine->SetVariable("textord_noise_rejrows", "1");
    if (a.line && (a.line->confidence < 0.3 || !std::any_of(a.line->text.begin(), a.line->text.end(), otherScriptLetter)))
      a.line.reset();
  }
  // The engine's own boxes of characters, needed here, are gone with its next read.
  const double scaledInk = from.ink * a.cut.scale;
  if (a.line) keepUnitSpaces(*a.line, *engine.get());
  if (a.line) keepSyllableSpaces(*a.line, *engine.get(), a.image, a.cut.ground, scaledInk);
  // A mark taken for a dot that the engine did not read as one was part of
  // a letter: the line is read as it stands too, and the better read kept.
  if (a.line && engine && !a.gaps.empty() && !dotsReadAsDots(*a.line, a.gaps)) {
    std::optional<EngineLine> plain = readImage(engine, a.cut.image, tesseract::PSM_SINGLE_LINE);
    if (plain) keepUnitSpaces(*plain, *engine.get());
    if (plain) keepSyllableSpaces(*plain, *engine.get(), a.cut.image, a.cut.ground, scaledInk);
    if (plain && plain->confidence >= a.line->confidence) {
      a.line = std::move(plain);
      a.gaps.clear();
      a.image = a.cut.image;
    }
  }
  return a;
}

// A line read below kDoubtful is read again a quarter larger, and if it
// still reads doubtfully, a fifth smaller; a read again is kept when better
// and reading at least kReadsWell: one letter misread at one scale is often
// read at the next ("budget.xIsx" at 0.2 where the larger one reads
// "budget.xlsx" at 0.7; a Korean name at 0.52 where the smaller one reads it
// at 0.93; a terminal's "$ ls -l" read as "$s -l" at 0.62 reads right at
// 0.87 larger). One that still reads poorly is no better for its few
// hundredths more: two radio labels of a Japanese dialog read at 0.15 became
// Latin letters at 0.41. Chinese and Japanese lines read lower on the whole
// and are read again only below kReadsWell: reading more of them again
// changed words both ways (dialogs: one word lost, one junk token more).
constexpr double kDoubtful = 0.7;
constexpr double kReadsWell = 0.6;
constexpr std::array<double, 2> kAgain{1.25, 0.8};

// How a pass reads its boxes.
struct Manner {
  // A dot inside a word gets room after it first (DotGaps.h).
  bool openDots = false;
  // Lines read poorly are read again larger (kDoubtful). Not in the passes
  // of a second chance, read side by side, nor where most lines read
  // poorly: the page is in a script that is not the pass's then, and
  // reading each line twice doubled the time of a Korean page read with an
  // English interface (900 x 560: 4.6 s against 10 s) for the same answer.
  bool again = true;
  // Below this a line is read again (kDoubtful).
  double doubtful = kDoubtful;
  // Where set, runs beside inner dots are read again with a Latin engine
  // of this pool (LatinRuns.h).
  EnginePool* latinRuns = nullptr;
  // Letters told apart by their dots (Arabic): light greys become the
  // ground after scaling (kDottedClip), and a line the single-line mode
  // finds nothing in is looked for again with its check for specks off.
  bool dotted = false;
  // A box's cut-out grows to the ink that crosses its ends (widenToInk);
  // not a word's cut out of a line read already, whose neighbours' letters
  // cross its ends.
  bool widen = true;
  // Read as one character: a lone sign of a key ("-", "+"), in which the
  // single-line mode finds no line or reads letters.
  bool oneSign = false;
};

// Whether the poorly read lines of a pass are worth a second read: a few of
// them, or no more than half the lines.
bool worthAgain(int poor, int read) { return poor <= 3 || 2 * poor <= read; }

// The box read as one line; nothing when the engine saw no text in it.
std::optional<EngineLine> readBox(EnginePool::Lease& engine, const QImage& grey8, const std::vector<QRect>& boxes,
                                  size_t index, double inkHeight, double typicalInk, const Manner& manner,
                                  const LineReadConfig& config) {
  const QRect& box = boxes[index];
  const CutOut from = cutOut(grey8, boxes, index, typicalInk, manner.widen, config);
  if (from.part.isNull()) return std::nullopt;
  // Only the scale differs between the reads: the box is cut out once.
  Attempt a = attempt(engine, from, inkHeight, manner.openDots, manner.dotted, config,
                      manner.oneSign ? tesseract::PSM_SINGLE_CHAR : tesseract::PSM_SINGLE_LINE);
  if (!a.line) return std::nullopt;
  EngineLine& line = *a.line;
  endWordsAtInk(line, a.image, a.cut.ground);
  splitAtSpaces(line, a.image, a.cut.ground);
  if (from.bitmap) commasOnTheFoot(line, a.image, a.cut.ground, int(a.cut.scale));
  // A bitmap's letters are told by its own pixels: enlarged and softened,
  // the single column between xterm's "b" and "c" closes. Its face is
  // monospace.
  if (from.bitmap)
    lettersByTheirInk(
        line, from.part, from.ground, [&](const QRect& r) { return a.cut.toSource(r).translated(-from.area.topLeft()); },
        Pitch::Fixed);
  else
    lettersByTheirInk(line, a.image, a.cut.ground);
  closeCodeGaps(line, a.image, a.cut.ground);
  closeDotGaps(line, a.gaps);
  if (manner.latinRuns) readLatinRuns(line, a.cut.image, a.cut.ground, engine, *manner.latinRuns);
  for (EngineWord& word : line.words)
    if (word.box) word.box = a.cut.toSource(*word.box);
  dropLeadingIcon(line, from.part, from.area, from.ground, box.height());
  QRect united;
  for (const EngineWord& w : line.words)
    if (w.box && !w.box->isEmpty()) united |= *w.box;
  line.box = united.isNull() ? box : united;
  dropEndMarks(line, widgetMark, 0.4);
  putInReadingOrder(line);
  dropStrayMarks(line);
  return std::move(a.line);
}

// Square or narrower: the shape of a check box, an icon or an arrow, and of
// a character or two.
bool squareish(const QRect& r) {
  return r.height() > 0 && double(r.width()) / r.height() < 1.7;
}

// A character of a script written without an alphabet: one is a syllable
// or a word (Han, kana, Hangul).
bool wide(QChar ch) {
  const QChar::Script script = ch.script();
  return script == QChar::Script_Han || script == QChar::Script_Hiragana || script == QChar::Script_Katakana ||
         script == QChar::Script_Hangul;
}

// The ink height a line of the script of `key`'s first model reads best at.
double inkHeightFor(const QString& key) {
  if (key.section(QLatin1Char('+'), 0, 0) == QLatin1String("kor")) return PrepareOptions{}.latinLineHeight;
  return ocr::lineHeightFor(key, PrepareOptions{});
}

// A line whose ink is far lower than the image's typical line: the arrow
// of a spin box (8 x 4 pixels among lines of 12) read as two letters, which
// no word of letters is, nor a number; but an ideograph or syllable ("一")
// may be that flat.
bool flatMark(const EngineLine& line, double typicalInk) {
  return typicalInk > 0 && line.box && line.box->height() < 0.4 * typicalInk &&
         std::none_of(line.text.begin(), line.text.end(), wide);
}

// A row of a title bar's buttons (minimise, maximise, close) or of a
// toolbar's small glyphs, read as "- O X", "=- O", "- Ox" or "O00": short
// pieces of dashes, rings and crosses only, at least one ring or cross among
// them, and not a number; two letters alone stay ("OX", "ox" are words).
bool buttonRow(const QString& text) {
  static const QString shapes = QString::fromUtf8("-=_+|~OoXx0×□○");
  static const QString marks = QString::fromUtf8("OoXx0×□○");
  const QString bare = QString(text).remove(QLatin1Char(' '));
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (std::any_of(words.begin(), words.end(), [](const QString& w) { return w.size() > 3; })) return false;
  const auto count = [&bare](auto test) { return std::count_if(bare.begin(), bare.end(), test); };
  if (count([](QChar ch) { return !shapes.contains(ch); }) > 0 || count([](QChar ch) { return marks.contains(ch); }) == 0)
    return false;
  if (count([](QChar ch) { return ch.isDigit(); }) == bare.size()) return false;
  return bare.size() >= 3 || count([](QChar ch) { return ch.isLetter(); }) < bare.size();
}

}  // namespace

int leastHeight(const std::vector<QRect>& boxes) {
  if (boxes.size() < 4) return 0;
  std::vector<int> heights;
  for (const QRect& b : boxes) heights.push_back(b.height());
  return int(median(std::move(heights))) / 2;
}

bool isChrome(const EngineLine& line) {
  const QString text = line.text.simplified();
  if (std::none_of(text.begin(), text.end(), [](QChar ch) { return ch.isLetterOrNumber(); })) return true;
  if (buttonRow(text)) return true;
  if (!line.box || !squareish(*line.box)) return false;
  const QString bare = QString(text).remove(QLatin1Char(' '));
  static const QString round = QString::fromUtf8("Oo0©®〇@Qo°");
  if (bare.size() == 1 && round.contains(bare[0]) && line.confidence < 0.9) return true;
  if (bare.size() <= 2) {
    // A number ("2", "A4") is real when read fairly well, and so are two
    // ideographs or syllables ("一般", "名称": a whole word, in a square box);
    // letters alone in a square must be read very well: arrows and icons
    // come out as "P" or "Vv" at 0.8.
    const bool number = std::any_of(bare.begin(), bare.end(), [](QChar ch) { return ch.isDigit(); });
    const bool word = bare.size() == 2 && std::all_of(bare.begin(), bare.end(), wide);
    return line.confidence < (number || word ? 0.5 : 0.9);
  }
  return false;
}

LinesRead readLines(const QImage& page, const std::vector<QRect>& boxes, const QString& key,
                    const LineReadConfig& config, EnginePool& pool, const std::vector<QRect>& keys) {
  LinesRead result;
  if (page.isNull() || key.isEmpty()) return result;
  std::vector<EnginePool::Lease> engines;
  engines.push_back(pool.acquire(key));
  if (!engines.front()) return result;
  result.ran = true;
  if (boxes.empty()) return result;

  const double inkHeight = config.inkHeight > 0 ? config.inkHeight : inkHeightFor(key);
  const QImage grey8 = page.format() == QImage::Format_Grayscale8 ? page : grey(page);
  // Latin models read each box best at its own scale; the other scripts with
  // no box scaled less than the image's typical line (pages, errors on the
  // detector's road: Arabic 3.4 % against 3.0 %, Cyrillic 2.7 % against
  // 2.6 %, Chinese, Japanese and Korean 3.2 % against 3.1 %; Latin 0.23 %
  // against 0.26 %).
  const double typicalInk = latinFirst(key) ? 0 : measure(grey8).lineHeight;
  // File names read best with their extensions apart where the first model
  // reads Cyrillic or Hangul (dialogs, words found: Russian 87 % against
  // 92 %, Korean 89 % against 93 %). Chinese and Japanese models read the dot
  // as a comma then and lose short names to the Latin one; theirs, Thai's
  // and Arabic's have the sides of an inner dot read again apart instead
  // (LatinRuns.h).
  Manner manner;
  manner.openDots = firstReadsOneOf(key, {QStringLiteral("ru-RU"), QStringLiteral("uk-UA"), QStringLiteral("ko-KR")});
  manner.again = !readingSideBySide();
  if (firstReadsOneOf(key, {QStringLiteral("ja-JP"), QStringLiteral("zh-Hans"), QStringLiteral("zh-Hant")}))
    manner.doubtful = kReadsWell;
  if (readsLatinRunsApart(key)) manner.latinRuns = &pool;
  manner.dotted = firstReadsOneOf(key, {QStringLiteral("ar-SA")});
  const int count = int(boxes.size());
  const int least = leastHeight(boxes);
  // The engines a read wants go with its boxes and with their length: a
  // page of long lines is as much work as a dialog of many short ones. Two
  // engines read even a few boxes in about half the time of one, when the
  // second is idle already.
  const double length = lengthInHeights(boxes);
  const int byCount = (count + config.boxesPerEngine - 1) / config.boxesPerEngine;
  const int byLength = int(std::ceil(length / config.heightsPerEngine));
  const int wanted = std::min({std::max({byCount, byLength, 2}), config.maxEngines, count});
  // Side by side with other passes a read starts no more engines than its
  // share of the cores (a second chance narrowed to two candidates has
  // most of them idle); else only idle engines join, and those being started
  // for its key (a read from a file starts two as it opens: its few long
  // lines were read by the first alone while the second came up beside it).
  // Alone, the engines a large read lacks are started: for its length, or
  // for many boxes. A dialog's twenty short boxes are read by two engines
  // about as soon as by more started for them (cold reads of 22 files:
  // 1.58 and 1.55 times the command line's time, against 1.58).
  const int share = std::max(1, Recognizer::defaultParallel() / passesSideBySide());
  const bool start =
      share > 1 && (count >= 4 * config.boxesPerEngine || length >= 2 * config.heightsPerEngine);
  // Counted before the idle ones are taken: one that comes up in between is
  // taken idle then, and the worker added for it finds none to wait for.
  const int coming = start ? 0 : pool.starting(key);
  while (int(engines.size()) < wanted) {
    EnginePool::Lease more = pool.acquireIdle(key);
    if (!more) break;
    engines.push_back(std::move(more));
  }
  const int have = int(engines.size());
  const int workers = start ? std::max(have, std::min(wanted, share))
                            : have + std::min(coming, std::max(0, wanted - have));
  engines.resize(size_t(workers));

  std::vector<std::optional<EngineLine>> found(static_cast<size_t>(count));
  // Each of `todo` (box indexes) read at `height`; a read again replaces the
  // first only when better and reading at least `enough` well.
  auto readAll = [&](std::vector<int> todo, double height, double enough) {
    // The longest lines first: a read costs about its length in letter
    // heights, and a long line started last keeps the others waiting.
    std::stable_sort(todo.begin(), todo.end(), [&](int a, int b) {
      return lengthInHeights(boxes[size_t(a)]) > lengthInHeights(boxes[size_t(b)]);
    });
    std::atomic<size_t> next{0};
    auto work = [&](size_t w) {
      // An engine the read began with is started again where a failed read
      // dropped it; one it waits for is waited for only while lines are left.
      if (!engines[w])
        engines[w] = start || w < size_t(have)
                         ? pool.acquire(key)
                         : pool.acquireStarted(key, [&] { return next < todo.size() && !Recognizer::stopRequested(); });
      // Without an engine the lines are left to the others.
      if (!engines[w]) return;
      // A stopped recognition reads no further line.
      for (size_t k; (k = next++) < todo.size() && !Recognizer::stopRequested();) {
        const auto i = size_t(todo[k]);
        if (!engines[w]) engines[w] = pool.acquire(key);  // a failed read dropped it
        if (!engines[w]) continue;
        auto line = readBox(engines[w], grey8, boxes, i, height, typicalInk, manner, config);
        if (line && (!found[i] || (line->confidence > found[i]->confidence && line->confidence >= enough)))
          found[i] = std::move(line);
      }
    };
    std::vector<std::future<void>> others;
    for (size_t w = 1; w < std::min(size_t(workers), todo.size()); ++w)
      others.push_back(std::async(std::launch::async, Recognizer::carryingStop([&work, w] { work(w); })));
    work(0);
    pool.wakeWaiting();  // a worker still waiting for its engine finds no line left
    for (auto& f : others) f.get();
  };
  std::vector<int> todo;
  for (int i = 0; i < count; ++i)
    if (boxes[size_t(i)].height() >= least) todo.push_back(i);
  readAll(todo, inkHeight, 0);
  if (manner.again) {
    auto poorOf = [&](const std::vector<int>& among) {
      std::vector<int> poor;
      for (int i : among)
        if (found[size_t(i)] && found[size_t(i)]->confidence < manner.doubtful) poor.push_back(i);
      return poor;
    };
    std::vector<int> poor = poorOf(todo);
    const auto read = std::count_if(found.begin(), found.end(), [](const auto& line) { return line.has_value(); });
    if (worthAgain(int(poor.size()), int(read))) {
      for (double scale : kAgain) {
        if (poor.empty()) break;
        readAll(poor, scale * inkHeight, kReadsWell);
        poor = poorOf(poor);
      }
    }
    // Short words of the pass's script read as Latin (ScriptAlone.h).
    readAlone(key, boxes, todo, found, [&](EnginePool::Lease& engine, size_t i, double larger) {
      return readBox(engine, grey8, boxes, i, larger * inkHeight, typicalInk, manner, config);
    }, pool);
    // Words of the pass's script read as Latin inside its lines (WordsAlone.h).
    Manner word = manner;
    word.widen = false;
    readWordsAlone(key, found, [&](EnginePool::Lease& engine, const QRect& box) {
      return readBox(engine, grey8, {box}, 0, inkHeight, typicalInk, word, config);
    }, pool);
  }

  // A label alone on a button that read as chrome is read again smaller,
  // where a scaled-up glyph of a few pixels blurs ("9" read as "|"), and as
  // a single sign. One that reads as a word stays as it is (a Chinese
  // button's two characters read again came back as Latin letters).
  auto onKey = [&](size_t i) { return std::find(keys.begin(), keys.end(), boxes[i]) != keys.end(); };
  if (!keys.empty() && engines.front()) {
    for (int i : todo) {
      auto& line = found[size_t(i)];
      for (const auto& [oneSign, smaller] : {std::pair{false, 0.6}, std::pair{true, 1.0}, std::pair{true, 0.6}}) {
        if (!onKey(size_t(i)) || (line && (keyLabel(line->text, line->confidence) || !isChrome(*line))) ||
            Recognizer::stopRequested())
          break;
        Manner sign = manner;
        sign.oneSign = oneSign;
        auto again = readBox(engines.front(), grey8, boxes, size_t(i), smaller * inkHeight, typicalInk, sign, config);
        if (again && keyLabel(again->text, again->confidence)) line = std::move(again);
      }
    }
  }

  const std::vector<bool> column = inRepeatedColumn(found);
  // Icons are told before any line is moved out: each is judged by the
  // words beside it.
  std::vector<bool> icon(found.size());
  for (size_t i = 0; i < found.size(); ++i)
    icon[i] = found[i] && !(onKey(i) && keyLabel(found[i]->text, found[i]->confidence)) && loneIcon(*found[i], grey8, found);
  for (size_t i = 0; i < found.size(); ++i) {
    auto& line = found[i];
    if (!line || icon[i]) continue;
    const bool label = onKey(i) && keyLabel(line->text, line->confidence);
    // What a button's lone label reads as, poorly, is a misread sign.
    const bool misread = onKey(i) && !label && line->confidence < 0.5;
    if (!misread && (column[i] || label || !isChrome(*line)) && (label || !flatMark(*line, typicalInk))) {
      if (onKey(i) && line->box) result.keys.push_back(*line->box);
      result.lines.push_back(std::move(*line));
    }
  }
  return result;
}

}  // namespace ocr
