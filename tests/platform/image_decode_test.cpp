#include "platform/image_decode.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/render/test_pictures.h"

namespace {

// An 8 x 4 JPEG of one blue (0x3366CC).
const std::string kTinyJpeg(
    "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xdb\x00\x43"
    "\x00\x03\x02\x02\x03\x02\x02\x03\x03\x03\x03\x04\x03\x03\x04\x05\x08\x05\x05\x04\x04\x05\x0a\x07"
    "\x07\x06\x08\x0c\x0a\x0c\x0c\x0b\x0a\x0b\x0b\x0d\x0e\x12\x10\x0d\x0e\x11\x0e\x0b\x0b\x10\x16\x10"
    "\x11\x13\x14\x15\x15\x15\x0c\x0f\x17\x18\x16\x14\x18\x12\x14\x15\x14\xff\xdb\x00\x43\x01\x03\x04"
    "\x04\x05\x04\x05\x09\x05\x05\x09\x14\x0d\x0b\x0d\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
    "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
    "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\xff\xc0\x00\x11\x08\x00\x04\x00\x08\x03"
    "\x01\x11\x00\x02\x11\x01\x03\x11\x01\xff\xc4\x00\x14\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\x07\xff\xc4\x00\x14\x10\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\xff\xc4\x00\x15\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x07\x08\xff\xc4\x00\x14\x11\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00\x2f\x54\x02\x47\xff\xd9",
    286);

TEST(ImageDecode, PngComesBackPremultiplied) {
  TempDataHome home;
  const auto file = home.Root() / "half.png";
  // Straight red at alpha 0.5: kept premultiplied as (128, 0, 0).
  ASSERT_TRUE(WriteSolidPng(file, 3, 2, Rgba{1, 0, 0, 0.5}));
  PicturePtr picture = DecodeImageFile(file);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), 3);
  EXPECT_EQ(picture->Height(), 2);
  const Pixel p = PictureAt(*picture, 2, 1);
  EXPECT_NEAR(p.a, 128, 1);
  EXPECT_NEAR(p.r, 128, 1);
  EXPECT_EQ(p.g, 0);
  EXPECT_EQ(p.b, 0);

  // A scaled copy: its size, the colour kept out to its edges.
  PicturePtr scaled = ScalePicture(*picture, 7, 5);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(scaled->Width(), 7);
  EXPECT_EQ(scaled->Height(), 5);
  EXPECT_NEAR(PictureAt(*scaled, 6, 4).a, 128, 1);
  EXPECT_FALSE(ScalePicture(*picture, 0, 5));
}

TEST(ImageDecode, JpegFromBytesAndFromAFileWithAnotherExtension) {
  PicturePtr fromBytes = DecodeImageBytes(kTinyJpeg);
  ASSERT_TRUE(fromBytes);
  EXPECT_EQ(fromBytes->Width(), 8);
  const Pixel p = PictureAt(*fromBytes, 4, 2);
  EXPECT_EQ(p.a, 255);
  EXPECT_NEAR(p.r, 0x33, 4);
  EXPECT_NEAR(p.g, 0x66, 4);
  EXPECT_NEAR(p.b, 0xCC, 4);

  // Icons are stored as ".img" whatever they are; the content decides.
  TempDataHome home;
  const auto file = home.Root() / "icon.img";
  std::ofstream(file, std::ios::binary) << kTinyJpeg;
  EXPECT_TRUE(DecodeImageFile(file));
}

TEST(ImageDecode, NothingUsableGivesNull) {
  TempDataHome home;
  EXPECT_FALSE(DecodeImageFile(home.Root() / "missing.png"));
  EXPECT_FALSE(DecodeImageFile({}));
  EXPECT_FALSE(DecodeImageBytes(""));
  EXPECT_FALSE(DecodeImageBytes("<html>not a picture</html>"));
  // A picture cut short (an interrupted download written by an old version).
  EXPECT_FALSE(DecodeImageBytes(kTinyJpeg.substr(0, 40)));
}

}  // namespace
