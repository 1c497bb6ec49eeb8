#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "recognition/engines/Guarded.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/Recognizer.h"
#include "recognition/base/ScriptLetters.h"
#include "recognition/words/ScriptWords.h"
#include "recognition/engines/SideBySide.h"
#include "recognition/engines/Stop.h"

namespace Recognizer {

namespace {

// The passes of one recognize call. A language list already read is not read
// again: its earlier pass is used. Several lists can be read side by side,
// each on a thread of its own, the reader being called once per list; one
// can also be started ahead, alone, and be waited for when it is asked for.
class Passes {
 public:
  Passes(const QImage& image, const Reader& reader, int parallel)
      : image_(image), reader_(reader), parallel_(std::max(1, parallel)) {}

  // Waits for the passes started on threads of their own.
  ~Passes() {
    for (std::future<void>& f : started_) f.wait();
  }

  Pass read(const QStringList& languages) { return readAll({languages}).front(); }

  // Called with a list's index among readAll's lists and its pass as soon as
  // it is read, on the thread that read it.
  using OnRead = std::function<void(size_t, const Pass&)>;

  // The passes of every list, in the lists' order, whatever order they finish in.
  std::vector<Pass> readAll(const std::vector<QStringList>& lists, const OnRead& onRead = {}) {
    std::vector<std::shared_future<Pass>> results;
    std::vector<Todo> todo = claim(lists, &results);
    std::atomic<size_t> next{0};
    // Passes started on their own and still read count as side by side too.
    const size_t together = todo.size() + size_t(running_.load());
    auto work = [&] {
      std::optional<ocr::SideBySide> shared;
      if (together > 1) shared.emplace(int(std::min(together, size_t(parallel_))));
      for (size_t i; (i = next++) < todo.size();) {
        const Pass pass = readOne(todo[i]);
        if (onRead) onRead(todo[i].index, pass);
      }
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < std::min(todo.size(), size_t(parallel_)); ++t) helpers.emplace_back(carryingStop(work));
    work();
    for (std::thread& t : helpers) t.join();
    std::vector<Pass> out;
    for (auto& r : results) out.push_back(r.get());
    return out;
  }

  // Starts reading `list` on a thread of its own, unless it is read or being
  // read already; readAll then waits for that pass. The pass is read as one
  // alone, with all its engines: it starts beside one-line previews, which
  // end soon, or beside the few lines of a duel. Without a thread to spare it
  // is read here and now.
  void start(const QStringList& list) {
    std::vector<Todo> todo = claim({list}, nullptr);
    if (todo.empty()) return;
    auto one = std::make_shared<Todo>(std::move(todo.front()));
    std::future<void> running;
    ++running_;
    try {
      running = std::async(std::launch::async, carryingStop([this, one] {
        readOne(*one);
        --running_;
      }));
    } catch (const std::system_error&) {
      readOne(*one);
      --running_;
      return;
    }
    std::lock_guard lock(mutex_);
    started_.push_back(std::move(running));
  }

 private:
  struct Todo {
    QStringList list;
    size_t index = 0;  // among the lists asked for
    std::promise<Pass> promise;
  };

  // The lists neither read nor being read yet, now the caller's to read; the
  // coming pass of every list goes to `results`.
  std::vector<Todo> claim(const std::vector<QStringList>& lists, std::vector<std::shared_future<Pass>>* results) {
    std::vector<Todo> todo;
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < lists.size(); ++i) {
      const QString key = lists[i].join(QLatin1Char(','));
      auto it = done_.find(key);
      if (it == done_.end()) {
        todo.push_back({lists[i], i, std::promise<Pass>()});
        it = done_.emplace(key, todo.back().promise.get_future().share()).first;
      }
      if (results) results->push_back(it->second);
    }
    return todo;
  }

  Pass readOne(Todo& todo) {
    // A stopped recognition reads nothing more: its passes count as empty.
    Pass pass = stopRequested() ? Pass{} : guarded("text pass", [&] { return reader_(image_, todo.list); });
    todo.promise.set_value(pass);
    return pass;
  }

  const QImage& image_;
  const Reader& reader_;
  const int parallel_;
  std::mutex mutex_;
  std::map<QString, std::shared_future<Pass>> done_;
  std::vector<std::future<void>> started_;
  std::atomic<int> running_{0};  // started passes not read yet
};

bool preferredBase(const QStringList& prefer, const QString& detected) {
  for (const QString& code : prefer) {
    if (OCRLanguages::base(code) == detected) return true;
  }
  return false;
}

QStringList secondChanceCandidates(const QStringList& prefer, bool fallback) {
  if (fallback) return OCRLanguages::otherScripts(prefer);
  QStringList candidates;
  for (qsizetype i = 1; i < prefer.size(); ++i) {
    if (!OCRLanguages::latin().contains(prefer[i])) candidates << prefer[i];
  }
  return candidates;
}

// Whether the pass of `list` (a second chance's candidate, its script's lead
// first) reads as words of that language where it reads another script.
bool wordsOfItsLanguage(const Pass& pass, const QStringList& list) {
  return ocr::readsAsWordsOf(pass.result.text(), list.front(), pass.confidence);
}

// A preview of `list` read well, in a few words at least, mostly in a script
// other than Latin (or, `hanToo` false, other than Latin and Han), and words
// of its language.
bool clearlyInItsScript(const Pass& preview, const QStringList& list, bool hanToo) {
  constexpr double kClear = 0.85;
  constexpr int kLeast = 4;  // letters of its own script
  if (preview.confidence < kClear || !wordsOfItsLanguage(preview, list)) return false;
  int own = 0, letters = 0;
  for (const QChar ch : preview.result.text()) {
    if (!ch.isLetter()) continue;
    ++letters;
    own += ocr::otherScriptLetter(ch) && (hanToo || ch.script() != QChar::Script_Han);
  }
  return own >= kLeast && 2 * own >= letters && ocr::mostlyOtherScript(preview.result.text());
}

// A preview read clearly in a script that no other script lead's model writes
// (Hangul, kana, Cyrillic, Arabic, Thai; not Latin, which every candidate
// reads beside English, nor Han, which the Chinese, Japanese and Korean
// models all write) tells the page's script before the other previews end.
bool decisive(const Pass& preview, const QStringList& list) { return clearlyInItsScript(preview, list, false); }

// The candidates worth a whole read: those whose preview scores at least
// `kNear` of the best preview's, in their order. Previews that tell nothing
// apart (all empty, or all close) keep every candidate. A decisive preview's
// candidate is kept whatever the others score, and its whole read starts on
// `passes` as soon as its preview ends: the slowest previews (the Chinese
// and Japanese models take longest to start) kept the cores waiting. Once a
// preview is decisive, another candidate is read whole only if its preview
// scores as well: a Thai model reading a Korean line as Thai letters came
// within 0.8 of the Korean preview and cost five seconds more.
std::vector<QStringList> screened(const std::vector<QStringList>& lists, Passes& previews, Passes& passes) {
  constexpr double kNear = 0.8;
  const std::vector<Pass> seen = previews.readAll(lists, [&](size_t i, const Pass& preview) {
    if (decisive(preview, lists[i])) passes.start(lists[i]);
  });
  double top = 0, clear = 0;
  for (size_t i = 0; i < lists.size(); ++i) {
    top = std::max(top, score(seen[i]));
    if (decisive(seen[i], lists[i])) clear = std::max(clear, score(seen[i]));
  }
  if (top <= 0) return lists;
  const double bar = clear > 0 ? clear : kNear * top;
  std::vector<QStringList> kept;
  for (size_t i = 0; i < lists.size(); ++i)
    if (decisive(seen[i], lists[i]) || score(seen[i]) >= bar) kept.push_back(lists[i]);
  return kept;
}

// Whether a later pass of the walk takes the lead: by more than 5 %.
bool overtakes(const Pass& later, const Pass& leader) { return score(later) > 1.05 * score(leader); }

// The index of the pass a walk over `seen` ends with.
size_t walkLead(const std::vector<Pass>& seen) {
  size_t lead = 0;
  for (size_t i = 1; i < seen.size(); ++i)
    if (overtakes(seen[i], seen[lead])) lead = i;
  return lead;
}

// The candidates among `lists` worth a whole read once compared on a larger
// part of the page than the previews: a Chinese page previews within a few
// per cent in Simplified and Traditional, and reading it whole in both took
// four fifths of a five-second recognition. The candidate the previews
// favour starts its whole read at once, beside the comparison; where the
// larger part favours it too, it is the only one read whole. Where it does
// not, or the parts read nothing, every candidate is read whole and the walk
// decides as it did without parts. Previews that tell nothing (all empty),
// or one that is decisive (its candidate is read whole already, and kept
// whatever the others score), leave the candidates as they are.
std::vector<QStringList> duelled(const std::vector<QStringList>& lists, Passes& previews, Passes& duels,
                                 Passes& passes) {
  const std::vector<Pass> previewed = previews.readAll(lists);
  const size_t favoured = walkLead(previewed);
  if (score(previewed[favoured]) <= 0) return lists;
  for (size_t i = 0; i < lists.size(); ++i)
    if (decisive(previewed[i], lists[i])) return lists;
  passes.start(lists[favoured]);
  const std::vector<Pass> seen = duels.readAll(lists);
  const size_t lead = walkLead(seen);
  if (score(seen[lead]) <= 0 || lead != favoured) return lists;
  return {lists[lead]};
}

}  // namespace

// The languages of the first pass: the preferred ones alone, as far as they
// are supported, with English behind them when none of them writes Latin
// script (so that Latin text still reads well enough to be recognised and
// re-read). The seven Latin models that the full list adds cost up to three
// times the time for no better reading of the preferred languages (measured
// with bench/ocr_bench --firstpass), and text in another Latin language
// still gets its own re-read further down the road. Without a preferred
// language, the Latin ones; never empty: a recogniser given no language at
// all reads nothing useful.
QStringList firstPassLanguages(const QStringList& prefer) {
  const QStringList& supported = OCRLanguages::supported();
  QStringList languages;
  bool latin = false;
  for (const QString& code : prefer) {
    if (!supported.contains(code) || languages.contains(code)) continue;
    languages << code;
    latin = latin || OCRLanguages::latin().contains(code);
  }
  const QString english = QStringLiteral("en-US");
  if (!languages.isEmpty() && !latin && supported.contains(english)) languages << english;
  if (languages.isEmpty()) languages = OCRLanguages::firstPass(prefer);
  if (languages.isEmpty()) languages = supported;
  if (languages.isEmpty()) languages << english;
  return languages;
}

Recognized recognize(const QImage& image, const QStringList& prefer, bool fallback, const Reader& reader, int parallel,
                     const Reader& preview, const Reader& duel) {
  if (parallel <= 0) parallel = defaultParallel();
  Passes passes(image, reader, parallel);
  Pass best = passes.read(firstPassLanguages(prefer));
  std::vector<QStringList> lists;  // the second chance's, in order
  for (const QString& candidate : secondChanceCandidates(prefer, fallback)) lists.push_back({candidate, QStringLiteral("en-US")});
  std::optional<Passes> previews;
  if (preview && !lists.empty()) previews.emplace(image, preview, parallel);

  if (const auto detected = OCRLanguages::detect(best.result.text())) {
    if (preferredBase(prefer, *detected) && best.confidence >= 0.6 && score(best) >= 3.0) return best.result;

    const auto lc = OCRLanguages::latinCode(*detected);
    if (lc && (fallback || prefer.contains(*lc))) {
      const QStringList latin = QStringList{*lc} + OCRLanguages::latin();
      // Text in another script, read by Latin models, can look like a Latin
      // language ("Uma Pa3mep Tun" for a Russian table's header); its re-read
      // is Latin junk, and the second chance never came. The candidates'
      // previews, read beside the re-read, tell: one that reads its own
      // script clearly sends the road on to the second chance. Only a
      // doubtful first pass is checked: Latin text in a language the first
      // pass was not made for still reads at a fair confidence (0.8 and more
      // in our samples), another script read as Latin far lower (0.7 at most).
      constexpr double kSure = 0.8;
      bool otherScript = false;
      if (previews && best.confidence < kSure) {
        passes.start(latin);
        const std::vector<Pass> seen = previews->readAll(lists);
        for (size_t i = 0; i < lists.size(); ++i) otherScript = otherScript || clearlyInItsScript(seen[i], lists[i], true);
      }
      if (!otherScript) {
        // A re-read a little weaker than the first pass still wins: the Latin
        // list suits the detected language better.
        Pass alt = passes.read(latin);
        return score(alt) >= 0.95 * score(best) ? alt.result : best.result;
      }
    }
  }

  // Every candidate is read at once, each on its own engine; the comparison
  // then walks them in order, so the answer is the one a walk reading them
  // one after the other would give.
  if (previews && lists.size() > 1) lists = screened(lists, *previews, passes);
  if (previews && duel && lists.size() > 1) {
    Passes duels(image, duel, parallel);
    lists = duelled(lists, *previews, duels, passes);
  }
  // A candidate's pass in its own script wins only as words of its language:
  // junk in a script nobody chose never wins over a clean read in a chosen
  // one, nor over a read of nothing.
  std::vector<Pass> seen = passes.readAll(lists);
  for (size_t i = 0; i < seen.size(); ++i) {
    if (overtakes(seen[i], best) && wordsOfItsLanguage(seen[i], lists[i])) best = std::move(seen[i]);
  }
  return best.result;
}

}  // namespace Recognizer
