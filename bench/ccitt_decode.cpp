// Group 4 decoding of a generated A4 page at 300 dpi: our fax decoder next to libtiff's
// decode of the same strip (TIFFReadEncodedStrip), in the same run.
#include <tiffio.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/fax_files.h"
#include "pdf/codecs/ccitt/ccitt_decoder.h"

namespace {

constexpr int kWidth = benchfax::kPageWidth;
constexpr int kHeight = benchfax::kPageHeight;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
  char path[] = "/tmp/velmora-ccitt-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 1;
  close(fd);
  const std::vector<uint8_t> page = benchfax::TextPage();
  const std::vector<uint8_t> raw = benchfax::Group4Strip(path, page, kWidth, kHeight);
  TIFF* in = raw.empty() ? nullptr : TIFFOpen(path, "r");
  if (in == nullptr) return 1;
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
