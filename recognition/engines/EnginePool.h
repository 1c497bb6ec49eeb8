#pragma once
#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace tesseract {
class TessBaseAPI;
}

Q_DECLARE_LOGGING_CATEGORY(lcOcr)

// Initialised text engines, kept between recognitions because starting one
// costs 25-100 ms alone, and more beside other work, while reading a small
// image costs tens of milliseconds. An engine is keyed by its "+"-joined
// traineddata list ("deu+eng"); each is used by one thread at a time through
// a Lease. Only idle engines are kept, within limits: at most `perKey` of one
// key and at most `languages` traineddata models over all of them (a model is
// what costs memory: 10-20 MB each), the least recently used going first.
class EnginePool {
 public:
  struct Limits {
    // As many as a read of many lines uses at once (LineReadConfig): fewer,
    // and each large capture starts the rest again.
    int perKey = 7;
    int languages = 24;
  };
  struct Counters {
    std::int64_t starts = 0;    // engines started
    std::int64_t hits = 0;      // leases served by an idle engine
    std::int64_t failures = 0;  // engines that could not start
    std::int64_t evictions = 0; // idle engines dropped by the limits
  };

  // One engine, checked out; it goes back to the pool when the lease ends.
  class Lease {
   public:
    Lease() = default;
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&& other) noexcept;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease();

    explicit operator bool() const { return api_ != nullptr; }
    tesseract::TessBaseAPI* get() const { return api_.get(); }
    tesseract::TessBaseAPI* operator->() const { return api_.get(); }
    const QString& key() const { return key_; }
    // Drops the engine instead of returning it (after a failure inside it).
    void discard();

   private:
    friend class EnginePool;
    Lease(EnginePool* pool, QString key, std::unique_ptr<tesseract::TessBaseAPI> api);
    void release();

    EnginePool* pool_ = nullptr;
    QString key_;
    std::unique_ptr<tesseract::TessBaseAPI> api_;
  };

  // The process-wide pool over the installed traineddata.
  static EnginePool& shared();

  explicit EnginePool(QString dataDir);
  EnginePool(QString dataDir, Limits limits);
  ~EnginePool();
  EnginePool(const EnginePool&) = delete;
  EnginePool& operator=(const EnginePool&) = delete;

  // The engine key of a list of recognition codes: each code's traineddata in
  // order, repeats collapsed (the first place wins), codes outside the table
  // or not installed left out. When the first code left writes another script
  // than Latin, the Latin languages after it but English are left out too:
  // each further Latin model is one more chance for the engine to take the
  // page's own script for Latin look-alikes (measured: Korean lines came back
  // as "EXE 295"), and the Latin re-read still follows when the text is
  // Latin. Empty when nothing is left.
  QString keyFor(const QStringList& codes) const;

  // An engine for `key`: an idle one when there is one, else the one a
  // warm-up is starting for that key (waited for: it is further along), else
  // a new one. An empty lease when the key is empty or the engine cannot start.
  Lease acquire(const QString& key);

  // An idle engine for `key`, or an empty lease: never starts one nor waits.
  Lease acquireIdle(const QString& key);

  // An idle engine for `key`, else the first of the key to become idle
  // while add() is starting one (waited for, as long as `wanted` holds);
  // never starts one. An empty lease when none is idle or coming, when
  // another waiter took the one that came, or once `wanted` fails.
  Lease acquireStarted(const QString& key, const std::function<bool()>& wanted = {});
  // Wakes the waits of acquireStarted, to ask their `wanted` again.
  void wakeWaiting();

  // Starts engines for `key` until `count` are idle (or the limits stop it);
  // returns the number now idle. For warm-ups.
  int fill(const QString& key, int count);

  // Starts one more engine for `key` and leaves it idle (within the limits);
  // false when it cannot start. Several may run side by side.
  bool add(const QString& key);

  int idle(const QString& key) const;
  // How many engines add() and fill() are starting for `key` now.
  int starting(const QString& key) const;
  int idleTotal() const;
  Counters counters() const;
  void setLimits(Limits limits);
  // Drops the idle engines of `key` but the `keep` most recently returned;
  // returns how many went.
  int drop(const QString& key, int keep = 0);
  // Drops every idle engine but the `keep` of `key` most recently returned
  // (an idle program keeps only its warm ones); returns how many went.
  int keepOnly(const QString& key, int keep);
  // Drops every idle engine (tests, low memory).
  void clear();

 private:
  struct Idle {
    QString key;
    std::unique_ptr<tesseract::TessBaseAPI> api;
  };

  std::unique_ptr<tesseract::TessBaseAPI> start(const QString& key);
  // Drops the idle engines of `key` but the `keep` most recently returned,
  // and with `otherKeys` every idle engine of another key too.
  int dropBut(const QString& key, int keep, bool otherKeys);
  // Under the lock: the most recently returned idle engine of `key`, if any.
  std::unique_ptr<tesseract::TessBaseAPI> takeIdle(const QString& key);
  // Under `lock`: an idle engine of `key`, waiting for one being started
  // while there is none; null when none is idle or coming.
  std::unique_ptr<tesseract::TessBaseAPI> idleOrComing(std::unique_lock<std::mutex>& lock, const QString& key,
                                                       const std::function<bool()>& wanted = {});
  void giveBack(const QString& key, std::unique_ptr<tesseract::TessBaseAPI> api);
  // Moves the engines beyond the limits out of `idle_` (oldest first).
  std::deque<Idle> overLimits();

  const QString dataDir_;
  const QStringList installed_;  // recognition codes whose traineddata is in dataDir_
  mutable std::mutex mutex_;
  std::condition_variable filled_;
  QStringList filling_;  // one entry per engine add() is starting
  Limits limits_;
  Counters counters_;
  QStringList failedKeys_;  // warned about once each: a missing model fails every start alike
  std::deque<Idle> idle_;  // least recently used first
};
