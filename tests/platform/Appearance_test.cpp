#include "platform/Appearance.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

namespace {

// A stand-in portal holding a few settings; unknown ones are unreadable.
struct Portal {
  std::optional<QVariant> colorScheme;
  std::optional<QVariant> animations;
  int reads = 0;
  void install() {
    Appearance::setSettingSource([this](const QString& ns, const QString& key) -> std::optional<QVariant> {
      ++reads;
      if (ns == "org.freedesktop.appearance" && key == "color-scheme") return colorScheme;
      if (ns == "org.gnome.desktop.interface" && key == "enable-animations") return animations;
      return std::nullopt;
    });
  }
  ~Portal() { Appearance::setSettingSource({}); }
};

// Sets the application palette's window colour for one test.
struct WindowColour {
  explicit WindowColour(QColor c) : saved(QGuiApplication::palette()) {
    QPalette p = saved;
    p.setColor(QPalette::Window, c);
    QGuiApplication::setPalette(p);
  }
  ~WindowColour() { QGuiApplication::setPalette(saved); }
  QPalette saved;
};

}  // namespace

TEST(Appearance, PortalPreferenceWinsOverThePalette) {
  WindowColour light(Qt::white);
  Portal portal;
  portal.colorScheme = QVariant(uint(1));
  portal.install();
  EXPECT_TRUE(Appearance::isDark());

  WindowColour dark(QColor(30, 30, 30));
  portal.colorScheme = QVariant(uint(2));
  portal.install();
  EXPECT_FALSE(Appearance::isDark());
}

TEST(Appearance, NoPreferenceOrNoPortalFollowsThePalette) {
  Portal portal;
  portal.colorScheme = QVariant(uint(0));
  portal.install();
  {
    WindowColour dark(QColor(40, 38, 36));
    EXPECT_TRUE(Appearance::isDark());
  }
  {
    WindowColour light(QColor(240, 240, 240));
    EXPECT_FALSE(Appearance::isDark());
  }
  portal.colorScheme.reset();
  portal.install();
  WindowColour dark(QColor(40, 38, 36));
  EXPECT_TRUE(Appearance::isDark());
}

TEST(Appearance, PortalIsAskedOnce) {
  Portal portal;
  portal.colorScheme = QVariant(uint(1));
  portal.animations = QVariant(true);
  portal.install();
  for (int i = 0; i < 5; ++i) {
    Appearance::isDark();
    Appearance::reduceMotion();
  }
  EXPECT_EQ(portal.reads, 2);
}

TEST(Appearance, ForcedAppearanceOverridesEverything) {
  Portal portal;
  portal.colorScheme = QVariant(uint(1));
  portal.install();
  int changes = 0;
  QObject::connect(&Appearance::notifier(), &Appearance::Notifier::changed, [&] { ++changes; });
  Appearance::setForced(false);
  EXPECT_FALSE(Appearance::isDark());
  EXPECT_EQ(changes, 1);
  Appearance::setForced(true);
  EXPECT_TRUE(Appearance::isDark());
  Appearance::setForced(true);  // no change, no signal
  EXPECT_EQ(changes, 2);
  Appearance::setForced(std::nullopt);
  EXPECT_TRUE(Appearance::isDark());  // back to the portal, which says dark
  EXPECT_EQ(changes, 2);
  QObject::disconnect(&Appearance::notifier(), nullptr, nullptr, nullptr);
}

TEST(Appearance, ReduceMotionFromTheAnimationsSetting) {
  Portal portal;
  portal.animations = QVariant(false);
  portal.install();
  EXPECT_TRUE(Appearance::reduceMotion());
  portal.animations = QVariant(true);
  portal.install();
  EXPECT_FALSE(Appearance::reduceMotion());
  portal.animations.reset();  // unreadable: motion stays on
  portal.install();
  EXPECT_FALSE(Appearance::reduceMotion());
  portal.animations = QVariant(QStringLiteral("false"));  // not a boolean: ignored
  portal.install();
  EXPECT_FALSE(Appearance::reduceMotion());
}

TEST(Appearance, ForcedReduceMotion) {
  Portal portal;
  portal.animations = QVariant(true);
  portal.install();
  Appearance::setReduceMotionForced(true);
  EXPECT_TRUE(Appearance::reduceMotion());
  Appearance::setReduceMotionForced(false);
  EXPECT_FALSE(Appearance::reduceMotion());
  portal.animations = QVariant(false);
  portal.install();
  EXPECT_FALSE(Appearance::reduceMotion());
  Appearance::setReduceMotionForced(std::nullopt);
  EXPECT_TRUE(Appearance::reduceMotion());
}
