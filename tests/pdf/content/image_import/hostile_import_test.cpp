// Truncated, corrupted and lying files: the import answers, never crashes, never hangs and
// never allocates what the data cannot back.
#include <gtest/gtest.h>

#include <random>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/pdf/image_support/png_build.h"
#include "tests/support/limited_child.h"

using imagetest::ImageSet;

namespace {

bool Loads(const std::string& bytes, int options = 0) {
  imagetest::IndirectStore store;
  TPDFImage image(&store.store, "n");
  TMemoryStream s(bytes);
  return image.LoadFromStream(s, options);
}

struct Sample {
  const char* kind;
  const char* file;
  size_t header;  // cuts before this offset lose the header: not loaded
};

TEST(HostileImport, TruncatedFiles) {
  REQUIRE_IMAGE_TOOLS();
  const Sample samples[] = {{"bmp", "rgb24.bmp", 54},  {"bmp", "pal8.bmp", 54},     {"bmp", "rle8.bmp", 54},
                            {"png", "rgb8.png", 33},   {"png", "rgba8_il.png", 33}, {"png", "pal4.png", 33},
                            {"jpeg", "baseline.jpg", 0}, {"jpeg", "progressive.jpg", 0}};
  for (const auto& t : samples) {
    const ImageSet& set = ImageSet::Get(t.kind);
    ASSERT_TRUE(set.ok()) << set.error();
    const std::string file = set.Read(t.file);
    ASSERT_TRUE(Loads(file)) << t.file;
    size_t sof = 0;
    if (std::string(t.kind) == "jpeg") sof = file.find("\xFF\xC0") != std::string::npos ? file.find("\xFF\xC0") : file.find("\xFF\xC2");
    const size_t header = std::max(t.header, sof + 9);
    for (size_t cut = 0; cut < file.size(); cut += (cut < 200 ? 1 : 13)) {
      const bool loaded = Loads(file.substr(0, cut));
      if (cut < header) {
        EXPECT_FALSE(loaded) << t.file << " cut at " << cut;
      }
    }
  }
}

TEST(HostileImport, CorruptedFiles) {
  REQUIRE_IMAGE_TOOLS();
  std::mt19937 rng(7);
  for (const auto& [kind, file] : {std::pair{"bmp", "rgb24.bmp"}, {"bmp", "pal4.bmp"}, {"bmp", "rle8.bmp"},
                                   {"png", "rgba8.png"}, {"png", "grey2_il.png"}, {"png", "c6_16_il.png"},
                                   {"jpeg", "baseline.jpg"}, {"jpeg", "cmyk.jpg"}}) {
    const std::string good = ImageSet::Get(kind).Read(file);
    for (int i = 0; i < 200; ++i) {
      std::string bad = good;
      const int changes = 1 + int(rng() % 8);
      for (int k = 0; k < changes; ++k) bad[rng() % bad.size()] = char(rng());
      for (int options : {0, 2, 7}) Loads(bad, options);
    }
  }
}

// Sizes far beyond what a few bytes can describe are refused without allocating them.
TEST(HostileImport, LyingSizes) {
  const long before = testsupport::PeakResidentKiB();
  // PNG: 16384 x 16384 interlaced RGBA at 16 bits over a kilobyte of data.
  const std::string png = pngtest::MakePNG({pngtest::Chunk("IHDR", pngtest::IHDR(16384, 16384, 16, 6, 1)),
                                            pngtest::Chunk("IDAT", FlateCompressString(std::string(1000, '\0'))),
                                            pngtest::Chunk("IEND", "")});
  for (int options = 0; options <= 7; ++options) EXPECT_FALSE(Loads(png, options));
  // PNG over 2^28 pixels.
  EXPECT_FALSE(Loads(pngtest::MakePNG({pngtest::Chunk("IHDR", pngtest::IHDR(20000, 20000, 8, 2)),
                                       pngtest::Chunk("IDAT", FlateCompressString("x"))})));
  // BMP: 30000 x 30000 24-bit with no pixels behind the header.
  std::string bmp = std::string("BM\0\0\0\0\0\0\0\0\x36\0\0\0", 14);
  bmp += std::string("\x28\0\0\0", 4) + std::string("\x30\x75\0\0\x30\x75\0\0\x01\0\x18\0", 12) + std::string(24, '\0');
  EXPECT_FALSE(Loads(bmp));
  EXPECT_FALSE(Loads(bmp, -1));  // nor is a raster of that size made to draw it into
  EXPECT_LT(testsupport::PeakResidentKiB() - before, 200 * 1024);  // far below the gigabytes these headers claim
}

}  // namespace
