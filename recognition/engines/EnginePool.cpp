#include "recognition/engines/EnginePool.h"

#include <algorithm>
#include <chrono>

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

#include <QElapsedTimer>

#include "recognition/base/OCRLanguages.h"

Q_LOGGING_CATEGORY(lcOcr, "tarvok.ocr", QtInfoMsg)

namespace {

int modelCount(const QString& key) { return key.isEmpty() ? 0 : int(key.count(QLatin1Char('+'))) + 1; }

}  // namespace

// Every engine start has the library parse its built-in table of characters
// that look alike, once per model, into sorted lists: 80-100 ms of an
// English engine's 110-160 ms, three quarters of a Japanese one's. Only the
// library's legacy classifier consults that table, and our engines run the
// LSTM models alone. This definition takes the place of the library's own
// (the library calls it through its symbol table), so the table stays empty:
// the text read is the same, to the character (pages in seven scripts, a
// page's 40 lines). Should a later library no longer call it so, engines
// simply start at the old speed.
namespace tesseract {
class UNICHARSET;
class UnicharAmbigs {
 public:
  void LoadUniversal(const UNICHARSET& encoderSet, UNICHARSET* unicharset);
};
void UnicharAmbigs::LoadUniversal(const UNICHARSET& /*encoderSet*/, UNICHARSET* /*unicharset*/) {}
}  // namespace tesseract

// --- Lease ---

EnginePool::Lease::Lease(EnginePool* pool, QString key, std::unique_ptr<tesseract::TessBaseAPI> api)
    : pool_(pool), key_(std::move(key)), api_(std::move(api)) {}

EnginePool::Lease::Lease(Lease&& other) noexcept
    : pool_(other.pool_), key_(std::move(other.key_)), api_(std::move(other.api_)) {
  other.pool_ = nullptr;
}

EnginePool::Lease& EnginePool::Lease::operator=(Lease&& other) noexcept {
  if (this != &other) {
    release();
    pool_ = other.pool_;
    key_ = std::move(other.key_);
    api_ = std::move(other.api_);
    other.pool_ = nullptr;
  }
  return *this;
}

EnginePool::Lease::~Lease() { release(); }

void EnginePool::Lease::discard() { api_.reset(); }

void EnginePool::Lease::release() {
  if (pool_ && api_) pool_->giveBack(key_, std::move(api_));
  pool_ = nullptr;
}

// --- EnginePool ---

EnginePool& EnginePool::shared() {
  // Never destroyed: engines may still be in use by a background warm-up
  // while the process exits, and the OS takes their memory back anyway.
  static EnginePool* pool = new EnginePool(OCRLanguages::tessdataDir());
  return *pool;
}

EnginePool::EnginePool(QString dataDir) : EnginePool(std::move(dataDir), Limits{}) {}

EnginePool::EnginePool(QString dataDir, Limits limits)
    : dataDir_(std::move(dataDir)), installed_(OCRLanguages::supportedIn(dataDir_)), limits_(limits) {
  // Tesseract's messages ("Estimating resolution as ...", load errors) go to
  // its global debug file, and Leptonica reports to stderr by default;
  // nothing either says is for the user. This engine only sets the global,
  // before any engine loads a model.
  static std::once_flag quiet;
  std::call_once(quiet, [] {
    tesseract::TessBaseAPI api;
    api.SetVariable("debug_file", "/dev/null");
    // Each line read also had the engine's layout step test whether the line
    // is set in a fixed pitch, chopping it into character cells for each
    // pitch it tried (2 % of the processor time of a 4K page); the
    // recognizer reads the line whole either way and reads the same words
    // (bench/ocr_bench --roads and --code). A global like the one above.
    api.SetVariable("textord_all_prop", "1");
    setMsgSeverity(L_SEVERITY_NONE);
  });
}

EnginePool::~EnginePool() = default;

QString EnginePool::keyFor(const QStringList& codes) const {
  const QString english = QStringLiteral("en-US");
  QStringList names;
  bool otherScriptFirst = false;
  for (const QString& code : codes) {
    const auto name = OCRLanguages::traineddata(code);
    if (!name || !installed_.contains(code) || names.contains(*name)) continue;
    const bool latin = OCRLanguages::latin().contains(code);
    if (names.isEmpty()) otherScriptFirst = !latin;
    if (otherScriptFirst && latin && code != english) continue;
    names << *name;
  }
  return names.join(QLatin1Char('+'));
}

std::unique_ptr<tesseract::TessBaseAPI> EnginePool::start(const QString& key) {
  QElapsedTimer timer;
  timer.start();
  auto api = std::make_unique<tesseract::TessBaseAPI>();
  const QByteArray dir = dataDir_.toLocal8Bit();
  const QByteArray languages = key.toLatin1();
  const int rc = api->Init(dir.constData(), languages.constData(), tesseract::OEM_LSTM_ONLY);
  std::lock_guard lock(mutex_);
  if (rc != 0) {
    ++counters_.failures;
    if (!failedKeys_.contains(key)) {
      failedKeys_ << key;
      qCWarning(lcOcr) << "text engine" << key << "could not start from" << dataDir_;
    }
    return nullptr;
  }
  ++counters_.starts;
  qCDebug(lcOcr) << "text engine" << key << "started in" << timer.elapsed() << "ms";
  return api;
}

std::unique_ptr<tesseract::TessBaseAPI> EnginePool::takeIdle(const QString& key) {
  // The most recently returned engine of the key: the others may be evicted sooner.
  for (auto it = idle_.rbegin(); it != idle_.rend(); ++it) {
    if (it->key != key) continue;
    auto api = std::move(it->api);
    idle_.erase(std::next(it).base());
    ++counters_.hits;
    return api;
  }
  return nullptr;
}

EnginePool::Lease EnginePool::acquireIdle(const QString& key) {
  std::lock_guard lock(mutex_);
  auto api = takeIdle(key);
  if (!api) return {};
  return Lease(this, key, std::move(api));
}

std::unique_ptr<tesseract::TessBaseAPI> EnginePool::idleOrComing(std::unique_lock<std::mutex>& lock,
                                                                 const QString& key,
                                                                 const std::function<bool()>& wanted) {
  for (;;) {
    if (auto api = takeIdle(key)) return api;
    if (!filling_.contains(key) || (wanted && !wanted())) return nullptr;
    // Timed: what `wanted` asks may change without a wake (a stop).
    if (wanted)
      filled_.wait_for(lock, std::chrono::milliseconds(20));
    else
      filled_.wait(lock);
  }
}

EnginePool::Lease EnginePool::acquireStarted(const QString& key, const std::function<bool()>& wanted) {
  std::unique_lock lock(mutex_);
  auto api = idleOrComing(lock, key, wanted);
  if (!api) return {};
  return Lease(this, key, std::move(api));
}

void EnginePool::wakeWaiting() {
  // Under the lock: a waiter between asking `wanted` and waiting misses no wake.
  std::lock_guard lock(mutex_);
  filled_.notify_all();
}

EnginePool::Lease EnginePool::acquire(const QString& key) {
  if (key.isEmpty()) return {};
  {
    std::unique_lock lock(mutex_);
    if (auto api = idleOrComing(lock, key)) return Lease(this, key, std::move(api));
  }
  // Started outside the lock: other threads keep using their engines meanwhile.
  auto api = start(key);
  if (!api) return {};
  return Lease(this, key, std::move(api));
}

int EnginePool::fill(const QString& key, int count) {
  if (key.isEmpty()) return 0;
  for (int round = 0; round < count; ++round) {
    {
      std::lock_guard lock(mutex_);
      int idleNow = 0;
      for (const Idle& e : idle_) idleNow += e.key == key;
      if (idleNow >= count || idleNow >= limits_.perKey) break;
    }
    if (!add(key)) break;
  }
  return idle(key);
}

bool EnginePool::add(const QString& key) {
  {
    std::lock_guard lock(mutex_);
    if (key.isEmpty() || modelCount(key) > limits_.languages) return false;
    filling_ << key;
  }
  auto api = start(key);
  const bool started = api != nullptr;
  std::deque<Idle> dropped;
  {
    std::lock_guard lock(mutex_);
    filling_.removeOne(key);
    if (started) {
      idle_.push_back({key, std::move(api)});
      dropped = overLimits();
    }
  }
  filled_.notify_all();
  return started;
}

void EnginePool::giveBack(const QString& key, std::unique_ptr<tesseract::TessBaseAPI> api) {
  // Frees the page of the last read; the models stay loaded.
  api->Clear();
  std::deque<Idle> dropped;
  {
    std::lock_guard lock(mutex_);
    idle_.push_back({key, std::move(api)});
    dropped = overLimits();
  }
  filled_.notify_all();
  // Engines end outside the lock; ending one takes a few milliseconds.
}

std::deque<EnginePool::Idle> EnginePool::overLimits() {
  std::deque<Idle> dropped;
  auto dropAt = [&](std::deque<Idle>::iterator it) {
    dropped.push_back(std::move(*it));
    idle_.erase(it);
    ++counters_.evictions;
  };
  // Too many of one key: the oldest of that key goes.
  for (auto it = idle_.begin(); it != idle_.end();) {
    int newer = 0;
    for (auto later = std::next(it); later != idle_.end(); ++later) newer += later->key == it->key;
    if (newer >= limits_.perKey) {
      const auto index = it - idle_.begin();
      dropAt(it);
      it = idle_.begin() + index;
    } else {
      ++it;
    }
  }
  // Too many models over all: the least recently used go.
  auto models = [&] {
    int n = 0;
    for (const Idle& e : idle_) n += modelCount(e.key);
    return n;
  };
  while (!idle_.empty() && models() > limits_.languages) dropAt(idle_.begin());
  return dropped;
}

int EnginePool::idle(const QString& key) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const Idle& e : idle_) n += e.key == key;
  return n;
}

int EnginePool::starting(const QString& key) const {
  std::lock_guard lock(mutex_);
  return int(filling_.count(key));
}

int EnginePool::idleTotal() const {
  std::lock_guard lock(mutex_);
  return int(idle_.size());
}

EnginePool::Counters EnginePool::counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

void EnginePool::setLimits(Limits limits) {
  std::deque<Idle> dropped;
  std::lock_guard lock(mutex_);
  limits_ = limits;
  dropped = overLimits();
}

int EnginePool::drop(const QString& key, int keep) { return dropBut(key, keep, false); }

int EnginePool::keepOnly(const QString& key, int keep) { return dropBut(key, keep, true); }

int EnginePool::dropBut(const QString& key, int keep, bool otherKeys) {
  std::deque<Idle> dropped;
  {
    std::lock_guard lock(mutex_);
    // The most recently returned come last.
    int kept = 0;
    for (auto it = idle_.rbegin(); it != idle_.rend(); ++it) {
      if (it->key == key ? kept++ < keep : !otherKeys) continue;
      dropped.push_back(std::move(*it));
    }
    std::erase_if(idle_, [](const Idle& e) { return !e.api; });
  }
  // Engines end outside the lock.
  return int(dropped.size());
}

void EnginePool::clear() {
  std::deque<Idle> dropped;
  std::lock_guard lock(mutex_);
  dropped.swap(idle_);
}
