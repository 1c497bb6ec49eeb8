// Window title bars as a capture with the window's frame holds them: a
// gradient barely taller than its light title, and the buttons at its end.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include "recognition/clean/Prepare.h"
#include "recognition/Recognizer.h"
#include "recognition/clean/ScreenClean.h"
#include "recognition/base/ScriptLetters.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"

namespace {

constexpr int kWidth = 640;
constexpr int kBar = 22;  // the bar's height; the title's letters fill most of it
const QRect kTitleArea(180, 0, 280, kBar);

// A white window under a window manager's title bar: a vertical blue
// gradient with a white bold title in the middle and the minimise, maximise
// and close buttons drawn at its right end; a label in the window.
QImage window(const QString& title) {
  QImage image(kWidth, 100, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QLinearGradient fill(0, 0, 0, kBar);
  fill.setColorAt(0, QColor(170, 198, 236));
  fill.setColorAt(1, QColor(106, 148, 206));
  p.fillRect(QRect(0, 0, kWidth, kBar), fill);
  // The frame's outline above and below the bar.
  p.fillRect(QRect(0, 0, kWidth, 1), QColor(60, 80, 110));
  p.fillRect(QRect(0, kBar - 1, kWidth, 1), QColor(80, 100, 130));
  QFont font(QStringLiteral("Noto Sans"));
  font.setPixelSize(11);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(kTitleArea.left() + (kTitleArea.width() - QFontMetrics(font).horizontalAdvance(title)) / 2, 15, title);
  p.setPen(QPen(Qt::white, 2));
  const int top = 5, side = 11;
  for (int i = 0; i < 3; ++i) {
    const QRect button(kWidth - 60 + 18 * i, top, side, side);
    p.fillRect(button.adjusted(-2, -2, 2, 2), QColor(90, 130, 190));
    if (i == 0) p.drawLine(button.left() + 2, button.bottom() - 1, button.right() - 2, button.bottom() - 1);
    if (i == 1) p.drawRect(button.adjusted(2, 2, -2, -2));
    if (i == 2) {
      p.drawLine(button.topLeft() + QPoint(2, 2), button.bottomRight() - QPoint(2, 2));
      p.drawLine(button.topRight() + QPoint(-2, 2), button.bottomLeft() + QPoint(2, -2));
    }
  }
  font.setBold(false);
  font.setPixelSize(16);
  p.setFont(font);
  p.setPen(QColor(32, 33, 36));
  p.drawText(16, 56, QStringLiteral("Keep copies for thirty days"));
  p.drawText(16, 80, QStringLiteral("Delete older backups"));
  p.end();
  return image;
}

TEST(TitleBars, TheWholeTitleComesOutDarkOnTheGround) {
  // The rim of fill above and below the letters is thinner than what the
  // cleaning opens away: the bar must still be flattened as one patch, not
  // as the pieces left and right of the title with the title between them
  // left light, half washed out.
  QImage g = ocr::grey(window(QStringLiteral("admin@build-01: ~/reports")));
  const ocr::Cleaned cleaned = ocr::clean(g, 255);
  EXPECT_EQ(std::count_if(cleaned.controls.begin(), cleaned.controls.end(),
                          [](const QRect& r) { return r.top() < kBar && r.width() > kWidth / 2; }),
            1);
  // Every fifth of the title holds dark letters, and the bar around is ground.
  const QRect title(kTitleArea.center().x() - 85, 3, 170, kBar - 6);
  for (int i = 0; i < 5; ++i) {
    const QRect part(title.left() + i * title.width() / 5, title.top(), title.width() / 5, title.height());
    EXPECT_GT(textimages::darkerThan(g, part, 100), 15) << "fifth " << i;
  }
  EXPECT_EQ(textimages::darkerThan(g, QRect(20, 2, 120, kBar - 4), 200), 0);
}

class TitleBarRead : public DetectorRoadTest {};

TEST_F(TitleBarRead, TheTitleIsReadAndItsButtonsGiveNoToken) {
  const Recognized r = Recognizer::recognize(window(QStringLiteral("Backup settings - Files")),
                                             {QStringLiteral("en-US")}, false);
  EXPECT_EQ(r.text().toStdString(), "Backup settings - Files\nKeep copies for thirty days\nDelete older backups");
}

// A strip of the bar's end, its three buttons, read with English alone and
// every other script offered: the Japanese, Arabic and Thai models made
// letters of their own of the buttons ("回に1に", "!ء*اآه!-", "1ต1ม7").
TEST_F(TitleBarRead, ItsButtonsReadInEnglishGiveNoLetterOfAnotherScript) {
  const QImage bar = window(QStringLiteral("Backup settings - Files"));
  for (const QRect strip : {QRect(kWidth - 70, 0, 70, kBar), QRect(kWidth - 70, 0, 70, kBar - 2),
                            QRect(kWidth - 50, 0, 50, kBar), QRect(kWidth - 68, 2, 66, kBar - 4)}) {
    const QString text = Recognizer::recognize(bar.copy(strip), {QStringLiteral("en-US")}, true).text();
    EXPECT_FALSE(ocr::hasOtherScript(text)) << strip.x() << "," << strip.y() << " " << text.toStdString();
  }
}

}  // namespace
