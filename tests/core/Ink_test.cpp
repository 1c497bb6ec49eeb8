#include "core/Ink.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

// A swatch that paints the panel colour of whatever appearance is current.
class Swatch : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Ink::panel()); }
};

TEST(Ink, RoleColoursFollowTheAppearanceAndTheSealStays) {
  Swatch swatch;
  swatch.resize(8, 8);
  for (bool dark : {false, true}) {
    Appearance::setForced(dark);
    EXPECT_EQ(Ink::text().rgba(), dark ? qRgb(0xE4, 0xDD, 0xCF) : qRgb(0x1F, 0x1D, 0x1A));
    EXPECT_EQ(Ink::seal().rgba(), qRgb(0xC4, 0x55, 0x3A));
    EXPECT_EQ(Ink::fill(), Ink::fill(dark));
    QImage img(8, 8, QImage::Format_ARGB32);
    swatch.render(&img);
    EXPECT_EQ(img.pixel(4, 4), dark ? qRgb(0x1F, 0x1D, 0x1A) : qRgb(0xF6, 0xF2, 0xEA));
  }
  Appearance::setForced(std::nullopt);
}

}  // namespace
