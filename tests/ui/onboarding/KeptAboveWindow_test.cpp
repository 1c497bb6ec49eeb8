#include "ui/onboarding/KeptAboveWindow.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>

TEST(KeptAboveWindow, CentresInTheAvailableAreaAndStaysInside) {
  const QRect screen(1280, 24, 1920, 1056);  // a second screen, below a top panel
  EXPECT_EQ(KeptAboveWindow::centredIn(screen, {400, 600}), QPoint(1280 + 760, 24 + 228));
  // Taller than the area: the top edge stays reachable.
  EXPECT_EQ(KeptAboveWindow::centredIn(QRect(0, 0, 800, 500), {400, 700}), QPoint(200, 0));
}

TEST(KeptAboveWindow, FollowsItsContentAndHidesOnClose) {
  auto* content = new QWidget;
  content->setFixedSize(400, 300);
  KeptAboveWindow w(content);
  int hidden = 0;
  QObject::connect(&w, &KeptAboveWindow::hidden, [&] { ++hidden; });
  w.present();
  EXPECT_EQ(w.size(), QSize(400, 300));
  content->setFixedSize(400, 360);  // a longer text: the window follows
  QCoreApplication::processEvents();
  EXPECT_EQ(w.size(), QSize(400, 360));

  QPointer<QWidget> alive(content);
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(hidden, 1);
  EXPECT_TRUE(alive);  // closing hides; nothing is deleted
  EXPECT_FALSE(w.testAttribute(Qt::WA_QuitOnClose));
}
