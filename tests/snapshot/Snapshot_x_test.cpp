// The application's own menu panel live on an X screen at ratio 2 against the
// file the renderer writes for it: the renderer draws what users see.
#include <gtest/gtest.h>

#include <QProcess>

#include "app/MenuPanelControl.h"
#include "capture/Still.h"
#include "core/Fonts.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "tests/support/XWindows.h"
#include "ui/about/AboutController.h"
#include "ui/menu/MenuState.h"

TEST(SnapshotX, TheMenuFileIsWhatTheLiveMenuPanelShows) {
  Fonts::registerAll();
  const QString folder = testenv::scratch() + "/x-shots";
  QProcess program;
  program.start(TARVOK_EXE, {"-snapshot", folder});
  ASSERT_TRUE(testenv::waitUntil([&] { return program.state() == QProcess::NotRunning; }, 120000));
  ASSERT_EQ(testenv::ending(program), "exit 0") << program.readAllStandardError().toStdString();
  const bool dark = Appearance::isDark();
  const QImage file = QImage(folder + (dark ? "/menu-dark.png" : "/menu-light.png")).convertToFormat(QImage::Format_ARGB32);

  xwindows::xdotool({"mousemove", "5", "1595"});  // no row under the pointer
  MenuState state;
  AboutController about;
  MenuPanelControl::Hooks hooks;
  hooks.anchor = [] { return QRect(300, 0, 24, 24); };
  MenuPanelControl menu(Settings::shared(), state, about, hooks);
  menu.show();
  xwindows::Probe x;
  const auto window = xcb_window_t(menu.panel()->winId());
  QImage live;
  ASSERT_TRUE(testenv::waitUntil([&] {
    live = x.viewable(window) ? capture::grabRoot(x.conn(), x.onScreen(window)) : QImage();
    return live.rect().contains(52, 48) && QColor(live.pixel(52, 48)) == Ink::panel(dark);
  })) << "the panel shows its plate";
  ASSERT_EQ(live.size(), file.size());

  // The pixels the plate covers wholly, but for its rounded corners: around
  // the plate the screen shows what lies under the panel, and without a
  // compositor the shape mask, cut in whole logical pixels, clips the corners.
  const QRect plate = file.rect().adjusted(36, 36, -36, -36), inner = plate.adjusted(28, 0, -28, 0);
  const QRect tall = plate.adjusted(0, 28, 0, -28);
  int compared = 0, differing = 0;
  for (int y = 0; y < file.height(); ++y)
    for (int px = 0; px < file.width(); ++px) {
      const QRgb want = file.pixel(px, y), got = live.pixel(px, y);
      if (qAlpha(want) != 255 || !(inner.contains(px, y) || tall.contains(px, y))) continue;
      ++compared;
      differing += std::abs(qRed(got) - qRed(want)) > 8 || std::abs(qGreen(got) - qGreen(want)) > 8 ||
                   std::abs(qBlue(got) - qBlue(want)) > 8;
    }
  EXPECT_GT(compared, file.width() * file.height() / 2);
  EXPECT_EQ(differing, 0) << "of " << compared << " pixels";
}
