#pragma once
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

// "-reporttest": shows whether reports are set up, sends one test signal and
// one test warning through the reporting door, and says what was really
// handed over to a sending client: a confirmation after the bounded wait for
// the send, or plainly that nothing was sent, and why.
namespace reporttest {

struct Facts {
  bool sentryKey = false;     // "TQSentryDSN" present
  bool telemetryKey = false;  // "TQTelemetryAppID" present
  bool reportsOn = false;     // the user's reports preference
  bool started = false;       // reporting is running after start()
  bool crashClient = false;   // this build installed a crash-reporting client
  bool analyticsClient = false;
  bool warningDelivered = true;  // false: the crash client could not get it to the service
  bool telemetryURL = true;      // "TQTelemetryURL" present: without it the analytics client stays off
  bool signalDelivered = true;   // false: the analytics client could not get it to the service
  QString signalDetail;          // what became of it then
};

// The first line: which keys are present and the preference, never the keys.
QString presenceLine(const Facts& facts);
// What of ("신호", "경고") was handed to a client.
QStringList handedOver(const Facts& facts);
// The last line: the confirmation, or why nothing was sent.
QString outcomeLine(const Facts& facts);

// How long the confirmation waits for the clients to send.
inline constexpr int kSendWaitMs = 4000;

// Waits at most the given time for the warning to reach the service; true when it did.
using DeliveryWait = std::function<bool(std::chrono::milliseconds)>;

// Waits at most the given time for the signal to reach the service: none when
// it did, else what happened.
using SignalWait = std::function<std::optional<QString>(std::chrono::milliseconds)>;

// Runs the test and calls `exit` with 0 at the end. With `crashDelivered` and
// `signalDelivered`, the warning and the signal count as sent only once the
// service took them.
void run(bool crashClientInstalled, bool analyticsClientInstalled, std::function<void(int)> exit,
         DeliveryWait crashDelivered = {}, SignalWait signalDelivered = {});

}  // namespace reporttest
