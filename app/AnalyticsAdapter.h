#pragma once
#include <QObject>
#include <QString>

#include "core/Reporting.h"

// The analytics client behind the reporting door. It runs only when Info.json
// names both the application identifier and the ingestion address: this
// program has no built-in service to send to. It tells the client about the
// screen and the appearance, which only the GUI thread may read.
class AnalyticsAdapter final : public QObject, public reporting::AnalyticsClient {
  Q_OBJECT
 public:
  explicit AnalyticsAdapter(QObject* parent = nullptr);
  // Writes what is pending and stops the client.
  ~AnalyticsAdapter() override;

  void initialize(const reporting::AnalyticsConfig& config) override;
  void signal(const QString& name, const reporting::Params& params) override;
  void stopAndDiscard() override;

  // True once a client runs (an identifier and an address were given).
  bool active() const { return active_; }

  struct Delivery {
    bool delivered = false;
    QString detail;  // what happened otherwise
  };
  // Sends what is pending now and waits at most `ms` for the answer.
  Delivery deliver(int ms);

  // The adapter the application installed, if any.
  static AnalyticsAdapter* installed();

 private:
  void refreshHostFacts();

  bool active_ = false;
  bool toldNoAddress_ = false;
};
