#include "app/ReadFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QMetaObject>
#include <QThreadPool>
#include <future>

#include "app/Console.h"
#include "core/Settings.h"
#include "recognition/OCRLanguages.h"
#include "recognition/Recognizer.h"
#include "toast/ToastModel.h"

namespace readfile {

Recognized recognize(const QImage& image, bool fast, const road::Engines& engines) {
  const QStringList languages = OCRLanguages::primary(std::nullopt);
  // The code search needs nothing of the text: it runs beside it.
  std::future<std::vector<Code>> codes =
      std::async(std::launch::async, [&] { return engines.codes(image, true, road::kThoroughBudget); });
  std::optional<Recognized> text;
  if (fast) text = engines.fast(image);
  if (!text) text = engines.accurate(image, languages, true);
  return engines.merge(*text, codes.get());
}

QStringList report(const QSize& size, bool fast, double seconds, const Recognized& merged) {
  QStringList codes;
  for (const Code& c : merged.codes)
    codes << (c.isQR ? QStringLiteral("QR") : QStringLiteral("바코드")) + QLatin1Char(' ') + c.payload;
  ToastModel model;
  model.setResult(merged);
  const std::optional<QUrl> link = model.link();
  return {QStringLiteral("%1×%2 · %3 · %4s")
              .arg(size.width())
              .arg(size.height())
              .arg(fast ? QStringLiteral("빠르게") : QStringLiteral("정확하게"))
              .arg(seconds, 0, 'f', 2),
          QStringLiteral("코드 %1개: ").arg(merged.codes.size()) + codes.join(QStringLiteral(" | ")),
          QStringLiteral("덧말: ") + model.meta() + QStringLiteral(" · 열기: ") +
              (link ? QString::fromUtf8(link->toEncoded()) : QStringLiteral("없음")),
          QStringLiteral("글:\n") + merged.text()};
}

void run(const QString& path, std::function<void(int)> exit) {
  // The engines load while the image is read from disk.
  if (!Settings::shared().fastMode()) Recognizer::startFirstPass(OCRLanguages::primary(std::nullopt));
  QImageReader reader(path);
  reader.setAutoTransform(true);
  const QImage image = reader.read();
  if (image.isNull()) {
    console::line(QStringLiteral("못 열음: ") + path);
    exit(1);
    return;
  }
  const bool fast = Settings::shared().fastMode();
  QObject* context = QCoreApplication::instance();
  QThreadPool::globalInstance()->start([image, fast, exit, context] {
    QElapsedTimer timer;
    timer.start();
    const Recognized merged = recognize(image, fast);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QMetaObject::invokeMethod(
        context,
        [image, fast, seconds, merged, exit] {
          for (const QString& line : report(image.size(), fast, seconds, merged)) console::line(line);
          exit(0);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace readfile
