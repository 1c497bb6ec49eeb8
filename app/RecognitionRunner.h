#pragma once
#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <functional>

#include "app/RecognitionRoad.h"
#include "recognition/engines/Stop.h"

// Runs recognition road requests on worker threads, never on the GUI thread,
// and hands each result back on the GUI thread with the number it was
// started under. A new request stops the ones still running or waiting: its
// capture supersedes theirs, whose results would be dropped anyway, and they
// would hold the cores it needs; a stopped request hands nothing back.
// Results of requests still running when the runner goes are waited for and
// dropped.
class RecognitionRunner : public QObject {
  Q_OBJECT
 public:
  using Done = std::function<void(uint64_t sequence, const Recognized& result)>;

  explicit RecognitionRunner(road::Engines engines = road::realEngines(), QObject* parent = nullptr);
  ~RecognitionRunner() override;

  void start(uint64_t sequence, road::Request request, Done done);

  // Runs the engines' cool-down on a worker thread (a request started
  // meanwhile runs beside it).
  void coolDown(const QStringList& prefer, bool fast);

  // Asks every request still running or waiting to stop (quitting).
  void stopAll();

  // True while any request (or the cool-down) runs.
  bool busy() const { return pool_.activeThreadCount() > 0; }
  // Waits up to `ms` for the running requests; true when none is left.
  bool waitForDone(int ms) { return pool_.waitForDone(ms); }

 private:
  road::Engines engines_;
  QThreadPool pool_;
  Recognizer::StopFlag latest_;  // of the newest request; the older ones are stopped already
};
