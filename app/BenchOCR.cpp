#include "app/BenchOCR.h"

#include <QApplication>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QThreadPool>

#include "core/Console.h"
#include "app/RecognitionRoad.h"
#include "capture/SelectionMarker.h"
#include "core/CPUMeter.h"
#include "recognition/base/OCRLanguages.h"
#include "toast/ToastController.h"

namespace {
const char* const kSample =
    "최소제곱법은 잔차의 제곱합을 최소로 만드는 계수를 찾는 방법이다. The quick brown fox jumps over the lazy dog. ";
}

BenchOCR::BenchOCR(bool fast, QObject* parent) : QObject(parent), fast_(fast) {
  tick_.setInterval(10);
  tick_.setTimerType(Qt::PreciseTimer);
  connect(&tick_, &QTimer::timeout, this, [this] {
    const qint64 now = clock_.nsecsElapsed();
    stall_.longest = std::max(stall_.longest, now - stall_.last);
    stall_.last = now;
    ++stall_.ticks;
  });
}

BenchOCR::~BenchOCR() = default;

QImage BenchOCR::page() {
  QImage image(2200, 1600, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(2);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont font = QApplication::font();
  font.setPixelSize(14);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QRectF(20, 20, 1060, 760), Qt::TextWordWrap, QString::fromUtf8(kSample).repeated(22));
  p.end();
  image.setDevicePixelRatio(1);
  return image;
}

void BenchOCR::start() {
  const QImage image = page();
  clock_.start();
  stall_ = {};
  tick_.start();
  marker_ = std::make_unique<SelectionMarker>();
  toast_ = std::make_unique<ToastController>();
  marker_->show(QRectF(200, 200, 500, 300));
  toast_->show(ToastController::Kind::working, std::nullopt, std::nullopt, CPUMeter().busyPercent());

  const bool fast = fast_;
  // The answer goes through the application object, which outlives the
  // worker; the bench may be gone by then (a quit during the run).
  QPointer<BenchOCR> self(this);
  QThreadPool::globalInstance()->start([self, image, fast] {
    const road::Engines& engines = road::realEngines();
    const QStringList languages = OCRLanguages::primary(std::nullopt);
    std::optional<Recognized> result;
    if (fast) result = engines.fast(image, languages);
    if (!result) result = engines.accurate(image, languages, true);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, result = *result] {
          if (self) self->finish(result);
        },
        Qt::QueuedConnection);
  });
}

void BenchOCR::finish(const Recognized& result) {
  tick_.stop();
  const double seconds = double(clock_.nsecsElapsed()) / 1e9;
  console::line(QStringLiteral("인식 %1s · 메인 스레드 최장 멈춤 %2ms · 틱 %3 · %4줄 · 글자 %5")
                            .arg(seconds, 0, 'f', 2)
                            .arg(double(stall_.longest) / 1e6, 0, 'f', 0)
                            .arg(stall_.ticks)
                            .arg(result.lines.size())
                            .arg(text::visibleCount(result.text())));
}
