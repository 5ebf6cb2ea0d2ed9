#include "pdf/codecs/jbig2/jbig2_huffman.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace jbig2 {

namespace {

// Codes longer than this are never read.
constexpr int32_t kMaxPrefix = 32;

struct TLineSpec {
  int32_t PrefixLength;
  int32_t RangeLength;  // kRangeLower, kRangeUpper, kRangeOOB or the bits after the prefix
  int32_t RangeLow;
};

THuffmanTable Build(std::initializer_list<TLineSpec> specs) {
  std::vector<THuffmanLine> lines;
  for (const TLineSpec& s : specs) lines.push_back({s.RangeLow, s.PrefixLength, s.RangeLength, 0});
  return THuffmanTable(std::move(lines));
}

constexpr int32_t L = kRangeLower, U = kRangeUpper, O = kRangeOOB;

std::array<THuffmanTable, 15> MakeStandardTables() {
  return {
      Build({{1, 4, 0}, {2, 8, 16}, {3, 16, 272}, {3, U, 65808}}),
      Build({{1, 0, 0}, {2, 0, 1}, {3, 0, 2}, {4, 3, 3}, {5, 6, 11}, {6, U, 75}, {6, O, 0}}),
      Build({{8, 8, -256}, {1, 0, 0}, {2, 0, 1}, {3, 0, 2}, {4, 3, 3}, {5, 6, 11}, {8, L, -257}, {7, U, 75}, {6, O, 0}}),
      Build({{1, 0, 1}, {2, 0, 2}, {3, 0, 3}, {4, 3, 4}, {5, 6, 12}, {5, U, 76}}),
      Build({{7, 8, -255}, {1, 0, 1}, {2, 0, 2}, {3, 0, 3}, {4, 3, 4}, {5, 6, 12}, {7, L, -256}, {6, U, 76}}),
      Build({{5, 10, -2048},
             {4, 9, -1024},
             {4, 8, -512},
             {4, 7, -256},
             {5, 6, -128},
             {5, 5, -64},
             {4, 5, -32},
             {2, 7, 0},
             {3, 7, 128},
             {3, 8, 256},
             {4, 9, 512},
             {4, 10, 1024},
             {6, L, -2049},
             {6, U, 2048}}),
      Build({{4, 9, -1024},
             {3, 8, -512},
             {4, 7, -256},
             {5, 6, -128},
             {5, 5, -64},
             {4, 5, -32},
             {4, 5, 0},
             {5, 5, 32},
             {5, 6, 64},
             {4, 7, 128},
             {3, 8, 256},
             {3, 9, 512},
             {3, 10, 1024},
             {5, L, -1025},
             {5, U, 2048}}),
      Build({{8, 3, -15}, {9, 1, -7},  {8, 1, -5},   {9, 0, -3},   {7, 0, -2},   {4, 0, -1},   {2, 1, 0},
             {5, 0, 2},   {6, 0, 3},   {3, 4, 4},    {6, 1, 20},   {4, 4, 22},   {4, 5, 38},   {5, 6, 70},
             {5, 7, 134}, {6, 7, 262}, {7, 8, 390},  {6, 10, 646}, {9, L, -16},  {9, U, 1670}, {2, O, 0}}),
      Build({{8, 4, -31},  {9, 2, -15},  {8, 2, -11},  {9, 1, -7},   {7, 1, -5},    {4, 1, -3},   {3, 1, -1},
             {3, 1, 1},    {5, 1, 3},    {6, 1, 5},    {3, 5, 7},    {6, 2, 39},    {4, 5, 43},   {4, 6, 75},
             {5, 7, 139},  {5, 8, 267},  {6, 8, 523},  {7, 9, 779},  {6, 11, 1291}, {9, L, -32},  {9, U, 3339},
             {2, O, 0}}),
      Build({{7, 4, -21},  {8, 0, -5},   {7, 0, -4},   {5, 0, -3},    {2, 2, -2},   {5, 0, 2},    {6, 0, 3},
             {7, 0, 4},    {8, 0, 5},    {2, 6, 6},    {5, 5, 70},    {6, 5, 102},  {6, 6, 134},  {6, 7, 198},
             {6, 8, 326},  {6, 9, 582},  {6, 10, 1094}, {7, 11, 2118}, {8, L, -22},  {8, U, 4166}, {2, O, 0}}),
      Build({{1, 0, 1},
             {2, 1, 2},
             {4, 0, 4},
             {4, 1, 5},
             {5, 1, 7},
             {5, 2, 9},
             {6, 2, 13},
             {7, 2, 17},
             {7, 3, 21},
             {7, 4, 29},
             {7, 5, 45},
             {7, 6, 77},
             {7, U, 141}}),
      Build({{1, 0, 1},
             {2, 0, 2},
             {3, 1, 3},
             {5, 0, 5},
             {5, 1, 6},
             {6, 1, 8},
             {7, 0, 10},
             {7, 1, 11},
             {7, 2, 13},
             {7, 3, 17},
             {7, 4, 25},
             {8, 5, 41},
             {8, U, 73}}),
      Build({{1, 0, 1},
             {3, 0, 2},
             {4, 0, 3},
             {5, 0, 4},
             {4, 1, 5},
             {3, 3, 7},
             {6, 1, 15},
             {6, 2, 17},
             {6, 3, 21},
             {6, 4, 29},
             {6, 5, 45},
             {7, 6, 77},
             {7, U, 141}}),
      Build({{3, 0, -2}, {3, 0, -1}, {1, 0, 0}, {3, 0, 1}, {3, 0, 2}}),
      Build({{7, 4, -24},
             {6, 2, -8},
             {5, 1, -4},
             {4, 0, -2},
             {3, 0, -1},
             {1, 0, 0},
             {3, 0, 1},
             {4, 0, 2},
             {5, 1, 3},
             {6, 2, 5},
             {7, 4, 9},
             {7, L, -25},
             {7, U, 25}}),
  };
}

}  // namespace

void AssignCodes(std::vector<THuffmanLine>& lines) {
  std::vector<uint32_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&](uint32_t a, uint32_t b) { return lines[a].PrefixLength < lines[b].PrefixLength; });
  uint64_t code = 0;
  int32_t previous = -1;
  for (uint32_t i : order) {
    THuffmanLine& line = lines[i];
    if (line.PrefixLength <= 0) {
      line.Code = 0;
      continue;
    }
    if (previous < 0) {
      code = 0;
    } else {
      const int32_t shift = line.PrefixLength - previous;
      code = shift >= 64 ? ~uint64_t{0} : (code + 1) << shift;
    }
    previous = line.PrefixLength;
    line.Code = static_cast<uint32_t>(code);
  }
}

THuffmanTable::THuffmanTable(std::vector<THuffmanLine> lines) : lines_(std::move(lines)) {
  AssignCodes(lines_);
  // Canonical codes are consecutive within one prefix length: the decoder needs per length
  // the first code, the count and where that length's lines start in order_.
  order_.resize(lines_.size());
  std::iota(order_.begin(), order_.end(), 0u);
  std::stable_sort(order_.begin(), order_.end(),
                   [&](uint32_t a, uint32_t b) { return lines_[a].PrefixLength < lines_[b].PrefixLength; });
  lengths_.assign(kMaxPrefix + 1, {});
  for (uint32_t k = 0; k < order_.size(); ++k) {
    const int32_t length = lines_[order_[k]].PrefixLength;
    if (length <= 0 || length > kMaxPrefix) continue;
    TLength& len = lengths_[static_cast<size_t>(length)];
    if (len.Count == 0) len.Start = k;
    ++len.Count;
  }
  // A table whose lengths over-fill the code space gets first codes beyond its lengths'
  // range; those lines are never matched.
  uint64_t first = 0;
  for (int32_t length = 1; length <= kMaxPrefix; ++length) {
    first = std::min<uint64_t>((first + lengths_[static_cast<size_t>(length - 1)].Count) * 2, uint64_t{1} << 40);
    if (length == 1) first = 0;
    lengths_[static_cast<size_t>(length)].First = first;
  }
}

bool THuffmanTable::HasOOB() const {
  return std::any_of(lines_.begin(), lines_.end(), [](const THuffmanLine& l) { return l.RangeLength == kRangeOOB; });
}

const THuffmanTable& StandardTable(int n) {
  static const std::array<THuffmanTable, 15> tables = MakeStandardTables();
  return tables[static_cast<size_t>(std::clamp(n, 1, 15) - 1)];
}

std::optional<int64_t> THuffmanDecoder::DecodeInt(const THuffmanTable& table) {
  if (table.lines_.empty()) return std::nullopt;
  uint64_t code = 0;
  for (int32_t length = 1; length <= kMaxPrefix; ++length) {
    code = (code << 1) | reader_.ReadBit();
    const auto& len = table.lengths_[static_cast<size_t>(length)];
    if (len.Count == 0 || code < len.First || code - len.First >= len.Count) {
      if (reader_.EndFlag()) return std::nullopt;
      continue;
    }
    const THuffmanLine& line = table.lines_[table.order_[len.Start + (code - len.First)]];
    switch (line.RangeLength) {
      case kRangeOOB:
      case kRangeEnd:
        return std::nullopt;
      case kRangeLower:
        return line.RangeLow - int64_t{reader_.ReadBits(32)};
      case kRangeUpper:
        return line.RangeLow + int64_t{reader_.ReadBits(32)};
      default:
        if (line.RangeLength <= 0) return line.RangeLow;
        return line.RangeLow + int64_t{reader_.ReadBits(std::min(line.RangeLength, 31))};
    }
  }
  return std::nullopt;
}

THuffmanTable ReadCustomTable(TStreamReader& reader) {
  const uint8_t flags = reader.ReadByte();
  const bool oob = flags & 1;
  const int prefixBits = ((flags >> 1) & 7) + 1;
  const int rangeBits = ((flags >> 4) & 7) + 1;
  const auto low = static_cast<int32_t>(reader.ReadUInt32());
  const auto high = static_cast<int32_t>(reader.ReadUInt32());
  if (reader.EndFlag() || low >= high) return {};
  std::vector<THuffmanLine> lines;
  // Every line takes at least prefixBits + rangeBits bits, so the data bound the count.
  const uint64_t maxLines = reader.Remaining() * 8 / uint64_t(prefixBits + rangeBits) + 1;
  int64_t current = low;
  while (current < high) {
    if (lines.size() >= maxLines || reader.EndFlag()) return {};
    THuffmanLine line;
    line.PrefixLength = static_cast<int32_t>(reader.ReadBits(prefixBits));
    line.RangeLength = static_cast<int32_t>(reader.ReadBits(rangeBits));
    line.RangeLow = current;
    // A range of 32 bits or more would read as the upper range; these lines only count.
    if (line.RangeLength > 30) return {};
    current += int64_t{1} << line.RangeLength;
    lines.push_back(line);
  }
  lines.push_back({int64_t{low} - 1, static_cast<int32_t>(reader.ReadBits(prefixBits)), kRangeLower, 0});
  lines.push_back({int64_t{high}, static_cast<int32_t>(reader.ReadBits(prefixBits)), kRangeUpper, 0});
  if (oob) lines.push_back({0, static_cast<int32_t>(reader.ReadBits(prefixBits)), kRangeOOB, 0});
  if (reader.EndFlag()) return {};
  return THuffmanTable(std::move(lines));
}

}  // namespace jbig2
