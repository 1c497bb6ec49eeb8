#pragma once
#include <QString>
#include <QStringList>
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
  bool telemetryURL = true;   // "TQTelemetryURL" present: without it the client stays off
  // What became of the signal once sent: none while not waited for.
  std::optional<bool> signalDelivered;
  QString signalDetail;  // why it was not delivered
};

// The first line: which keys are present and the preference, never the keys.
QString presenceLine(const Facts& facts);
// What of ("신호", "경고") was handed to a client.
QStringList handedOver(const Facts& facts);
// The last line: the confirmation, or why nothing was sent.
QString outcomeLine(const Facts& facts);

// How long the confirmation waits for the clients to send.
inline constexpr int kSendWaitMs = 4000;

// Runs the test and calls `exit` with 0 at the end.
void run(bool crashClientInstalled, bool analyticsClientInstalled, std::function<void(int)> exit);

}  // namespace reporttest
