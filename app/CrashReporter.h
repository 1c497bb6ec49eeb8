#pragma once
#include <QString>
#include <chrono>

#include "core/Reporting.h"
#include "crash/Client.h"

// The crash-reporting client the reporting door drives: our own client of the
// crash service, with its files under $XDG_CACHE_HOME/tarvok/crash and the
// release "tarvok@<version>".
class CrashReporter : public reporting::CrashClient {
 public:
  CrashReporter();
  ~CrashReporter() override;  // close()

  void start(const reporting::CrashOptions& options) override;
  void captureMessage(const QString& message, const QString& level, const reporting::Params& tags) override;
  void close() override;
  void closeNow() override;
  void discardPending() override;

  // Waits at most `timeout` for the last message to reach the service; true when it did.
  bool lastMessageDelivered(std::chrono::milliseconds timeout);

  static QString folder();
  static QString release();

 private:
  crash::Client client_;
  QString lastMessage_;
};
