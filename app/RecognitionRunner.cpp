#include "app/RecognitionRunner.h"

#include <QMetaObject>

RecognitionRunner::RecognitionRunner(road::Engines engines, QObject* parent)
    : QObject(parent), engines_(std::move(engines)) {
  // Two captures may overlap (a pick while the last one is still read); each
  // task leases its own engines, so they never share one.
  pool_.setMaxThreadCount(2);
}

RecognitionRunner::~RecognitionRunner() {
  stopAll();
  pool_.waitForDone();
}

void RecognitionRunner::start(uint64_t sequence, road::Request request, Done done) {
  stopAll();
  latest_ = Recognizer::newStopFlag();
  // The runner outlives every task (its destructor waits for them), and a
  // result queued to it is dropped by Qt if it goes before the event runs.
  pool_.start([this, sequence, request = std::move(request), done = std::move(done), stop = latest_] {
    Recognizer::StopScope scope(stop);
    Recognized result = road::run(request, engines_);
    // What a stopped request found is partial, and nobody waits for it.
    if (stop->load()) return;
    QMetaObject::invokeMethod(
        this, [done, sequence, result = std::move(result)] { done(sequence, result); }, Qt::QueuedConnection);
  });
}

void RecognitionRunner::coolDown(const QStringList& prefer, bool fast) {
  if (engines_.coolDown) pool_.start([this, prefer, fast] { engines_.coolDown(prefer, fast); });
}

void RecognitionRunner::stopAll() {
  if (latest_) latest_->store(true);
}
