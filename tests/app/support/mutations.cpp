#include "tests/app/support/mutations.h"

#include <array>
#include <functional>
#include <random>

namespace apptest {
namespace {

// std::mt19937's sequence is fixed by the standard; the distributions are not, so draws are
// taken from the raw sequence.
class Draw {
 public:
  explicit Draw(uint32_t seed) : gen_(seed) {}
  size_t Below(size_t n) { return n == 0 ? 0 : gen_() % n; }

 private:
  std::mt19937 gen_;
};

// Values that make sizes, counts and offsets extreme when they land in a header field.
constexpr std::array<uint32_t, 6> kExtremes = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x00010000u, 0x0000FFFFu, 0};

// Header fields sit near the start: damage lands in the first 128 bytes.
size_t HeaderSpot(Draw& d, const std::string& b) { return d.Below(std::min<size_t>(b.size(), 128)); }

std::string FlipBits(Draw& d, std::string b, size_t count) {
  for (size_t i = 0; i < count && !b.empty(); ++i) b[d.Below(b.size())] ^= static_cast<char>(1u << d.Below(8));
  return b;
}

std::string Truncate(Draw& d, const std::string& b, size_t within) {
  return b.substr(0, d.Below(std::min(b.size(), within)));
}

std::string SetHeaderByte(Draw& d, std::string b) {
  static constexpr std::array<char, 4> kBytes = {'\x00', '\xFF', '\x7F', '\x80'};
  if (!b.empty()) b[HeaderSpot(d, b)] = kBytes[d.Below(kBytes.size())];
  return b;
}

std::string SetHeaderWord(Draw& d, std::string b) {
  const uint32_t v = kExtremes[d.Below(kExtremes.size())];
  const size_t at = HeaderSpot(d, b) & ~size_t{1};
  for (size_t i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  return b;
}

std::string OverwriteRun(Draw& d, std::string b) {
  if (b.empty()) return b;
  const size_t at = d.Below(b.size()), len = std::min(b.size() - at, 16 + d.Below(48));
  const bool ones = d.Below(2) == 0;
  for (size_t i = 0; i < len; ++i) b[at + i] = ones ? '\xFF' : static_cast<char>(d.Below(256));
  return b;
}

}  // namespace

std::vector<ImageFile> MutateImages(const std::vector<ImageFile>& sources, uint32_t seed, size_t splices) {
  Draw d(seed);
  const std::vector<std::pair<const char*, std::function<std::string(const std::string&)>>> kinds = {
      {"flip1", [&](const std::string& b) { return FlipBits(d, b, 1 + d.Below(3)); }},
      {"flips", [&](const std::string& b) { return FlipBits(d, b, 8 + b.size() / 64); }},
      {"cut", [&](const std::string& b) { return Truncate(d, b, b.size()); }},
      {"cuthead", [&](const std::string& b) { return Truncate(d, b, 256); }},
      {"byte", [&](const std::string& b) { return SetHeaderByte(d, b); }},
      {"word", [&](const std::string& b) { return SetHeaderWord(d, b); }},
      {"run", [&](const std::string& b) { return OverwriteRun(d, b); }},
  };
  std::vector<ImageFile> out;
  auto add = [&](const std::string& source, const std::string& kind, std::string bytes) {
    out.push_back({std::to_string(out.size()) + "-" + kind + "-" + source, std::move(bytes)});
  };
  for (const auto& s : sources) {
    for (const auto& [kind, mutate] : kinds) add(s.name, kind, mutate(s.bytes));
  }
  for (size_t i = 0; i < splices && !sources.empty(); ++i) {
    const ImageFile& a = sources[d.Below(sources.size())];
    const ImageFile& b = sources[d.Below(sources.size())];
    const size_t head = d.Below(a.bytes.size() + 1), tail = d.Below(b.bytes.size() + 1);
    add(a.name, "splice", a.bytes.substr(0, head) + b.bytes.substr(tail));
  }
  return out;
}

}  // namespace apptest
