// Group 4 decoding of a generated A4 page at 300 dpi: our fax decoder next to libtiff's
// decode of the same strip (TIFFReadEncodedStrip), in the same run.
#include <tiffio.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/fax_files.h"
#include "pdf/codecs/ccitt/ccitt_decoder.h"

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3508;
constexpr int kRowBytes = (kWidth + 7) / 8;

// Lines of "text": words of glyph-sized boxes with holes and strokes, like a typed page.
std::vector<uint8_t> TextPage() {
  std::vector<uint8_t> bits(static_cast<size_t>(kRowBytes) * kHeight, 0);
  std::mt19937 rng(42);
  const auto set = [&](int x, int y) { bits[y * kRowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); };
  for (int line = 200; line + 40 < kHeight - 200; line += 60) {
    int x = 200;
    while (x < kWidth - 260) {
      const int letters = 2 + static_cast<int>(rng() % 9);
      for (int l = 0; l < letters; ++l, x += 26) {
        const uint32_t shape = rng();
        for (int y = 0; y < 36; ++y)
          for (int dx = 0; dx < 22; ++dx) {
            const bool stroke = (dx < 4 && (shape & 1)) || (dx > 17 && (shape & 2)) || (y < 4 && (shape & 4)) ||
                                (y > 31 && (shape & 8)) || (y > 16 && y < 20 && (shape & 16)) ||
                                (dx > 9 && dx < 13 && (shape & 32));
            if (stroke) set(x + dx, line + y);
          }
      }
      x += 30;
    }
  }
  return bits;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
  char path[] = "/tmp/velmora-ccitt-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 1;
  close(fd);
  std::vector<uint8_t> page = TextPage();
  TIFF* out = benchfax::CreateGroup4Tiff(path, kWidth, kHeight);
  if (out == nullptr) return 1;
  TIFFWriteEncodedStrip(out, 0, page.data(), static_cast<tmsize_t>(page.size()));
  TIFFClose(out);

  TIFF* in = TIFFOpen(path, "r");
  if (in == nullptr) return 1;
  const tmsize_t raw_size = TIFFRawStripSize(in, 0);
  std::vector<uint8_t> raw(static_cast<size_t>(raw_size));
  TIFFReadRawStrip(in, 0, raw.data(), raw_size);
  std::printf("page %d x %d, Group 4 strip %zu bytes\n", kWidth, kHeight, raw.size());

  const int rounds = 20;
  std::vector<uint8_t> ours;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    TZRXCCITTDecoder decoder(kWidth, 1, false, false, 1, kHeight);
    if (!decoder.DecodeGroup4(ours, std::span<const uint8_t>(raw))) return 2;
  }
  const double ours_s = Seconds(start) / rounds;

  std::vector<uint8_t> theirs(page.size());
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i)
    if (TIFFReadEncodedStrip(in, 0, theirs.data(), static_cast<tmsize_t>(theirs.size())) < 0) return 3;
  const double theirs_s = Seconds(start) / rounds;
  TIFFClose(in);
  std::remove(path);

  std::printf("velmora DecodeGroup4     %8.3f ms per page\n", ours_s * 1e3);
  std::printf("libtiff ReadEncodedStrip %8.3f ms per page\n", theirs_s * 1e3);
  std::printf("results %s\n", ours == page && theirs == page ? "identical" : "DIFFER");
  return ours == page && theirs == page ? 0 : 4;
}
