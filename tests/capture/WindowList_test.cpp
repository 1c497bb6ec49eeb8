// Which windows window mode offers, and in which order.
#include "capture/WindowList.h"

#include <gtest/gtest.h>

#include "tests/support/Printers.h"

using capture::ClientWindow;

static ClientWindow win(uint32_t id, QRect client) {
  ClientWindow w;
  w.id = id;
  w.client = client;
  return w;
}

TEST(WindowList, FrontMostFirstWithFramesAround) {
  ClientWindow back = win(1, {100, 100, 200, 100});
  back.left = back.right = back.bottom = 1;
  back.top = 22;
  const ClientWindow front = win(2, {400, 100, 200, 100});
  const auto got = capture::offeredFrames({back, front}, 0, 999);
  const std::vector<QRect> want{{400, 100, 200, 100}, {99, 78, 202, 123}};
  EXPECT_EQ(got, want);
}

TEST(WindowList, HiddenUnmappedPanelsOwnAndOtherDesktopWindowsAreLeftOut) {
  std::vector<ClientWindow> list;
  for (uint32_t id = 1; id <= 8; ++id) list.push_back(win(id, {int(id) * 10, 0, 100, 100}));
  list[0].hidden = true;
  list[1].viewable = false;
  list[2].panel = true;
  list[3].pid = 4242;           // ours
  list[4].desktop = 1;          // another desktop
  list[5].desktop = 0xFFFFFFFF; // on every desktop
  list[6].pid = 17;             // someone else's
  list[7].client = QRect(80, 0, 0, 0);  // nothing to show
  const auto got = capture::offeredFrames(list, 0, 4242);
  const std::vector<QRect> want{{70, 0, 100, 100}, {60, 0, 100, 100}};
  EXPECT_EQ(got, want);
  // Without a current desktop, desktop numbers do not filter.
  EXPECT_EQ(capture::offeredFrames({list[4]}, std::nullopt, 4242).size(), 1u);
}
