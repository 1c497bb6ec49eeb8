#include "app/ReadFile.h"

#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMetaObject>
#include <QThreadPool>
#include <future>

#include "app/ImageHeader.h"
#include "core/Console.h"
#include "core/Settings.h"
#include "platform/OwnFile.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/clean/Prepare.h"
#include "recognition/Recognizer.h"
#include "toast/ToastModel.h"

namespace readfile {

namespace {

Loaded failed(Failure failure, const QString& why) {
  Loaded out;
  out.failure = failure;
  out.why = why;
  return out;
}

QString tooLarge(QSize size) {
  return QStringLiteral("too large (%1×%2 pixels; at most %3 million)")
      .arg(size.width())
      .arg(size.height())
      .arg(kMaxPixels / 1000000);
}

// Progressive JPEG files have ten scans or so; each is a pass over the whole
// picture, so that thousands of them took minutes to decode.
constexpr int kMaxScans = 100;

// Larger pictures are read in grey (two 4K screens side by side and more).
constexpr double kGreyFrom = 24e6;

// The whole file, for its header and end marker (mapped: no copy is made).
QByteArrayView mapped(QFile& file) {
  uchar* bytes = file.size() > 0 ? file.map(0, file.size()) : nullptr;
  return bytes ? QByteArrayView(bytes, file.size()) : QByteArrayView();
}

bool over(QSize size) { return qint64(size.width()) * qint64(size.height()) > kMaxPixels; }

}  // namespace

int openRegular(const QByteArray& path, Loaded& out) {
  const ownfile::Opened opened = ownfile::openRegular(path);
  using F = ownfile::Opened::Failure;
  if (opened.fd < 0) {
    const Failure failure = opened.failure == F::notFound     ? Failure::notFound
                            : opened.failure == F::notRegular ? Failure::notRegular
                                                              : Failure::unreadable;
    out = failed(failure, opened.problem);
  }
  return opened.fd;
}

namespace {

// One decoding attempt of the file's `bytes` (read from `device`): by the content, or as `forced` alone.
Loaded decodeAs(QIODevice& device, QByteArrayView bytes, const QByteArray& forced) {
  if (!device.seek(0)) return failed(Failure::unreadable, device.errorString());
  QImageReader reader(&device, forced);
  reader.setAutoDetectImageFormat(forced.isEmpty());
  reader.setAutoTransform(true);
  if (!reader.canRead()) {
    return failed(Failure::unsupported, device.size() == 0 ? QStringLiteral("unsupported format (the file is empty)")
                                                           : QStringLiteral("unsupported format"));
  }
  const QByteArray name = reader.format();
  const QString format = QString::fromLatin1(name).toUpper();
  if (const QSize size = reader.size(); size.isValid() && over(size)) return failed(Failure::tooLarge, tooLarge(size));
  Loaded out;
  out.image = reader.read();
  out.format = name;
  if (out.image.isNull()) {
    // Some decoders give no size before they fail on one too large to hold.
    const auto declared = imageheader::declaredSize(name, bytes);
    if (declared && over(*declared)) return failed(Failure::tooLarge, tooLarge(*declared));
    return failed(Failure::corrupt, QStringLiteral("corrupt or truncated %1 data").arg(format));
  }
  return out;
}

}  // namespace

Loaded decode(int fd, const QByteArray& suffix) {
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return failed(Failure::unreadable, file.errorString());
  }
  QImageReader::setAllocationLimit(kDecodeLimitMb);
  const QByteArrayView bytes = mapped(file);
  // Each scan of a progressive JPEG is a pass over the whole picture: they
  // are counted before any is decoded.
  if (const int scans = imageheader::jpegScans(bytes); scans > kMaxScans)
    return failed(Failure::tooLarge, QStringLiteral("too many scans (%1; at most %2)").arg(scans).arg(kMaxScans));
  // The decoder would hold a PNG's text in full: a copy without it is read instead.
  QByteArray withoutText = imageheader::pngWithoutText(bytes);
  QBuffer buffer(&withoutText);
  QIODevice& device = withoutText.isEmpty() ? static_cast<QIODevice&>(file) : buffer;
  if (!withoutText.isEmpty()) buffer.open(QIODevice::ReadOnly);
  Loaded out = decodeAs(device, bytes, {});
  // A format without a signature (TGA) looks like another to the content
  // test (a TGA header reads as an icon's): the name's suffix is tried next.
  const QByteArray named = suffix.toLower();
  if (out.image.isNull() && out.failure != Failure::tooLarge && !named.isEmpty() && named != out.format &&
      QImageReader::supportedImageFormats().contains(named)) {
    // Its answer counts over the content test's guess, which failed.
    out = decodeAs(device, bytes, named);
  }
  if (out.image.isNull()) return out;
  if (over(out.image.size())) return failed(Failure::tooLarge, tooLarge(out.image.size()));
  // 16-bit colour buys recognition nothing and costs twice the memory.
  if (out.image.depth() > 32)
    out.image.convertTo(out.image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  // A picture the size of a strip of screens is read in grey, as recognition
  // reads everything: its colour would cost four bytes a pixel in each copy
  // held while it is read.
  if (double(out.image.width()) * out.image.height() > kGreyFrom) out.image = ocr::grey(out.image);
  out.cutShort = imageheader::cutShort(out.format, bytes);
  return out;
}

Recognized recognize(const QImage& image, bool fast, const road::Engines& engines) {
  const QStringList languages = OCRLanguages::primary(std::nullopt);
  // The code search needs nothing of the text: it runs beside it.
  std::future<std::vector<Code>> codes =
      std::async(std::launch::async, [&] { return engines.codes(image, true, road::kThoroughBudget); });
  std::optional<Recognized> text;
  if (fast) text = engines.fast(image, languages);
  if (!text) return engines.merge(engines.accurate(image, languages, true), codes.get());
  const std::vector<Code> found = codes.get();
  return engines.merge(road::fastWithoutCodes(image, languages, engines, *text, found), found);
}

QStringList report(const QSize& size, bool fast, double seconds, const Recognized& merged) {
  QStringList codes;
  for (const Code& c : merged.codes)
    codes << (c.isQR ? QStringLiteral("QR") : QStringLiteral("바코드")) + QLatin1Char(' ') + c.payload;
  ToastModel model;
  model.setResult(merged);
  const std::optional<QUrl> link = model.link();
  return QStringList{QStringLiteral("%1×%2 · %3 · %4s")
                         .arg(size.width())
                         .arg(size.height())
                         .arg(fast ? QStringLiteral("빠르게") : QStringLiteral("정확하게"))
                         .arg(seconds, 0, 'f', 2),
                     QStringLiteral("코드 %1개: ").arg(merged.codes.size()) + codes.join(QStringLiteral(" | ")),
                     QStringLiteral("덧말: ") + model.meta() + QStringLiteral(" · 열기: ") +
                         (link ? QString::fromUtf8(link->toEncoded()) : QStringLiteral("없음")),
                     QStringLiteral("글:")} +
         merged.text().split(QLatin1Char('\n'));
}

void run(const QByteArray& path, std::function<void(int)> exit) {
  const QString shown = console::fileName(path);
  const auto refuse = [shown, exit](const Loaded& loaded) {
    console::line(QStringLiteral("못 열음: ") + shown);
    console::error(shown + QStringLiteral(": ") + loaded.why);
    exit(1);
  };
  Loaded opened;
  const int fd = openRegular(path, opened);
  if (fd < 0) {
    refuse(opened);
    return;
  }
  const bool fast = Settings::shared().fastMode();
  // The engines load while the image is read from disk.
  if (!fast) Recognizer::startFirstPass(OCRLanguages::primary(std::nullopt));
  QObject* context = QCoreApplication::instance();
  // Decoding a large file takes a while too: off the GUI thread, which stays
  // free to answer a signal.
  const QByteArray suffix = QFileInfo(QFile::decodeName(path)).suffix().toLatin1();
  QThreadPool::globalInstance()->start([fd, suffix, fast, exit, context, refuse, shown] {
    // The time reported is the whole read, decoding included.
    QElapsedTimer timer;
    timer.start();
    const Loaded loaded = decode(fd, suffix);
    if (loaded.image.isNull()) {
      QMetaObject::invokeMethod(
          context, [loaded, refuse] { refuse(loaded); }, Qt::QueuedConnection);
      return;
    }
    if (loaded.cutShort) {
      QMetaObject::invokeMethod(
          context, [shown] { console::error(shown + QStringLiteral(": the picture was cut short; the part there is was read")); },
          Qt::QueuedConnection);
    }
    const Recognized merged = recognize(loaded.image, fast);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const QSize size = loaded.image.size();
    QMetaObject::invokeMethod(
        context,
        [size, fast, seconds, merged, exit] {
          for (const QString& line : report(size, fast, seconds, merged)) console::line(line);
          exit(0);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace readfile
