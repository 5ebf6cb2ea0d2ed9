// JBIG2 decoding of a generated A4 page at 300 dpi held as one MMR-coded generic region: our
// decoder next to jbig2dec decoding the same stream (a child process, writing a PBM file), in
// the same run.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/fax_files.h"
#include "pdf/codecs/jbig2/jbig2_decoder.h"

namespace {

constexpr int kWidth = benchfax::kPageWidth;
constexpr int kHeight = benchfax::kPageHeight;

std::string U32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// A segment of page 1 referring to no other.
std::string Segment(uint32_t number, uint8_t type, const std::string& data) {
  return U32(number) + char(type) + '\0' + '\1' + U32(uint32_t(data.size())) + data;
}

// The embedded stream: page information, an immediate generic region coded with MMR, end of page.
std::string Stream(const std::vector<uint8_t>& coded) {
  const std::string page = U32(kWidth) + U32(kHeight) + U32(0) + U32(0) + '\0' + '\0' + '\0';
  const std::string region =
      U32(kWidth) + U32(kHeight) + U32(0) + U32(0) + '\0' + '\1' + std::string(coded.begin(), coded.end());
  return Segment(0, 48, page) + Segment(1, 38, region) + Segment(2, 49, "");
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main() {
  char dir[] = "/tmp/velmora-jbig2-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string tiff = std::string(dir) + "/page.tif", jb2 = std::string(dir) + "/page.jb2",
                    pbm = std::string(dir) + "/page.pbm";
  const std::vector<uint8_t> page = benchfax::TextPage();
  const std::vector<uint8_t> coded = benchfax::Group4Strip(tiff, page, kWidth, kHeight);
  if (coded.empty()) return 1;
  const std::string stream = Stream(coded);
  std::ofstream(jb2, std::ios::binary) << stream;
  std::printf("page %d x %d, MMR data %zu bytes\n", kWidth, kHeight, coded.size());

  const int rounds = 20;
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
  std::vector<uint8_t> ours;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    TZRXJBIG2Decoder decoder;
    if (!decoder.DecodeWithoutGlobals(bytes)) return 2;
    ours = decoder.PackedRows();
  }
  const double ours_s = Seconds(start) / rounds;

  const std::string command = "jbig2dec -e -t pbm -o '" + pbm + "' '" + jb2 + "' >/dev/null 2>&1";
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i)
    if (std::system(command.c_str()) != 0) return 3;
  const double theirs_s = Seconds(start) / rounds;
  const std::string file = ReadFile(pbm);
  const std::string header = "P4\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n";
  const bool theirs_same = file.compare(0, header.size(), header) == 0 &&
                           std::vector<uint8_t>(file.begin() + std::ptrdiff_t(header.size()), file.end()) == page;
  for (const std::string& f : {tiff, jb2, pbm}) std::remove(f.c_str());
  rmdir(dir);

  std::printf("velmora TZRXJBIG2Decoder        %8.3f ms per page\n", ours_s * 1e3);
  std::printf("jbig2dec (process, PBM written) %8.3f ms per page\n", theirs_s * 1e3);
  std::printf("results %s\n", ours == page && theirs_same ? "identical" : "DIFFER");
  return ours == page && theirs_same ? 0 : 4;
}
