// .ico files from ImageMagick (several sizes, one a PNG entry) read by TIcon and compared with
// Pillow's reading of the same entries; hostile icon directories.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/ico_reader.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/picture.h"
#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/support/test_support.h"

using namespace gditest;

namespace {

std::span<const uint8_t> AsBytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

// An icon with entries 16, 32 (BMP) and 256 (PNG), drawn from a picture with transparent corners.
std::string MakeIcon(const testsupport::TempDir& tmp) {
  const std::string ico = tmp.File("multi.ico");
  EXPECT_EQ(testsupport::Run(ImageMagick() + " -size 64x64 xc:none -fill red -draw 'circle 32,32 32,8' -fill blue "
                                             "-draw 'rectangle 20,20 40,30' -define icon:auto-resize=256,32,16 " + ico),
            0);
  return ico;
}

void ExpectLikePillow(const std::string& ico, int size) {
  SCOPED_TRACE(size);
  TIcon icon;
  icon.SetSize(size, size);
  icon.LoadFromFile(FileNameToWide(ico));
  ASSERT_EQ(icon.Width(), size);
  ASSERT_EQ(icon.Height(), size);
  const Pixels pil = PilDecode(ico, "im = im.ico.getimage((" + std::to_string(size) + ", " + std::to_string(size) + "))");
  ASSERT_EQ(pil.width, size);
  const GdiBitmap& img = *icon.Image();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const uint32_t theirs = pil.At(x, y);
      const uint8_t* p = img.Row(y) + 4 * x;
      const uint32_t ours = uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16) | (uint32_t(p[3]) << 24);
      if ((theirs >> 24) <= 1 && (ours >> 24) <= 1) continue;  // transparent: colour does not matter
      // 16-bit PNG samples: libpng rounds to 8 bits where Pillow truncates.
      for (int k = 0; k < 4; ++k)
        ASSERT_LE(std::abs(int((ours >> (8 * k)) & 0xFF) - int((theirs >> (8 * k)) & 0xFF)), 1)
            << x << "," << y << std::hex << " ours " << ours << " theirs " << theirs;
    }
}

}  // namespace

TEST(TIcon, ChoosesTheEntryNearestTheRequestedSize) {
  REQUIRE_IM();
  REQUIRE_PIL();
  testsupport::TempDir tmp;
  const std::string ico = MakeIcon(tmp);
  ExpectLikePillow(ico, 16);
  ExpectLikePillow(ico, 32);
  ExpectLikePillow(ico, 256);  // the PNG entry
  TIcon small;
  small.SetSize(8, 8);
  small.LoadFromFile(FileNameToWide(ico));
  EXPECT_EQ(small.Width(), 16);
  TIcon big;
  big.SetSize(200, 200);
  big.LoadFromFile(FileNameToWide(ico));
  EXPECT_EQ(big.Width(), 256);
}

TEST(TIcon, SaveAndLoadAgain) {
  REQUIRE_IM();
  testsupport::TempDir tmp;
  TIcon a;
  a.SetSize(32, 32);
  a.LoadFromFile(FileNameToWide(MakeIcon(tmp)));
  TMemoryStream m;
  a.SaveToStream(m);
  m.SetPosition(0);
  TIcon b;
  b.LoadFromStream(m);
  ASSERT_EQ(b.Width(), 32);
  EXPECT_EQ(std::memcmp(a.Image()->Row(0), b.Image()->Row(0), size_t(a.Image()->Stride() * 32)), 0);
}

TEST(TPicture, ChoosesTheClassByExtension) {
  REQUIRE_IM();
  testsupport::TempDir tmp;
  const std::string ico = MakeIcon(tmp);
  TPicture p;
  p.LoadFromFile(FileNameToWide(ico));
  ASSERT_NE(dynamic_cast<TIcon*>(p.Graphic()), nullptr);
  EXPECT_EQ(p.Width(), 32);  // no size asked for: the platform's icon size
  testsupport::WriteFile(tmp.File("x.xyz"), "abc");
  try {
    p.LoadFromFile(FileNameToWide(tmp.File("x.xyz")));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
  }
  TPicture q;
  q.Assign(p);
  EXPECT_EQ(q.Width(), 32);
}

TEST(IcoReader, HostileDirectories) {
  std::string valid;
  {
    TIcon icon;
    GdiBitmap img(4, 4, 32);
    // a valid one-entry icon made by our writer from a tiny bitmap
    std::string dib(40, '\0');
    const uint32_t v40 = 40, w = 4, h = 8;
    const uint16_t one = 1, bpp = 32;
    std::memcpy(&dib[0], &v40, 4);
    std::memcpy(&dib[4], &w, 4);
    std::memcpy(&dib[8], &h, 4);
    std::memcpy(&dib[12], &one, 2);
    std::memcpy(&dib[14], &bpp, 2);
    dib += std::string(64 + 16, '\x40');
    std::string dir = std::string("\0\0\1\0\1\0", 6) + std::string("\4\4\0\0\1\0\x20\0", 8);
    const uint32_t size = uint32_t(dib.size()), off = 22;
    dir.append(reinterpret_cast<const char*>(&size), 4);
    dir.append(reinterpret_cast<const char*>(&off), 4);
    valid = dir + dib;
  }
  EXPECT_EQ(ReadIcoFile(AsBytes(valid), 0, 0).image->Width(), 4);
  auto mutated = [&](auto f) {
    std::string s = valid;
    f(s);
    return s;
  };
  const std::string cases[] = {
      "",
      mutated([](std::string& s) { s.resize(5); }),
      mutated([](std::string& s) { s[2] = 7; }),                      // neither icon nor cursor
      mutated([](std::string& s) { s[4] = char(0xFF); }),             // more entries than bytes
      mutated([](std::string& s) { s[18] = char(0x7F); }),            // offset past the end
      mutated([](std::string& s) { s[14] = char(0xFF); s[15] = char(0xFF); }),  // size past the end
      mutated([](std::string& s) { s.resize(30); }),                  // image cut short
      mutated([](std::string& s) { s[22 + 4] = char(0xFF); s[22 + 5] = char(0xFF); s[22 + 6] = char(0xFF); }),
      mutated([](std::string& s) { s.replace(22, 8, "\x89PNG\r\n\x1a\n"); }),  // broken PNG entry
  };
  for (const std::string& c : cases) {
    try {
      ReadIcoFile(AsBytes(c), 16, 16);
      ADD_FAILURE() << "accepted case of " << c.size() << " bytes";
    } catch (const EInvalidGraphic&) {
    } catch (const EOutOfMemory&) {
    }
  }
}
