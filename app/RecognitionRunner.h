#pragma once
#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <functional>

#include "app/RecognitionRoad.h"

// Runs recognition road requests on worker threads, never on the GUI thread,
// and hands each result back on the GUI thread with the number it was
// started under. Results of requests still running when the runner goes are
// waited for and dropped.
class RecognitionRunner : public QObject {
  Q_OBJECT
 public:
  using Done = std::function<void(uint64_t sequence, const Recognized& result)>;

  explicit RecognitionRunner(road::Engines engines = road::realEngines(), QObject* parent = nullptr);
  ~RecognitionRunner() override;

  void start(uint64_t sequence, road::Request request, Done done);

  // True while any request runs.
  bool busy() const { return pool_.activeThreadCount() > 0; }
  // Waits up to `ms` for the running requests; true when none is left.
  bool waitForDone(int ms) { return pool_.waitForDone(ms); }

 private:
  road::Engines engines_;
  QThreadPool pool_;
};
