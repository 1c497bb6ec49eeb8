// The capture road on a real X server when another program owns the
// clipboard and never answers: the result is delivered without waiting for
// the copy of the old clipboard, which joins the toast (as empty) later.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "app/CaptureRoad.h"
#include "capture/CaptureController.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionMarker.h"
#include "core/CPUMeter.h"
#include "core/Settings.h"
#include "tests/support/TestEnv.h"
#include "tests/toast/XOwner.h"
#include "toast/ToastController.h"
#include "ui/onboarding/OnboardingController.h"

TEST(CaptureRoadX, AClipboardOwnerThatNeverAnswersDoesNotHoldUpTheResult) {
  Settings::shared().setFastMode(false);
  xowner::Owner hung({{"UTF8_STRING", "old text"}}, /*hung=*/true);
  ASSERT_TRUE(hung.owns());

  CaptureController capture;
  ToastController toast;
  SelectionMarker marker;
  CPUMeter cpu;
  OnboardingController onboarding{[] { return true; }};
  road::Engines engines;
  engines.fast = [](const QImage&, const QStringList&) { return std::optional<Recognized>(); };
  engines.accurate = [](const QImage&, const QStringList&, bool) {
    Recognized r;
    r.lines.push_back({Piece{PixelRect{}, QStringLiteral("fresh result")}});
    return r;
  };
  engines.codes = [](const QImage&, bool, double) { return std::vector<Code>{}; };
  engines.merge = [](const Recognized& r, const std::vector<Code>&) { return r; };
  CaptureRoad road(CaptureRoad::Parts{capture, toast, marker, cpu, onboarding}, {}, engines);

  QImage image(60, 20, QImage::Format_RGB32);
  image.fill(Qt::white);
  road.picked(image, QRectF(100, 100, 60, 20));
  ASSERT_TRUE(testenv::waitUntil([&] { return toast.model().kind() == ToastController::Kind::picked; }));
  // Shown and copied although the old owner never answers.
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("fresh result"));

  // Once the read gives up, undo knows the old clipboard could not be kept.
  ASSERT_TRUE(testenv::waitUntil([&] { return toast.model().backup().has_value(); }, 4000));
  QStringList kept;  // what the backup holds instead, to tell who answered
  for (const auto& item : toast.model().backup()->items)
    for (const auto& [type, bytes] : item) kept << type + "=" + QString::fromUtf8(bytes.left(40));
  EXPECT_TRUE(kept.isEmpty()) << qPrintable(kept.join(" | "));
}
