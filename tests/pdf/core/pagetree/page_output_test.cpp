#include "pdf/core/pagetree/page_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "pdf/render/canvas/gdiplus_settings.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_writer.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

namespace {

uint32_t LE32(std::string_view s, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}

std::unique_ptr<TBitmap> MakeBitmap(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  return b;
}

TEST(PageOutput, PixelsPerMetre) {
  EXPECT_EQ(PixelsPerMetre(72), 2834);
  EXPECT_EQ(PixelsPerMetre(300), 11811);
  EXPECT_EQ(PixelsPerMetre(96), 3779);
  EXPECT_EQ(PixelsPerMetre(0), 0);
  EXPECT_EQ(PixelsPerMetre(1e300), 2147483647);
}

TEST(PageOutput, BmpCarriesTheResolution) {
  TGDIPlusSettings settings;
  InitDaubrixOptions(settings);
  for (double dpi : {72.0, 300.0}) {
    auto b = MakeBitmap(3, 2);
    TMemoryStream out;
    std::string message;
    ASSERT_TRUE(WritePageBitmap(*b, 0, dpi, 75, settings, out, message)) << message;
    const std::string_view bytes = out.View();
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(LE32(bytes, 38), static_cast<uint32_t>(PixelsPerMetre(dpi)));
    EXPECT_EQ(LE32(bytes, 42), static_cast<uint32_t>(PixelsPerMetre(dpi)));
    EXPECT_EQ(out.Position(), 46);
  }
}

// A BMP written after other data is patched in its own header, not at the stream's start.
TEST(PageOutput, BmpAfterOtherDataIsPatchedRelativeToItsStart) {
  TGDIPlusSettings settings;
  auto b = MakeBitmap(4, 4);
  const std::string prefix(100, 'P');
  TMemoryStream out;
  out.WriteString(prefix);
  std::string message;
  ASSERT_TRUE(WritePageBitmap(*b, 0, 72, 75, settings, out, message));
  const std::string_view bytes = out.View();
  EXPECT_EQ(bytes.substr(0, 100), prefix);
  EXPECT_EQ(bytes.substr(100, 2), "BM");
  EXPECT_EQ(LE32(bytes, 138), 2834u);
  EXPECT_EQ(LE32(bytes, 142), 2834u);
  // The same picture written alone gives the same BMP bytes.
  TMemoryStream alone;
  ASSERT_TRUE(WritePageBitmap(*b, 0, 72, 75, settings, alone, message));
  EXPECT_EQ(bytes.substr(100), alone.View());
}

// A stream that refuses writes makes the BMP output fail and the stream goes back to where
// the BMP would have started.
class FullStream : public TMemoryStream {
 public:
  explicit FullStream(int64_t room) : room_(room) {}
  int64_t Write(const void* buffer, int64_t count) override {
    const int64_t n = std::min(count, room_ - Position());
    return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
  }

 private:
  int64_t room_;
};

TEST(PageOutput, BmpThatCannotBeWrittenFails) {
  TGDIPlusSettings settings;
  auto b = MakeBitmap(10, 10);
  FullStream out(30);
  out.WriteString("abc");
  std::string message;
  EXPECT_FALSE(WritePageBitmap(*b, 0, 72, 75, settings, out, message));
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(out.Position(), 3);
}

TEST(PageOutput, FormatsWithoutAWriterWriteNothing) {
  TGDIPlusSettings settings;
  auto b = MakeBitmap(2, 2);
  for (int format : {11, -1, 2, 3, 4, 8, 9}) {
    TMemoryStream out;
    std::string message;
    EXPECT_TRUE(WritePageBitmap(*b, format, 72, 75, settings, out, message)) << format;
    EXPECT_EQ(out.Size(), 0) << format;
  }
}

}  // namespace
