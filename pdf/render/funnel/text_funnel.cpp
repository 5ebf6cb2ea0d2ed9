#include "pdf/render/funnel/text_funnel.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/pdf_helpers.h"

namespace {

TPDFPoint Map(const TPDFMatrix& m, double x, double y) {
  TPDFPoint p;
  MatrixTransformPoint(m, {x, y}, p);
  return p;
}

double Distance(const TPDFPoint& a, const TPDFPoint& b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

}  // namespace

void TPDFTextFunnel::Clear() {
  Blocks.clear();
  Images.clear();
  lines_.clear();
  indexed_ = 0;
}

bool TPDFTextFunnel::InsideABlock(const TPDFPoint& p) const {
  for (const TPDFTextFunnelBlock& b : Blocks) {
    // The box of all four corners: start and end alone lie on one line for level text.
    const double xs[] = {b.Start.X, b.End.X, b.UpperStart.X, b.UpperEnd.X};
    const double ys[] = {b.Start.Y, b.End.Y, b.UpperStart.Y, b.UpperEnd.Y};
    const auto [minX, maxX] = std::minmax_element(std::begin(xs), std::end(xs));
    const auto [minY, maxY] = std::minmax_element(std::begin(ys), std::end(ys));
    if (p.X >= *minX && p.X <= *maxX && p.Y >= *minY && p.Y <= *maxY) return true;
  }
  return false;
}

void TPDFTextFunnel::IndexBlock(size_t block) {
  const double y = Blocks[block].End.Y;
  if (std::isnan(y)) return;
  std::vector<size_t>& line = lines_[y];
  line.insert(std::lower_bound(line.begin(), line.end(), block), block);
}

void TPDFTextFunnel::UnindexBlock(size_t block) {
  const double y = Blocks[block].End.Y;
  if (std::isnan(y)) return;
  const auto found = lines_.find(y);
  if (found == lines_.end()) return;
  std::vector<size_t>& line = found->second;
  const auto at = std::lower_bound(line.begin(), line.end(), block);
  if (at != line.end() && *at == block) line.erase(at);
  if (line.empty()) lines_.erase(found);
}

void TPDFTextFunnel::SyncIndex() {
  if (indexed_ == Blocks.size()) return;
  lines_.clear();
  for (size_t i = 0; i < Blocks.size(); ++i) IndexBlock(i);
  indexed_ = Blocks.size();
}

template <class Test>
size_t TPDFTextFunnel::FirstOnLinesNear(double y, double radius, const Test& test) {
  size_t best = Blocks.size();
  // A little wider than the radius: the tests measure their own distances, rounding aside.
  const double slack = (std::fabs(y) + radius) * 1e-9;
  const double low = y - radius - slack, high = y + radius + slack;
  auto from = lines_.begin(), to = lines_.end();
  if (!std::isnan(low) && !std::isnan(high)) from = lines_.lower_bound(low), to = lines_.upper_bound(high);
  for (auto line = from; line != to; ++line)
    for (size_t i : line->second) {
      if (i >= best) break;
      if (test(Blocks[i])) {
        best = i;
        break;
      }
    }
  return best;
}

TPDFTextFunnelBlock* TPDFTextFunnel::FindBlock(const TPDFPoint& origin, const std::array<std::string, 3>& attributes,
                                               double fontSize, bool& adjacent) {
  if (Blocks.empty()) return nullptr;
  const double s = std::fabs(fontSize), k = JoinTolerance / 0.7;
  auto matches = [&](const TPDFTextFunnelBlock& b) {
    for (size_t i = 0; i < attributes.size(); ++i)
      if (IgnoreAttribute[i] == 0 && b.Attributes[i] != attributes[i]) return false;
    return true;
  };
  // First pass: the word's origin on the block's end (or inside the block on its baseline).
  auto touches = [&](const TPDFTextFunnelBlock& b) {
    const bool within = origin.X > std::min(b.Start.X, b.End.X) && origin.X < std::max(b.Start.X, b.End.X) &&
                        origin.Y == b.End.Y;
    const double d = within ? 0 : Distance(origin, b.End);
    return matches(b) && d < s / 10;
  };
  // Second pass: the origin within the join distance of the block's end.
  auto near = [&](const TPDFTextFunnelBlock& b) { return matches(b) && Distance(origin, b.End) < k * s; };
  if (LastBlockOnly != 0) {
    TPDFTextFunnelBlock& last = Blocks.back();
    if (touches(last)) {
      adjacent = true;
      return &last;
    }
    if (!near(last)) return nullptr;
    adjacent = Distance(origin, last.End) < 0.15 * k * s;
    return &last;
  }
  // Either pass takes a block only within its radius of the origin, the first pass also one
  // on the origin's own line; an origin without a y is near nothing.
  if (std::isnan(origin.Y)) return nullptr;
  SyncIndex();
  size_t found = FirstOnLinesNear(origin.Y, s / 10, touches);
  if (found < Blocks.size()) {
    adjacent = true;
    return &Blocks[found];
  }
  found = FirstOnLinesNear(origin.Y, k * s, near);
  if (found == Blocks.size()) return nullptr;
  adjacent = Distance(origin, Blocks[found].End) < 0.15 * k * s;
  return &Blocks[found];
}

void TPDFTextFunnel::AddText(const TPDFMatrix& m, std::u16string word, std::vector<double> offsets, double width,
                             double height, double originX, double originY, double fontSize,
                             const std::string& attribute1, const std::string& attribute2) {
  const uint8_t mayJoin = MayJoin;
  offsets.resize(word.size(), offsets.empty() ? 0 : offsets.back());
  const double base = offsets.empty() ? 0 : offsets.front();
  for (double& o : offsets) o -= base;
  const std::array<std::string, 3> attributes = {
      FormatPDFNumber(m[0], 4) + FormatPDFNumber(m[1], 4) + FormatPDFNumber(m[2], 4) + FormatPDFNumber(m[3], 4),
      attribute1, attribute2};
  if (HorizontalOnly != 0 && (m[1] != 0 || m[2] != 0)) return;

  const TPDFPoint origin = Map(m, originX, originY);
  std::vector<double> positions(word.size());
  for (size_t i = 0; i < word.size(); ++i) positions[i] = Map(m, originX + offsets[i], originY).X;
  if (Clip != 0) {
    if (origin.Y < ClipBottom || origin.Y > ClipTop) return;
    if (ClipPerCharacter == 0) {
      if (origin.X < ClipLeft || origin.X > ClipRight) return;
    } else {
      std::u16string kept;
      std::vector<double> keptOffsets, keptPositions;
      for (size_t i = 0; i < word.size(); ++i) {
        if (!(positions[i] > ClipLeft && positions[i] < ClipRight)) continue;
        kept.push_back(word[i]);
        keptOffsets.push_back(offsets[i]);
        keptPositions.push_back(positions[i]);
      }
      word.swap(kept), offsets.swap(keptOffsets), positions.swap(keptPositions);
      if (word.empty()) return;
    }
  }
  if (DropDuplicates != 0) {
    if (std::all_of(word.begin(), word.end(), [](char16_t c) { return c == u' '; })) return;
    if (InsideABlock(Map(m, originX + width / 2, originY + height / 2))) return;
  }

  const TPDFPoint end = Map(m, originX + width, originY), upperStart = Map(m, originX, originY + height),
                  upperEnd = Map(m, originX + width, originY + height);
  bool adjacent = false;
  TPDFTextFunnelBlock* block = mayJoin != 0 ? FindBlock(origin, attributes, fontSize, adjacent) : nullptr;
  if (block != nullptr && !adjacent && SeparateWords != 0) block = nullptr;
  MayJoin = 1;
  if (block == nullptr) {
    SyncIndex();
    Blocks.push_back({origin, end, upperStart, upperEnd, std::move(word), std::move(positions), attributes, fontSize,
                      std::move(offsets)});
    IndexBlock(Blocks.size() - 1);
    indexed_ = Blocks.size();
    return;
  }
  if (!adjacent) {
    block->Text.push_back(u' ');
    block->Positions.push_back(block->End.X);
  }
  block->Text += word;
  block->Positions.insert(block->Positions.end(), positions.begin(), positions.end());
  // The block's end moves, perhaps onto another line of the index.
  const size_t number = size_t(block - Blocks.data());
  SyncIndex();
  UnindexBlock(number);
  block->End = end;
  block->UpperEnd = upperEnd;
  IndexBlock(number);
}
