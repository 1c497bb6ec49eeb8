#pragma once
// Records the analytics signals the code under test sends through the real
// reporting facade: reports on, an analytics identifier in a private bundle
// (English texts only), and this object as the analytics client.
#include <QList>
#include <QStringList>

#include "core/Reporting.h"
#include "core/Settings.h"
#include "tests/support/Fixtures.h"

class SignalRecorder : public reporting::AnalyticsClient {
 public:
  SignalRecorder() : bundle_({{"TQTelemetryAppID", "APP-TEST"}}) {
    Reporting::setAnalyticsClient(this);
    Settings::shared().setReports(false);
    Settings::shared().setReports(true);  // starts reporting
    clear();
  }
  ~SignalRecorder() override {
    Settings::shared().setReports(false);
    Reporting::setAnalyticsClient(nullptr);
  }

  void initialize(const reporting::AnalyticsConfig&) override {}
  void signal(const QString& name, const reporting::Params& params) override {
    names << name;
    params_ << params;
  }
  void stopAndDiscard() override {}

  void clear() {
    names.clear();
    params_.clear();
  }
  int count(const QString& name) const { return int(names.count(name)); }
  reporting::Params last() const { return params_.isEmpty() ? reporting::Params() : params_.last(); }

  QStringList names;

 private:
  testenv::FakeBundle bundle_;
  QList<reporting::Params> params_;
};
