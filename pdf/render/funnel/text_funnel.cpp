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

TPDFTextFunnelBlock* TPDFTextFunnel::FindBlock(const TPDFPoint& origin, const std::array<std::string, 3>& attributes,
                                               double fontSize, bool& adjacent) {
  if (Blocks.empty()) return nullptr;
  const double s = std::fabs(fontSize), k = JoinTolerance / 0.7;
  const size_t first = LastBlockOnly != 0 ? Blocks.size() - 1 : 0;
  auto matches = [&](const TPDFTextFunnelBlock& b) {
    for (size_t i = 0; i < attributes.size(); ++i)
      if (IgnoreAttribute[i] == 0 && b.Attributes[i] != attributes[i]) return false;
    return true;
  };
  for (size_t i = first; i < Blocks.size(); ++i) {
    TPDFTextFunnelBlock& b = Blocks[i];
    const bool within = origin.X > std::min(b.Start.X, b.End.X) && origin.X < std::max(b.Start.X, b.End.X) &&
                        origin.Y == b.End.Y;
    const double d = within ? 0 : Distance(origin, b.End);
    if (matches(b) && d < s / 10) {
      adjacent = true;
      return &b;
    }
  }
  for (size_t i = first; i < Blocks.size(); ++i) {
    TPDFTextFunnelBlock& b = Blocks[i];
    const double d = Distance(origin, b.End);
    if (matches(b) && d < k * s) {
      adjacent = d < 0.15 * k * s;
      return &b;
    }
  }
  return nullptr;
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
    Blocks.push_back({origin, end, upperStart, upperEnd, std::move(word), std::move(positions), attributes, fontSize,
                      std::move(offsets)});
    return;
  }
  if (!adjacent) {
    block->Text.push_back(u' ');
    block->Positions.push_back(block->End.X);
  }
  block->Text += word;
  block->Positions.insert(block->Positions.end(), positions.begin(), positions.end());
  block->End = end;
  block->UpperEnd = upperEnd;
}
