#include "platform/Appearance.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

namespace {

// A stand-in portal holding two settings; unknown ones are unreadable.
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

void setWindowColour(QColor c) {
  QPalette p = QGuiApplication::palette();
  p.setColor(QPalette::Window, c);
  QGuiApplication::setPalette(p);
}

TEST(Appearance, APortalPreferenceWinsOverThePaletteAndIsAskedOnce) {
  Portal portal;
  const QColor light(240, 240, 240), dark(40, 38, 36);
  // Scheme 1 prefers dark, 2 light, 0 (no preference) and no answer leave it to the palette.
  const std::tuple<std::optional<QVariant>, QColor, bool> cases[] = {
      {QVariant(1u), light, true}, {QVariant(2u), dark, false}, {QVariant(0u), dark, true},
      {QVariant(0u), light, false}, {std::nullopt, dark, true},  {std::nullopt, light, false}};
  for (const auto& [scheme, window, isDark] : cases) {
    setWindowColour(window);
    portal.colorScheme = scheme;
    portal.install();
    EXPECT_EQ(Appearance::isDark(), isDark) << window.name().toStdString();
  }
  portal.reads = 0;
  for (int i = 0; i < 3; ++i) {
    Appearance::isDark();
    Appearance::reduceMotion();
  }
  EXPECT_EQ(portal.reads, 1);  // the scheme was read already, the animations once now
}

TEST(Appearance, ForcedAppearanceOverridesThePortalAndSignalsChanges) {
  Portal portal;
  portal.colorScheme = QVariant(1u);
  portal.install();
  int changes = 0;
  // The notifier outlives this test: the connection goes with `listener`,
  // before `changes` does.
  QObject listener;
  QObject::connect(&Appearance::notifier(), &Appearance::Notifier::changed, &listener, [&] { ++changes; });
  Appearance::setForced(false);
  EXPECT_FALSE(Appearance::isDark());
  Appearance::setForced(true);
  Appearance::setForced(true);  // no change, no signal
  EXPECT_EQ(changes, 2);
  Appearance::setForced(std::nullopt);
  EXPECT_TRUE(Appearance::isDark());  // back to the portal, which says dark
  EXPECT_EQ(changes, 2);
}

TEST(Appearance, ReduceMotionFromTheAnimationsSettingUnlessForced) {
  Portal portal;
  const std::pair<std::optional<QVariant>, bool> cases[] = {
      {QVariant(false), true}, {QVariant(true), false}, {std::nullopt, false}, {QVariant("false"), false}};
  for (const auto& [animations, reduce] : cases) {
    portal.animations = animations;
    portal.install();
    EXPECT_EQ(Appearance::reduceMotion(), reduce);
  }
  portal.animations = QVariant(false);
  portal.install();
  Appearance::setReduceMotionForced(false);
  EXPECT_FALSE(Appearance::reduceMotion());
  Appearance::setReduceMotionForced(std::nullopt);
  EXPECT_TRUE(Appearance::reduceMotion());
}

}  // namespace
