#include "recognition/lines/TextDetector.h"

#include <malloc.h>

#include <QCryptographicHash>
#include <QFile>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <opencv2/core/utils/logger.hpp>
#include <opencv2/dnn.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/Bundle.h"
#include "platform/OwnFile.h"
#include "recognition/engines/EnginePool.h"
#include "recognition/engines/HugePages.h"
#include "recognition/clean/Prepare.h"

namespace ocr {

namespace {

// The network's input: 8-bit B, G, R planes normalised by the means and
// deviations it was trained with.
constexpr double kMean[3] = {0.485, 0.456, 0.406};
constexpr double kStd[3] = {0.229, 0.224, 0.225};

// On: it reads dialogs, pages, tables and code in every script better than
// the engine's own layout analysis, with less junk (bench/ocr_bench
// --roads). TARVOK_TEXT_DETECTOR=1 or 0 in the environment decides instead,
// so that the bench can time a fresh `-read` on either road.
constexpr bool kRoadByDefault = true;
bool roadAtStart() {
  const QString set = qEnvironmentVariable("TARVOK_TEXT_DETECTOR");
  return set.isEmpty() ? kRoadByDefault : set != QLatin1String("0");
}
std::atomic<bool> roadOn{roadAtStart()};

int roundUp32(int v) { return (v + 31) / 32 * 32; }

// The shipped model is under 5 MB; a file far larger is none of ours.
constexpr qint64 kMaxModelBytes = qint64(64) << 20;

// Tiles of at most `side` pixels covering `length`, overlapping by `overlap`;
// a length up to an eighth over a tile's is one span: a 4K screen scaled to
// 1620 rows took two tiles of 1536 rows, 1450 of them read twice.
std::vector<std::pair<int, int>> spans(int length, int side, int overlap) {
  std::vector<std::pair<int, int>> out;
  if (length <= side + side / 8) return {{0, length}};
  const int step = std::max(32, side - overlap);
  for (int at = 0;; at += step) {
    const int start = std::min(at, length - side);
    out.emplace_back(start, side);
    if (start + side >= length) break;
  }
  return out;
}

}  // namespace

struct TextDetector::Network {
  cv::dnn::Net net;
  cv::Mat blob;    // 1 x 3 x H x W float, reused while the tile size stays
  cv::Mat padded;  // one tile, padded to multiples of 32
};

TextDetector& TextDetector::shared() {
  // Never destroyed: a background read may still use it while the process exits.
  static TextDetector* detector = [] {
    DetectorOptions options;
    options.sha256 = kShippedModelSha256;
    return new TextDetector(Bundle::resource(QStringLiteral("Models/ch_PP-OCRv4_det.onnx")), options);
  }();
  return *detector;
}

TextDetector::TextDetector(QString modelPath, DetectorOptions options)
    : path_(std::move(modelPath)), options_(options) {}

TextDetector::~TextDetector() {
  std::unique_lock lock(mutex_);
  released_.wait(lock, [this] { return releasing_ == 0; });
}

bool TextDetector::available() {
  std::lock_guard lock(mutex_);
  return loadLocked();
}

bool TextDetector::loadLocked() {
  if (tried_) return net_ != nullptr;
  tried_ = true;
  auto network = std::make_unique<Network>();
  QString problem;
  QByteArray bytes;
  if (path_.isEmpty()) {
    problem = QStringLiteral("no resource folder was found");
  } else {
    QFile file(path_);
    if (ownfile::open(file, &problem)) {
      bytes = file.read(kMaxModelBytes + 1);
      if (bytes.size() > kMaxModelBytes) {
        problem = QStringLiteral("the file is larger than %1 MB").arg(kMaxModelBytes >> 20);
      } else if (!options_.sha256.isEmpty() &&
                 QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() != options_.sha256) {
        problem = QStringLiteral("the file is damaged: its checksum is not the shipped model's");
      }
    }
  }
  if (problem.isEmpty()) {
    // Our warning below says what failed; the library's own log would say it twice.
    const auto level = cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    try {
      network->net = cv::dnn::readNetFromONNX(bytes.constData(), size_t(bytes.size()));
      if (network->net.empty()) problem = QStringLiteral("the file holds no network");
    } catch (const cv::Exception& e) {
      problem = QString::fromStdString(e.msg).simplified().left(300);
    }
    cv::utils::logging::setLogLevel(level);
  }
  if (!problem.isEmpty()) {
    qCWarning(lcOcr).noquote() << "text detector" << path_ << "could not be loaded (" + problem +
                                      "); lines are found by the text engine's own layout analysis";
    return false;
  }
  useHugePagesForLargeMatrices();
  network->net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
  network->net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
  net_ = std::move(network);
  return true;
}

void TextDetector::runTiles(const cv::Mat& scaled, cv::Mat& probability) {
  grown_ = true;
  const int side = options_.maxSide / 32 * 32;
  for (const auto& [y, h] : spans(scaled.rows, side, options_.overlap)) {
    for (const auto& [x, w] : spans(scaled.cols, side, options_.overlap)) {
      const cv::Mat tile = scaled(cv::Rect(x, y, w, h));
      cv::copyMakeBorder(tile, net_->padded, 0, roundUp32(h) - h, 0, roundUp32(w) - w, cv::BORDER_REPLICATE);
      const int H = net_->padded.rows, W = net_->padded.cols;
      const int shape[] = {1, 3, H, W};
      net_->blob.create(4, shape, CV_32F);
      // B, G, R of a colour tile; the one grey of a grey tile in all three.
      const int step = net_->padded.channels();
      for (int c = 0; c < 3; ++c) {
        const float a = float(1.0 / (kStd[c] * 255.0));
        const float b = float(-kMean[c] / kStd[c]);
        const int at = step == 1 ? 0 : c;
        float* plane = net_->blob.ptr<float>(0, c);
        for (int r = 0; r < H; ++r) {
          const uchar* px = net_->padded.ptr<uchar>(r);
          float* out = plane + size_t(r) * size_t(W);
          for (int col = 0; col < W; ++col) out[col] = px[step * col + at] * a + b;
        }
      }
      net_->net.setInput(net_->blob);
      const cv::Mat out = net_->net.forward();
      if (out.dims != 4 || out.size[2] != H || out.size[3] != W) continue;
      const cv::Mat map(H, W, CV_32F, const_cast<float*>(out.ptr<float>(0, 0)));
      cv::Mat map8;
      map(cv::Rect(0, 0, w, h)).convertTo(map8, CV_8U, 255.0);
      cv::Mat target = probability(cv::Rect(x, y, w, h));
      cv::max(target, map8, target);
    }
  }
}

void TextDetector::releaseLaterLocked() {
  // The global pool is joined when the application object goes, and the
  // detectors the pool's tasks use outlive it (the shared one is never
  // destroyed; the others wait in their destructor). While the application
  // closes there is no pool: the buffers go at once.
  QThreadPool* pool = QThreadPool::globalInstance();
  if (!pool) {
    shrinkQuietly();
    return;
  }
  ++releasing_;
  // The task waits for the lock its caller holds.
  pool->start([this] {
    std::lock_guard held(mutex_);
    shrinkQuietly();
    if (--releasing_ == 0) released_.notify_all();
  });
}

void TextDetector::shrinkQuietly() {
  try {
    shrinkLocked();
  } catch (const std::exception& e) {
    qCWarning(lcOcr).noquote() << "text detector could not let its buffers go:"
                               << QString::fromUtf8(e.what()).simplified().left(200);
  }
}

void TextDetector::shrinkLocked() {
  if (!grown_ || !net_) return;
  grown_ = false;
  // The network's working memory for a large input is some hundreds of
  // megabytes; a pass over a tiny input shrinks it to a few, and the next
  // capture (of another size, as a rule) sets it up afresh anyway.
  const int tiny[] = {1, 3, 32, 32};
  net_->blob.create(4, tiny, CV_32F);
  net_->blob.setTo(0);
  net_->net.setInput(net_->blob);
  (void)net_->net.forward();
  net_->padded.release();
  malloc_trim(0);
}

std::optional<std::vector<QRect>> TextDetector::detect(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return std::nullopt;
  std::unique_lock lock(mutex_);
  if (!loadLocked()) return std::nullopt;
  ++detections_;

  // Scaled so that the long side fits one tile, but never below minScale:
  // small text must stay large enough to be found.
  const int longSide = std::max(image.width(), image.height());
  const double scale = std::clamp(double(options_.maxSide) / longSide, options_.minScale, 1.0);
  // A grey image (a large file is read in grey) is scaled and tiled as it is:
  // a colour copy of an 8K screen and its scaled copy held 190 MB more at
  // the capture's peak, for three equal channels. The pixels are read
  // without detaching `source` from the caller's image (which copied it).
  const bool greyInput = image.format() == QImage::Format_Grayscale8;
  const QImage source = greyInput ? image : opaque(image);
  cv::Mat whole(source.height(), source.width(), greyInput ? CV_8UC1 : CV_8UC4, const_cast<uchar*>(source.constBits()),
                size_t(source.bytesPerLine()));
  cv::Mat scaled;
  if (scale < 1)
    cv::resize(whole, scaled, cv::Size(std::max(1, int(std::lround(whole.cols * scale))),
                                       std::max(1, int(std::lround(whole.rows * scale)))),
               0, 0, cv::INTER_AREA);
  else
    scaled = whole;

  // The probability of text at every pixel of the scaled image, the tiles'
  // maps laid into it (the larger value where they overlap).
  cv::Mat probability = cv::Mat::zeros(scaled.size(), CV_8U);
  bool ran = true;
  try {
    runTiles(scaled, probability);
  } catch (const cv::Exception& e) {
    // Out of memory, or an input the network cannot take: this capture is
    // read the old way.
    qCWarning(lcOcr).noquote() << "text detector failed on a" << image.width() << "x" << image.height()
                               << "image:" << QString::fromStdString(e.msg).simplified().left(200);
    ran = false;
  }
  // The buffers go while the lines are read: letting them go costs a pass
  // of the network over a tiny input, which no reader needs to wait for.
  releaseLaterLocked();
  lock.unlock();
  if (!ran) return std::nullopt;

  std::vector<QRect> boxes;
  const QRect bounds = image.rect();
  for (const QRect& b : textBoxes(probability, options_.boxes)) {
    const int x0 = int(std::floor(b.left() / scale));
    const int y0 = int(std::floor(b.top() / scale));
    const int x1 = int(std::ceil((b.right() + 1) / scale));
    const int y1 = int(std::ceil((b.bottom() + 1) / scale));
    const QRect mapped = QRect(x0, y0, x1 - x0, y1 - y0) & bounds;
    if (!mapped.isEmpty()) boxes.push_back(mapped);
  }
  return boxes;
}

bool detectorRoad() { return roadOn.load(); }

void setDetectorRoad(bool on) { roadOn.store(on); }

}  // namespace ocr
