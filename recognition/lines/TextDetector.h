#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "recognition/lines/TextBoxes.h"

// Finds the lines of text in an image with a learned detector (a DB text
// detection network), so that the text engine reads each line by itself
// instead of guessing a layout: widget chrome, icons and sparse interface text
// defeat the engine's own page analysis. Knows nothing of where the image
// came from. The network is loaded on first use and kept; one detection runs
// at a time (the network's buffers are shared and reused).
namespace ocr {

struct DetectorOptions {
  // The network sees at most this many pixels on a side at once: a larger
  // image is scaled down to `minScale` at most and then read in overlapping
  // tiles, so that a 4K or 8K capture costs more tiles, not more memory.
  // Lone digits in spin boxes are lost below about 1200. At 1536 a full-HD
  // screen is scaled to 0.8, 1536 x 864, with no rows of padding (at 1600,
  // 900 rows went to 928): 14 % fewer pixels than at 1600, 210 ms of the
  // network against 250, for the same words on dialogs and pages.
  int maxSide = 1536;
  double minScale = 0.75;
  int overlap = 96;  // between tiles, in the network's pixels
  BoxOptions boxes;
  // The model file's SHA-256 (hex): a file that differs, damaged on disk or
  // cut short by a copy, loads as no model instead of reading nothing
  // without a word. Empty: not checked (a model a test made).
  QByteArray sha256;
};

// The SHA-256 of the model shipped in resources/Models.
inline constexpr char kShippedModelSha256[] = "bf854991415358278ab34cdcfd1d4f0f2c29edbacd245424919685cd2b684530";

class TextDetector {
 public:
  // The process-wide detector over the model in the resources
  // ("Models/ch_PP-OCRv4_det.onnx").
  static TextDetector& shared();

  explicit TextDetector(QString modelPath, DetectorOptions options = {});
  ~TextDetector();
  TextDetector(const TextDetector&) = delete;
  TextDetector& operator=(const TextDetector&) = delete;

  // Loads the model the first time; false when the file is missing or does
  // not load, which is warned about once.
  bool available();

  // The line boxes of the image in its pixels (top-left origin), top to
  // bottom; none when the detector is not available or the image is empty.
  std::optional<std::vector<QRect>> detect(const QImage& image);

  const QString& modelPath() const { return path_; }
  // Detections run so far (each one network pass per tile).
  long long detections() const { return detections_.load(); }

 private:
  struct Network;
  bool loadLocked();
  // Under the lock: the network over every tile of `scaled` (B, G, R, A),
  // its maps laid into `probability`. Throws what OpenCV throws.
  void runTiles(const cv::Mat& scaled, cv::Mat& probability);
  // Under the lock, after a run: the network's buffers for a large input
  // let go on a thread of the global pool, under the lock there.
  void releaseLaterLocked();
  void shrinkLocked();
  void shrinkQuietly();  // shrinkLocked, its failure warned about

  const QString path_;
  const DetectorOptions options_;
  std::mutex mutex_;
  bool tried_ = false;
  std::unique_ptr<Network> net_;
  bool grown_ = false;  // the buffers are set up for a run's input
  int releasing_ = 0;   // releases not yet run
  std::condition_variable released_;
  std::atomic<long long> detections_{0};
};

// Whether the accurate reader finds the lines with the detector before
// reading them (TARVOK_TEXT_DETECTOR "1" or "0" at start, else the
// default); off, or without a model, the engine's own layout analysis reads
// the whole prepared image.
bool detectorRoad();
void setDetectorRoad(bool on);

}  // namespace ocr
