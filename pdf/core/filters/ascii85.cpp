#include "pdf/core/filters/ascii85.h"

#include <array>
#include <cstdint>

namespace {

constexpr char kFirstDigit = '!';
constexpr char kLastDigit = 'u';
constexpr size_t kGroup = 5;
constexpr size_t kMaxLine = 70;

// The characters that carry data, with "z" spelled out, up to the end marker. A "~" ends the
// data whatever follows it, and so does the end of the text: a writer that left out the marker
// or its ">" cut nothing else short.
std::string KeptDigits(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (const char c : text) {
    if (c == '~') break;
    if (c == 'z')
      kept.append(kGroup, kFirstDigit);
    else if (c >= kFirstDigit && c <= kLastDigit)
      kept.push_back(c);
  }
  return kept;
}

// Five digits to four big-endian bytes; a group above 2^32 - 1 gives four zero bytes.
std::array<char, 4> DecodeGroup(std::string_view digits) {
  uint64_t v = 0;
  for (const char c : digits) v = v * 85 + static_cast<uint64_t>(static_cast<uint8_t>(c) - 33);
  if (v > 0xFFFFFFFFu) v = 0;
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

}  // namespace

std::string ASCII85Decode(std::string_view text) {
  const std::string kept = KeptDigits(text);
  std::string out;
  out.reserve(kept.size() / kGroup * 4 + 4);
  size_t i = 0;
  for (; i + kGroup <= kept.size(); i += kGroup) {
    const auto bytes = DecodeGroup(std::string_view(kept).substr(i, kGroup));
    out.append(bytes.data(), bytes.size());
  }
  const size_t rest = kept.size() - i;
  if (rest >= 2) {
    std::string group = kept.substr(i);
    group.append(kGroup - rest, kLastDigit);
    const auto bytes = DecodeGroup(group);
    out.append(bytes.data(), rest - 1);
  }
  return out;
}

void ASCII85EncodeStream(TStream& input, TStream& output) {
  input.SetPosition(0);
  std::string line;
  uint8_t block[4];
  for (;;) {
    const int64_t n = input.Read(block, 4);
    if (n <= 0) break;
    uint32_t v = 0;
    for (int64_t k = 0; k < 4; ++k) v = v << 8 | (k < n ? block[k] : 0u);
    if (n == 4 && v == 0) {
      line.push_back('z');
    } else {
      char digits[kGroup];
      for (int k = static_cast<int>(kGroup) - 1; k >= 0; --k) {
        digits[k] = static_cast<char>(kFirstDigit + v % 85);
        v /= 85;
      }
      line.append(digits, static_cast<size_t>(n) + 1);
    }
    if (line.size() > kMaxLine) {
      line += "\r\n";
      output.WriteString(line);
      line.clear();
    }
    if (n < 4) break;
  }
  line += "~>";
  output.WriteString(line);
}

std::string ASCII85EncodeString(std::string_view data) {
  TMemoryStream input(data);
  TMemoryStream output;
  ASCII85EncodeStream(input, output);
  return output.DataString();
}
