#include "ui/kit/Clickable.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

struct Button {
  Button() {
    widget.resize(80, 30);
    QObject::connect(&widget, &kit::Clickable::clicked, [this] { ++signals_; });
    widget.onClick = [this] { ++callbacks; };
  }
  void mouse(QEvent::Type type, QPointF pos, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, pos, widget.mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
  }
  void key(int key, bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(&widget, &press);
  }
  kit::Clickable widget;
  int signals_ = 0;
  int callbacks = 0;
};

TEST(Clickable, ALeftPressReleasedInsideClicks) {
  Button b;
  b.mouse(QEvent::MouseButtonPress, {10, 10});
  EXPECT_TRUE(b.widget.pressed());
  b.mouse(QEvent::MouseMove, {120, 10});
  EXPECT_FALSE(b.widget.pressed());  // dragged off: shown released
  b.mouse(QEvent::MouseMove, {20, 10});
  EXPECT_TRUE(b.widget.pressed());  // and back on
  EXPECT_EQ(b.signals_, 0);         // nothing before the release
  b.mouse(QEvent::MouseButtonRelease, {70, 25});
  EXPECT_EQ(b.signals_, 1);
  EXPECT_EQ(b.callbacks, 1);
  EXPECT_FALSE(b.widget.pressed());

  b.mouse(QEvent::MouseButtonPress, {10, 10});
  b.mouse(QEvent::MouseButtonRelease, {120, 10});  // released outside
  b.mouse(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
  b.mouse(QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton);
  b.mouse(QEvent::MouseButtonRelease, {10, 10});  // a release without a press
  EXPECT_EQ(b.signals_, 1);
}

TEST(Clickable, HoverFollowsEnterAndLeave) {
  Button b;
  QList<bool> changes;
  QObject::connect(&b.widget, &kit::Clickable::hoveredChanged, [&](bool h) { changes << h; });
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b.widget.mapToGlobal(QPointF(5, 5)));
  QCoreApplication::sendEvent(&b.widget, &enter);
  EXPECT_TRUE(b.widget.hovered());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&b.widget, &leave);
  EXPECT_FALSE(b.widget.hovered());
  EXPECT_EQ(changes, (QList<bool>{true, false}));
}

TEST(Clickable, SpaceAndReturnActivateAndTheHandlerMayReplaceItself) {
  Button b;
  for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_A, Qt::Key_Escape}) b.key(key);
  b.key(Qt::Key_Space, true);  // a held key activates once
  EXPECT_EQ(b.signals_, 3);
  EXPECT_EQ(b.callbacks, 3);
  int second = 0;
  b.widget.onClick = [&] { b.widget.onClick = [&] { ++second; }; };
  b.key(Qt::Key_Space);
  EXPECT_EQ(second, 0);
  b.key(Qt::Key_Space);
  EXPECT_EQ(second, 1);
}

}  // namespace
