#include "app/CaptureRoad.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPointer>
#include <chrono>

#include "capture/CaptureController.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionMarker.h"
#include "core/CPUMeter.h"
#include "core/Settings.h"
#include "toast/ToastController.h"
#include "ui/onboarding/OnboardingController.h"

Q_LOGGING_CATEGORY(lcRoad, "tarvok.app.road", QtInfoMsg)

namespace {
constexpr int kGlyphBackToIdleMs = 1000;
constexpr int kBackupPollMs = 20;
}  // namespace

CaptureRoad::CaptureRoad(Parts parts, Hooks hooks, road::Engines engines, QObject* parent)
    : QObject(parent), parts_(parts), hooks_(std::move(hooks)), runner_(std::move(engines)) {
  captureStartNs_ = nowNs();
  coolDown_.setSingleShot(true);
  coolDown_.setInterval(hooks_.coolDownMs);
  connect(&coolDown_, &QTimer::timeout, this, &CaptureRoad::coolDown);
}

qint64 CaptureRoad::nowNs() const {
  if (hooks_.clockNs) return hooks_.clockNs();
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void CaptureRoad::install() {
  QPointer<CaptureRoad> self(this);
  parts_.capture.onPicked = [self](const QImage& image, const QRectF& rect) {
    if (self) self->picked(image, rect);
  };
  parts_.toast.onRetryAccurate = [self] {
    if (self) self->retryAccurate();
  };
  parts_.toast.onSameSpot = [self] {
    if (self) {
      self->sameSpot();
    } else {
      Reporting::signal(QStringLiteral("toast.sameSpot"));
    }
  };
  parts_.capture.onCancel = [self] {
    if (self) self->cancelled();
  };
  parts_.capture.onError = [self](CaptureError error) {
    if (self) self->failed(error);
  };
}

QString CaptureRoad::modeWord() {
  return Settings::shared().fastMode() ? QStringLiteral("fast") : QStringLiteral("accurate");
}

void CaptureRoad::startCapture() {
  // An open overlay keeps the baseline of the capture that opened it.
  if (!parts_.capture.isActive()) parts_.cpu.mark();
  const std::optional<uint32_t> returnTo = hooks_.handOverMenu ? hooks_.handOverMenu() : std::nullopt;
  parts_.marker.dismiss(false, 0);
  glyph(Glyph::picking);
  Reporting::signal(QStringLiteral("capture.started"), {{QStringLiteral("mode"), modeWord()}});
  parts_.capture.start(returnTo);
}

void CaptureRoad::picked(const QImage& image, const QRectF& rect) {
  captureStartNs_ = nowNs();
  lastPicked_ = LastPicked{image, rect};
  parts_.marker.show(rect);
  parts_.toast.show(ToastController::Kind::working, std::nullopt, std::nullopt, parts_.cpu.busyPercent());
  recognize(image);
}

void CaptureRoad::recognize(const QImage& image) {
  coolDown_.stop();
  const uint64_t sequence = ++sequence_;
  backupPoll_.clear();  // a result still waiting for its backup is not the newest any more
  road::Request request = road::requestFor(image, Settings::shared());
  qCDebug(lcRoad) << "recognition" << sequence << (request.fast ? "fast" : "accurate") << request.languages;
  QPointer<CaptureRoad> self(this);
  runner_.start(sequence, std::move(request), [self](uint64_t n, const Recognized& result) {
    if (self) self->deliver(n, result);
  });
}

void CaptureRoad::deliver(uint64_t sequence, const Recognized& result) {
  coolDown_.start();
  if (sequence != sequence_) {
    qCDebug(lcRoad) << "recognition" << sequence << "dropped: a newer one was started";
    return;
  }
  if (result.text().isEmpty()) {
    parts_.marker.finish(false);
    Reporting::signal(QStringLiteral("capture.empty"), {{QStringLiteral("mode"), modeWord()}});
    glyph(Glyph::idle);
    parts_.toast.show(ToastController::Kind::empty);
    return;
  }
  const double seconds = double(nowNs() - captureStartNs_) / 1e9;
  // Undo puts back what the clipboard holds now, a copy made while the
  // capture was read included. The copy must be whole before the result
  // takes the clipboard (the old owner's answers stop counting then), so an
  // owner that is slow to answer holds the result up, for at most
  // kBackupLateMs; one that is silent that long leaves undo nothing to restore.
  auto pending = std::make_shared<PendingBackup>(PendingBackup::start());
  if (pending->ready()) return showPicked(result, seconds, pending->wait(0));
  auto* poll = new QTimer(this);
  backupPoll_ = poll;
  poll->setInterval(kBackupPollMs);
  auto waited = std::make_shared<QElapsedTimer>();
  waited->start();
  connect(poll, &QTimer::timeout, this, [this, poll, waited, pending, sequence, result, seconds] {
    if (backupPoll_ != poll || sequence != sequence_) {
      poll->deleteLater();  // a newer recognition started: this result is dropped
      return;
    }
    if (!pending->ready() && waited->elapsed() < kBackupLateMs) return;
    poll->deleteLater();
    backupPoll_.clear();
    showPicked(result, seconds, pending->wait(0));
  });
  poll->start();
}

void CaptureRoad::coolDown() {
  // A newer recognition still runs: its result starts the wait again.
  if (runner_.busy()) return;
  const Settings& settings = Settings::shared();
  runner_.coolDown(road::languagesFor(settings), settings.fastMode());
}

void CaptureRoad::showPicked(const Recognized& result, double seconds, std::optional<ClipboardBackup> backup) {
  parts_.marker.finish(true);
  Reporting::signal(QStringLiteral("capture.done"), doneParameters(result, modeWord(), seconds));
  parts_.toast.show(ToastController::Kind::picked, result, std::move(backup));
  glyph(Glyph::picked);
  QPointer<CaptureRoad> self(this);
  QTimer::singleShot(kGlyphBackToIdleMs, this, [self] {
    if (self && !self->parts_.capture.isActive()) self->glyph(Glyph::idle);
  });
}

reporting::Params CaptureRoad::doneParameters(const Recognized& result, const QString& mode, double seconds) {
  bool anyQR = false;
  for (const Code& c : result.codes) anyQR = anyQR || c.isQR;
  const QString code = anyQR ? QStringLiteral("qr") : result.codes.empty() ? QStringLiteral("no") : QStringLiteral("bar");
  return {{QStringLiteral("mode"), mode},
          {QStringLiteral("lines"), Reporting::bucket(static_cast<long long>(result.lines.size()))},
          {QStringLiteral("chars"), Reporting::bucket(text::graphemeCount(result.text()))},
          {QStringLiteral("table"), result.table ? QStringLiteral("yes") : QStringLiteral("no")},
          {QStringLiteral("code"), code},
          {QStringLiteral("seconds"), Reporting::seconds(seconds)}};
}

void CaptureRoad::cancelled() {
  glyph(Glyph::idle);
  Reporting::signal(QStringLiteral("capture.cancelled"));
}

void CaptureRoad::failed(CaptureError error) {
  glyph(Glyph::idle);
  Reporting::error(QStringLiteral("capture.failed"), {{QStringLiteral("reason"), reasonOf(error)}});
  // The guide to screen access would point at the wrong cause: the toast
  // says that no screen was found.
  if (error == CaptureError::noDisplay) {
    parts_.toast.show(ToastController::Kind::noDisplay);
    return;
  }
  parts_.onboarding.show();
  if (!askedPermission_) {
    askedPermission_ = true;
    if (hooks_.requestScreenAccess) hooks_.requestScreenAccess();
  }
}

void CaptureRoad::retryAccurate() {
  if (!lastPicked_) return;
  Settings::shared().setFastMode(false);
  Reporting::signal(QStringLiteral("toast.retryAccurate"));
  captureStartNs_ = nowNs();
  parts_.marker.show(lastPicked_->rect);
  parts_.toast.show(ToastController::Kind::working, std::nullopt, std::nullopt, parts_.cpu.busyPercent());
  recognize(lastPicked_->image);
}

void CaptureRoad::sameSpot() {
  Reporting::signal(QStringLiteral("toast.sameSpot"));
  glyph(Glyph::picking);
  parts_.capture.repeatLast();
}
