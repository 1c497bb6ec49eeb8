#include "core/Ink.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QWidget>

#include "platform/Appearance.h"

namespace {

// Leaves the appearance as it found it.
struct ForcedAppearance {
  explicit ForcedAppearance(bool dark) { Appearance::setForced(dark); }
  ~ForcedAppearance() { Appearance::setForced(std::nullopt); }
};

// A swatch that paints the panel colour of whatever appearance is current.
class Swatch : public QWidget {
 public:
  Swatch() { resize(8, 8); }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Ink::panel()); }
};

QRgb renderedCentre(QWidget& w) {
  QImage img(w.size(), QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
  return img.pixel(4, 4);
}

}  // namespace

TEST(Ink, BaseColours) {
  EXPECT_EQ(Ink::mook().rgba(), qRgb(0x1F, 0x1D, 0x1A));
  EXPECT_EQ(Ink::hanji().rgba(), qRgb(0xE4, 0xDD, 0xCF));
  EXPECT_EQ(Ink::hanjiLight().rgba(), qRgb(0xF6, 0xF2, 0xEA));
  EXPECT_EQ(Ink::seal().rgba(), qRgb(0xC4, 0x55, 0x3A));
}

TEST(Ink, TextIsInkOnLightAndPaperOnDark) {
  EXPECT_EQ(Ink::text(false).rgba(), qRgb(0x1F, 0x1D, 0x1A));
  EXPECT_EQ(Ink::text(true).rgba(), qRgb(0xE4, 0xDD, 0xCF));
  {
    ForcedAppearance dark(true);
    EXPECT_EQ(Ink::text().rgba(), qRgb(0xE4, 0xDD, 0xCF));
    EXPECT_EQ(Ink::seal().rgba(), qRgb(0xC4, 0x55, 0x3A));
  }
  {
    ForcedAppearance light(false);
    EXPECT_EQ(Ink::text().rgba(), qRgb(0x1F, 0x1D, 0x1A));
    EXPECT_EQ(Ink::seal().rgba(), qRgb(0xC4, 0x55, 0x3A));
  }
}

TEST(Ink, RoleTable) {
  struct Row {
    const char* name;
    QColor (*colour)(bool);
    QRgb light;
    qreal lightAlpha;
    QRgb dark;
    qreal darkAlpha;
  };
  const Row rows[] = {
      {"panel", Ink::panel, 0xF6F2EA, 1.0, 0x1F1D1A, 1.0},
      {"text", Ink::text, 0x1F1D1A, 1.0, 0xE4DDCF, 1.0},
      {"sub", Ink::sub, 0x4A443C, 1.0, 0xCFC7B9, 1.0},
      {"faint", Ink::faint, 0x6B645A, 1.0, 0x9C9488, 1.0},
      {"rule", Ink::rule, 0x1F1D1A, 0.10, 0xE4DDCF, 0.10},
      {"fill", Ink::fill, 0x1F1D1A, 0.06, 0xE4DDCF, 0.08},
      {"sealText", Ink::sealText, 0xB04A31, 1.0, 0xE9876E, 1.0},
      {"border", Ink::border, 0x1F1D1A, 0.08, 0xE4DDCF, 0.06},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.colour(false).rgb() & 0xFFFFFF, row.light);
    EXPECT_NEAR(row.colour(false).alphaF(), row.lightAlpha, 1e-4);
    EXPECT_EQ(row.colour(true).rgb() & 0xFFFFFF, row.dark);
    EXPECT_NEAR(row.colour(true).alphaF(), row.darkAlpha, 1e-4);
  }
}

TEST(Ink, ForcedDarkFlipsARenderedSwatch) {
  Swatch swatch;
  {
    ForcedAppearance light(false);
    EXPECT_EQ(renderedCentre(swatch), qRgb(0xF6, 0xF2, 0xEA));
  }
  {
    ForcedAppearance dark(true);
    EXPECT_EQ(renderedCentre(swatch), qRgb(0x1F, 0x1D, 0x1A));
  }
}
