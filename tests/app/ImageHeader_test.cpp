#include "app/ImageHeader.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "tests/app/FileCases.h"

// A PNG read without its text keeps every other chunk: the same picture.
TEST(ImageHeader, APngWithoutItsTextIsTheSamePicture) {
  using namespace filecases;
  const QByteArray bomb = pngWithTextBomb(3, 1 << 20);
  const QByteArray plain = imageheader::pngWithoutText(bomb);
  ASSERT_FALSE(plain.isEmpty());
  EXPECT_FALSE(plain.contains("zTXt"));
  EXPECT_LT(plain.size(), bomb.size());
  EXPECT_EQ(QImage::fromData(plain), QImage::fromData(bomb));
  // Nothing to leave out: no copy is made.
  EXPECT_TRUE(imageheader::pngWithoutText(encoded(blank(8, 8), "png")).isEmpty());
  EXPECT_TRUE(imageheader::pngWithoutText(valid("gif")).isEmpty());
}

TEST(ImageHeader, ScansAndEndsAreCountedOnTheFilesBytes) {
  using namespace filecases;
  EXPECT_EQ(imageheader::jpegScans(jpegWithScans(40)), 40);
  EXPECT_EQ(imageheader::jpegScans(valid("png")), 0);
  const QByteArray jpeg = valid("jpeg");
  EXPECT_FALSE(imageheader::cutShort("jpeg", jpeg));
  EXPECT_TRUE(imageheader::cutShort("jpeg", cut(jpeg)));
  EXPECT_FALSE(imageheader::cutShort("gif", stripesGif(40, 30)));
  EXPECT_TRUE(imageheader::cutShort("gif", cut(stripesGif(40, 30))));
  EXPECT_FALSE(imageheader::cutShort("bmp", valid("bmp")));
  EXPECT_TRUE(imageheader::cutShort("bmp", cut(valid("bmp"))));
  EXPECT_EQ(imageheader::declaredSize("bmp", bmpHeader(60000, -70000)), QSize(60000, 70000));
  EXPECT_EQ(imageheader::declaredSize("gif", gifHeader(300, 200)), QSize(300, 200));
  EXPECT_FALSE(imageheader::declaredSize("bmp", damaged(valid("bmp"), 2)));
}
