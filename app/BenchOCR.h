#pragma once
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <memory>

#include "recognition/base/Result.h"

class SelectionMarker;
class ToastController;

// "-benchocr [-fast]": times one recognition of a rendered page of Korean and
// English text while the GUI thread keeps ticking every 10 ms, and prints the
// time, the longest stall of the GUI thread, the ticks, the rows and the
// visible characters. The marker and the working toast are shown as in a real
// capture; the program keeps running afterwards.
class BenchOCR : public QObject {
  Q_OBJECT
 public:
  explicit BenchOCR(bool fast, QObject* parent = nullptr);
  ~BenchOCR() override;

  void start();

  // The page: 2200 x 1600 pixels drawn at twice the logical scale.
  static QImage page();

  struct Stall {
    qint64 last = 0;
    qint64 longest = 0;
    int ticks = 0;
  };

 private:
  void finish(const Recognized& result);

  bool fast_;
  QTimer tick_;
  QElapsedTimer clock_;
  Stall stall_;
  std::unique_ptr<SelectionMarker> marker_;
  std::unique_ptr<ToastController> toast_;
};
